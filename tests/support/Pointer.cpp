#include "tests/support/Pointer.h"

#include "tests/support/WinTestUtil.h"

#include <initializer_list>

static void SendButtons(std::initializer_list<DWORD> flags) {
    for (DWORD flag : flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flag;
        SendInput(1, &input, sizeof(INPUT));
    }
    PumpMessages();
    Sleep(20);
    PumpMessages();
}

void MovePointerTo(POINT target) {
    // Under Wine a pointer event from X that was under way can still move the cursor
    // back after SetCursorPos, so the position has to hold for a few checks.
    int steady = 0;
    for (DWORD start = GetTickCount(); steady < 3 && GetTickCount() - start < 2000;) {
        POINT now;
        GetCursorPos(&now);
        steady = now.x == target.x && now.y == target.y ? steady + 1 : 0;
        if (steady == 0)
            SetCursorPos(target.x, target.y);
        PumpMessages();
        Sleep(5);
    }
}

void PressLeftButton() {
    SendButtons({MOUSEEVENTF_LEFTDOWN});
}

void ReleaseLeftButton() {
    SendButtons({MOUSEEVENTF_LEFTUP});
}

void DoubleClickAt(POINT screen) {
    MovePointerTo(screen);
    SendButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
}

POINT CentreOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Type(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys)
        add(key, 0);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        add(*key, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
