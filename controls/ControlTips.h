#pragma once

#include <windows.h>

#include <string>

// The tooltips of the front panel, in the common controls' tooltip windows: one shows a
// control's name when the pointer rests on it, the other a value beside a control while
// it changes. Both are owned by `owner` and go with it.
class ControlTips {
  public:
    ControlTips(HWND owner, HINSTANCE instance);
    ControlTips(const ControlTips&) = delete;
    ControlTips& operator=(const ControlTips&) = delete;
    ~ControlTips();

    // The pointer resting on `control` for half a second shows `text` (lines may be
    // separated by "\r\n"); a second call for the same window replaces the text.
    void SetRolloverText(HWND control, const std::wstring& text);
    // The text for `control` is asked of the owner when the tip shows (TTN_GETDISPINFOW).
    void SetRolloverAsked(HWND control);
    void SetRolloverOn(bool on);
    // Shows `text` just right of `control`, or moves it there with its new text.
    void ShowValue(HWND control, const std::wstring& text);
    void HideValue();
    bool ValueShown() const { return valueShown; }
    HWND ValueTarget() const { return valueControl; }
    // The font of both, and the widest a line may be before it wraps, in pixels.
    void SetFont(HFONT font, int maxWidth);

    HWND rollover = nullptr; // the tooltip windows; null when they could not be made
    HWND value = nullptr;

  private:
    HWND owner;
    HWND valueControl = nullptr;
    bool valueShown = false;
};
