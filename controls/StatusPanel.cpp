#include "controls/StatusPanel.h"

#include "app/IHost.h"

#include <algorithm>

#include <oleacc.h>

#include <utility>

StatusPanel::StatusPanel(IHost* controlHost, HWND parent, HINSTANCE instance, const RECT& area)
    : CustomControl(controlHost, L"TEXTLABEL", 1003, area), baseRect(area) {
    CreateControlWindow(parent, instance);
}

void StatusPanel::AddLine(std::wstring line) {
    // The areas invalidated for a line that waits are still invalid for this one.
    if (!drawPending) {
        InvalidateParentArea();
        InvalidateOwnWindow();
    }
    lines.push_back(std::move(line));
    while (static_cast<int>(lines.size()) > maxLines)
        lines.pop_front();
    lineCount = static_cast<int>(lines.size());
    if (!hwnd)
        return;
    NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
    if (paced && std::chrono::steady_clock::now() - lastDrawn < kFrame) {
        drawPending = true;
        return;
    }
    DrawNow();
}

void StatusPanel::SetPaced(bool on) {
    paced = on;
    if (!on && drawPending && hwnd)
        DrawNow();
}

void StatusPanel::DrawNow() {
    UpdateWindow(hwnd);
    drawPending = false;
    lastDrawn = std::chrono::steady_clock::now();
}

void StatusPanel::SetScale(double factor) {
    rect.left = static_cast<int>(baseRect.left * factor);
    rect.top = static_cast<int>(baseRect.top * factor);
    rect.right = static_cast<int>(baseRect.right * factor);
    rect.bottom = static_cast<int>(baseRect.bottom * factor);
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 kMoveWithoutDrawing);
    maxLines = std::max(1, static_cast<int>(rect.bottom - rect.top) / lineHeight);
}

long StatusPanel::AccessibleRole() {
    return ROLE_SYSTEM_STATICTEXT;
}

std::wstring StatusPanel::AccessibleName() {
    return lines.empty() ? std::wstring() : lines.back();
}

long StatusPanel::AccessibleState() {
    return STATE_SYSTEM_READONLY;
}

std::wstring StatusPanel::AllLines() const {
    std::wstring all;
    for (const std::wstring& line : lines)
        all += (all.empty() ? L"" : L"\r\n") + line;
    return all;
}

void StatusPanel::OnPaint() {
    drawPending = false; // every line is drawn now
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, RGB(200, 200, 200));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    HGDIOBJ previous = SelectObject(dc, host->GetSmallFont());
    RECT line = client;
    for (const std::wstring& text : lines) {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &line, 0);
        line.top += lineHeight;
    }
    SelectObject(dc, previous);
    EndPaint(hwnd, &paint);
}
