#pragma once

#include "app/App.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The application with its device link replaced by a record of what it was asked to do,
// and every status line it showed.
class RecordingApp : public App {
  public:
    using App::App;
    void LoadBank(int) override {}
    void SendMidi(const std::vector<uint8_t>& message) override { sent.push_back(message); }
    void SelectPatch(int bank, int program) override { selected.emplace_back(bank, program); }
    void SendProgramChange(int bank, int program) override { programChanges.emplace_back(bank, program); }
    void ShowStatus(std::string text) override {
        status.push_back(text);
        App::ShowStatus(std::move(text));
    }

    std::vector<std::vector<uint8_t>> sent;
    std::vector<std::pair<int, int>> selected, programChanges;
    std::vector<std::string> status;
};

// A fresh App on no stored settings, and its main window made the way the entry point makes it.
inline RecordingApp* NewApp() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    SetTheInstance(instance);
    static const ATOM registered = RegisterMainWindowClass(instance, L"TEMPLATE");
    EXPECT_NE(registered, 0);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
    RecordingApp* app = new RecordingApp(instance); // the program never deletes its App either
    SetTheApp(app);
    return app;
}
inline HWND OpenMainWindow(App* app, int showCommand) {
    HWND window = app->CreateMainWindow(L"TEMPLATE", L"Tavren");
    EXPECT_NE(window, nullptr);
    SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
    app->InitMainWindow();
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    PumpMessages();
    return window;
}
