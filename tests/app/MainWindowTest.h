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
    void LoadBank(int bank) override { banksLoaded.push_back(bank); }
    void SendMidi(const std::vector<uint8_t>& message) override { sent.push_back(message); }
    void SelectPatch(int bank, int program) override { selected.emplace_back(bank, program); }
    void SendProgramChange(int bank, int program) override { programChanges.emplace_back(bank, program); }
    void ShowStatus(std::string text) override {
        status.push_back(text);
        App::ShowStatus(std::move(text));
    }

    std::vector<int> banksLoaded;
    std::vector<std::vector<uint8_t>> sent;
    std::vector<std::pair<int, int>> selected, programChanges;
    std::vector<std::string> status;
};

// A main window made the way the entry point makes it, on a fresh App.
class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        SetTheInstance(instance);
        static bool registered = false;
        if (!registered) {
            ASSERT_NE(RegisterMainWindowClass(instance, L"TEMPLATE"), 0);
            registered = true;
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
        app = new RecordingApp(instance); // the program never deletes its App either
        SetTheApp(app);
    }

    void Open(int showCommand = SW_SHOWNORMAL) {
        window = app->CreateMainWindow(L"TEMPLATE", L"Tavren");
        ASSERT_NE(window, nullptr);
        SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
        app->InitMainWindow();
        ShowWindow(window, showCommand);
        UpdateWindow(window);
        PumpMessages();
    }

    void TearDown() override {
        if (window != nullptr)
            DestroyWindow(window);
        PumpMessages();
        SetTheApp(nullptr);
    }

    RecordingApp* app = nullptr;
    HWND window = nullptr;
};
