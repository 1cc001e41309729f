#include "controls/ControlTips.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kValueTool = 1;
constexpr int kRestMs = 500; // the pointer rests this long before a name shows

TTTOOLINFOW ToolInfo(HWND owner, UINT flags, UINT_PTR id) {
    TTTOOLINFOW info = {};
    // The size of the common controls before version 6, which every version takes.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = flags;
    info.hwnd = owner;
    info.uId = id;
    return info;
}

HWND CreateTipWindow(HWND owner, HINSTANCE instance, DWORD style) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | style,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               instance, nullptr);
    if (tip)
        SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tip;
}

} // namespace

ControlTips::ControlTips(HWND ownerWindow, HINSTANCE instance) : owner(ownerWindow) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    rollover = CreateTipWindow(owner, instance, TTS_ALWAYSTIP);
    value = CreateTipWindow(owner, instance, TTS_ALWAYSTIP);
    if (rollover) {
        SendMessageW(rollover, TTM_SETDELAYTIME, TTDT_INITIAL, kRestMs);
        SendMessageW(rollover, TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000);
    }
    if (value) {
        TTTOOLINFOW info = ToolInfo(owner, TTF_TRACK | TTF_ABSOLUTE, kValueTool);
        info.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(value, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

ControlTips::~ControlTips() {
    if (rollover && IsWindow(rollover))
        DestroyWindow(rollover);
    if (value && IsWindow(value))
        DestroyWindow(value);
}

void ControlTips::SetRolloverText(HWND control, const std::wstring& text) {
    if (!rollover || !control)
        return;
    TTTOOLINFOW info = ToolInfo(owner, TTF_IDISHWND | TTF_SUBCLASS, reinterpret_cast<UINT_PTR>(control));
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    TTTOOLINFOW existing = info;
    if (SendMessageW(rollover, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)) == 0) {
        SendMessageW(rollover, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    SendMessageW(rollover, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void ControlTips::SetRolloverAsked(HWND control) {
    if (!rollover || !control)
        return;
    TTTOOLINFOW info = ToolInfo(owner, TTF_IDISHWND | TTF_SUBCLASS, reinterpret_cast<UINT_PTR>(control));
    info.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(rollover, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void ControlTips::SetRolloverOn(bool on) {
    if (rollover)
        SendMessageW(rollover, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

void ControlTips::ShowValue(HWND control, const std::wstring& text) {
    if (!value || !control)
        return;
    TTTOOLINFOW info = ToolInfo(owner, TTF_TRACK | TTF_ABSOLUTE, kValueTool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(value, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    RECT screen;
    GetWindowRect(control, &screen);
    SendMessageW(value, TTM_TRACKPOSITION, 0,
                 MAKELPARAM(screen.right + 2, (screen.top + screen.bottom) / 2 - 8));
    if (!valueShown)
        SendMessageW(value, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
    valueShown = true;
    valueControl = control;
}

void ControlTips::HideValue() {
    if (!value || !valueShown)
        return;
    TTTOOLINFOW info = ToolInfo(owner, TTF_TRACK | TTF_ABSOLUTE, kValueTool);
    SendMessageW(value, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    valueShown = false;
    valueControl = nullptr;
}

void ControlTips::SetFont(HFONT font, int maxWidth) {
    for (HWND tip : {rollover, value}) {
        if (!tip)
            continue;
        SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    }
}
