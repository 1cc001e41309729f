#pragma once

#include "controls/CustomControl.h"

#include <chrono>
#include <deque>
#include <string>

// The last few status lines, oldest first, in grey on black with the host's small font.
class StatusPanel : public CustomControl {
  public:
    StatusPanel(IHost* controlHost, HWND parent, HINSTANCE instance, const RECT& area);

    // Appends a line, drops the oldest beyond maxLines and repaints at once.
    void AddLine(std::wstring line);
    // While paced (a bank load, a line a patch), the panel is drawn at once at most once
    // a frame: a line that comes sooner is drawn with the next one drawn, or when pacing
    // ends, which draws whatever is waiting.
    void SetPaced(bool on);

    // Scales the natural rectangle, moves the window there and fits maxLines to it.
    void SetScale(double factor) override;
    void OnPaint() override;
    // A static text that a screen reader reads by its name: the newest line.
    long AccessibleRole() override;
    std::wstring AccessibleName() override;
    long AccessibleState() override;
    // Every line it holds, one under another, for a tooltip that shows them whole.
    std::wstring AllLines() const;

    static constexpr int kLineHeight = 15; // at 96 dots per inch
    static constexpr std::chrono::milliseconds kFrame{16};

    RECT baseRect; // the natural rectangle that every scale starts from
    std::deque<std::wstring> lines;
    int lineCount = 0;
    int maxLines = 4;
    int lineHeight = kLineHeight; // follows the font
    bool paced = false;
    bool drawPending = false; // lines added since the panel was last drawn

  private:
    void DrawNow();
    std::chrono::steady_clock::time_point lastDrawn;
};
