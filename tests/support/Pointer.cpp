#include "tests/support/Pointer.h"

#include "tests/support/WinTestUtil.h"

namespace {

void SendButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
    PumpMessages();
    Sleep(20);
    PumpMessages();
}

} // namespace

void MovePointerTo(POINT target) {
    // Under Wine a pointer event from X that was under way can still move the cursor
    // back after SetCursorPos, so the position has to hold for a few checks.
    int steady = 0;
    for (DWORD start = GetTickCount(); steady < 3 && GetTickCount() - start < 2000;) {
        POINT now;
        GetCursorPos(&now);
        if (now.x != target.x || now.y != target.y) {
            SetCursorPos(target.x, target.y);
            steady = 0;
        } else {
            ++steady;
        }
        PumpMessages();
        Sleep(5);
    }
}

void PressLeftButton() {
    SendButton(MOUSEEVENTF_LEFTDOWN);
}

void ReleaseLeftButton() {
    SendButton(MOUSEEVENTF_LEFTUP);
}

void DoubleClickAt(POINT screen) {
    MovePointerTo(screen);
    for (int click = 0; click < 2; ++click) {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].type = INPUT_MOUSE;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, inputs, sizeof(INPUT));
    }
    PumpMessages();
}

POINT CentreOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
