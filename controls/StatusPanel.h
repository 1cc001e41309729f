#pragma once

#include "controls/CustomControl.h"

#include <deque>
#include <string>

// The last few status lines, oldest first, in grey on black with the host's small font.
class StatusPanel : public CustomControl {
  public:
    StatusPanel(IHost* controlHost, HWND parent, HINSTANCE instance, const RECT& area);

    // Appends a line, drops the oldest beyond maxLines and repaints at once.
    void AddLine(std::wstring line);

    // Scales the natural rectangle, moves the window there and fits maxLines to it.
    void SetScale(double factor) override;
    void OnPaint() override;

    static constexpr int kLineHeight = 15;

    RECT baseRect; // the natural rectangle that every scale starts from
    std::deque<std::wstring> lines;
    int lineCount = 0;
    int maxLines = 4;
};
