#pragma once

#include "app/App.h"

#include <string>
#include <vector>

// An App that also records every status line it is asked to show.
class RecordingApp : public App {
  public:
    explicit RecordingApp(HINSTANCE module) : App(module) {}
    void ShowStatus(std::string text) override;
    std::vector<std::string> statusLines;
};

// A fresh App with its main window, made the way the entry point makes them, on
// settings that start from their defaults; the window is destroyed with the object.
// The App stays, as the program never deletes its App either.
class AppWindow {
  public:
    AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;
    ~AppWindow();

    RecordingApp* app;
    HWND window;
};

// The message boxes of this thread seen while `action` ran: each was read and
// closed with its OK button as soon as it appeared.
struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
};
std::vector<SeenMessageBox> MessageBoxesDuring(void (*action)(void*), void* context);
template <typename F> std::vector<SeenMessageBox> MessageBoxesDuring(F&& action) {
    return MessageBoxesDuring([](void* f) { (*static_cast<F*>(f))(); }, &action);
}
