#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for tests that drive real windows under Wine.

void PumpMessages(); // dispatches every message waiting for this thread
// Pumps messages until `done` holds or `timeoutMs` passes; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// The next file dialog that opens is answered with `path` and OK, as a person types a
// name and presses Save or Open; call it before the command that opens the dialog.
void AnswerNextFileDialog(const std::wstring& path);
// Destroys the child windows of `parent`; control objects never destroy their windows.
void DestroyChildren(HWND parent);

// A plain visible top-level window to parent controls in tests; destroyed with the
// object. What the test windows receive, but painting, is logged in received().
class TestWindow {
  public:
    TestWindow(int width, int height);
    ~TestWindow();
    HWND hwnd() const { return window; }

    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    static std::vector<Received>& received();
    static void clearReceived() { received().clear(); }

  private:
    HWND window;
};
