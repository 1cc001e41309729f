#include "tests/controls/ControlTestSupport.h"

#include "app/Settings.h"
#include "controls/ControlClasses.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"

#include <windowsx.h>

HINSTANCE TestInstance() {
    return GetModuleHandleW(nullptr);
}

LRESULT SendMouse(HWND window, UINT message, int x, int y, WPARAM keys) {
    return SendMessageW(window, message, keys, MAKELPARAM(x & 0xFFFF, y & 0xFFFF));
}

static void SendKey(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    PumpMessages();
}

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, 0);
}
void ReleaseKey(WORD virtualKey) {
    SendKey(virtualKey, KEYEVENTF_KEYUP);
}

void ControlTest::SetUp() {
    // As the application constructor does; repeated registrations are ignored.
    RegisterControlClasses(TestInstance());
    GetSettings().KnobMode = 0;
    // One parent for the whole program: destroying a top-level window under Wine
    // without a window manager takes two seconds.
    static TestWindow* shared = new TestWindow(640, 480);
    parentWindow = shared->hwnd();
    // Away from the screen's corner, so that screen and parent coordinates differ.
    SetWindowPos(parentWindow, nullptr, kParentLeft, kParentTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(parentWindow);
    SetFocus(parentWindow);
    PumpMessages();
    TestWindow::clearReceived();
}

void ControlTest::TearDown() {
    ReleaseKey(VK_SHIFT);
    ReleaseKey(VK_CONTROL);
    ReleaseCapture();
    DestroyChildren(parentWindow);
    if (KnobSprites* sprites = Knob::Sprites())
        sprites->SetScale(1.0);
    GetSettings().KnobMode = 0;
    TestWindow::clearReceived();
}

std::vector<TestWindow::Received> ControlTest::ParentGot(UINT message) const {
    std::vector<TestWindow::Received> found;
    for (const TestWindow::Received& received : TestWindow::received()) {
        if (received.message == message)
            found.push_back(received);
    }
    return found;
}
