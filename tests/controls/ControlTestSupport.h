#pragma once

#include "app/Settings.h"
#include "controls/ControlClasses.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"
#include "tests/support/FakeHost.h"
#include "tests/support/Pixels.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

// The control tests' fixture: the classes registered as the application registers
// them, one parent on a coloured background that logs what reaches it, and a host
// that records value changes.

using Changes = std::vector<std::pair<int, int>>;
constexpr COLORREF kBackground = RGB(0x30, 0x90, 0xC0);
constexpr int kParentLeft = 50; // where the parent sits on the screen
constexpr int kParentTop = 30;

inline HINSTANCE TestInstance() {
    return GetModuleHandleW(nullptr);
}

inline LRESULT SendMouse(HWND window, UINT message, int x, int y, WPARAM keys = 0) {
    return SendMessageW(window, message, keys, MAKELPARAM(x & 0xFFFF, y & 0xFFFF));
}

// A key through the system's input queue, which changes the key state as a person does.
inline void SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
    PumpMessages();
}

class ControlTest : public testing::Test {
  protected:
    ControlTest() {
        GetSettings().KnobMode = 0;
        SetForegroundWindow(parent);
        SetFocus(parent);
        PumpMessages();
        TestWindow::clearReceived();
    }
    // One parent for the whole program, away from the screen's corner so that screen
    // and parent coordinates differ: destroying a top-level window under Wine without
    // a window manager takes two seconds.
    static HWND SharedParent() {
        static HWND shared = [] {
            RegisterControlClasses(TestInstance());
            HWND window = (new TestWindow(640, 480))->hwnd();
            SetClassLongPtrW(window, GCLP_HBRBACKGROUND,
                             reinterpret_cast<LONG_PTR>(CreateSolidBrush(kBackground)));
            SetWindowPos(window, nullptr, kParentLeft, kParentTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            return window;
        }();
        return shared;
    }
    void TearDown() override {
        ReleaseCapture();
        DestroyChildren(parent);
        Knob::Sprites()->SetScale(1.0);
    }

    static std::vector<TestWindow::Received> ParentGot(UINT message) {
        std::vector<TestWindow::Received> found;
        for (const TestWindow::Received& received : TestWindow::received())
            if (received.message == message)
                found.push_back(received);
        return found;
    }
    // Paints the parent and all its controls now, then reads one control back.
    Pixels Shot(HWND control) const {
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages();
        return CaptureClient(control);
    }
    static bool AllBackground(const Pixels& shot) { return Only(shot, Rgb(kBackground)); }
    static bool Only(const Pixels& shot, DWORD colour) {
        return !shot.data.empty() &&
               std::all_of(shot.data.begin(), shot.data.end(), [&](DWORD p) { return p == colour; });
    }

    FakeHost host;
    HWND parent = SharedParent(); // its children go after each test
};
