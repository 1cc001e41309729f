#include "controls/Knob.h"

#include "app/IHost.h"
#include "app/Settings.h"
#include "controls/KnobMath.h"
#include "controls/KnobSprites.h"
#include "resources/ResourceIds.h"

#include <oleacc.h>

namespace {

constexpr int kLastSpriteFrame = 127;
constexpr int kNaturalFrameSize = 67;
constexpr int kWindowMargin = 5;

// Made once at start-up and kept until the process ends: GDI+ is shut down before
// static destructors would run.
KnobSprites* gSprites = nullptr;

// Read at every drag step, so pressing a key during a drag rescales it.
DragPace CurrentDragPace() {
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000)
        return DragPace::Fine;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000)
        return DragPace::Coarse;
    return DragPace::Normal;
}

RECT KnobWindowRect(int x, int y) {
    POINT origin = Knob::WindowOrigin(x, y);
    int side = Knob::FrameSize() + 2 * kWindowMargin;
    return RECT{origin.x, origin.y, origin.x + side, origin.y + side};
}

} // namespace

void Knob::ModuleStartup(HINSTANCE instance) {
    RegisterControlClass(instance, L"KNOB", nullptr);
    if (!gSprites)
        gSprites = new KnobSprites(instance, IDB_KNOB_STRIP, IDB_KNOB_MASK, kLastSpriteFrame);
}

KnobSprites* Knob::Sprites() {
    return gSprites;
}

int Knob::FrameSize() {
    return gSprites ? gSprites->frameWidth : kNaturalFrameSize;
}

POINT Knob::WindowOrigin(int x, int y) {
    int half = FrameSize() / 2;
    return POINT{x - half - kWindowMargin, y - half - kWindowMargin};
}

Knob::Knob(IHost* controlHost, HWND parent, HINSTANCE instance, int x, int y, int maximum, int id)
    : CustomControl(controlHost, L"KNOB", id, KnobWindowRect(x, y)), maxValue(maximum) {
    CreateControlWindow(parent, instance);
}

Knob::~Knob() = default;

void Knob::SetValue(int newValue) {
    if (newValue == value)
        return;
    value = ClampKnobValue(newValue, minValue, maxValue);
    if (active)
        InvalidateOwnWindow();
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

int Knob::GetUnits() {
    return units;
}
int Knob::GetValue() {
    return value;
}

void Knob::SetScale(double factor) {
    if (gSprites)
        gSprites->SetScale(factor);
}

int Knob::CurrentFrame() const {
    return KnobFrame(value, minValue, maxValue, firstFrame, lastFrame);
}

void Knob::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    DrawAt(dc, POINT{0, 0});
    EndPaint(hwnd, &paint);
}

bool Knob::DrawnByPanel() const {
    return true;
}

void Knob::PrepareScale(double factor, std::vector<std::function<void(int lane)>>& work) {
    if (!active || !gSprites)
        return;
    gSprites->SetScale(factor);
    gSprites->AddFrameWork(CurrentFrame(), work);
}

void Knob::DrawAt(HDC dc, POINT origin) {
    if (!active)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    OffsetRect(&client, origin.x, origin.y);
    const int cx = client.left + (client.right - client.left) / 2;
    const int cy = client.top + (client.bottom - client.top) / 2;
    if (highlighted) {
        HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
        FrameRect(dc, &client, yellow);
        DeleteObject(yellow);
    }
    if (gSprites)
        gSprites->Draw(dc, CurrentFrame(), cx - gSprites->frameWidth / 2 - 1, cy - gSprites->frameHeight / 2);
    RECT ring = client;
    if (highlighted)
        InflateRect(&ring, -1, -1);
    DrawFocusRing(dc, ring);
}

void Knob::ChangeByUser(int candidate) {
    if (candidate == value)
        return;
    // Compared before clamping: a drag past an end reports the end value again.
    value = ClampKnobValue(candidate, minValue, maxValue);
    host->ControlChanged(controlId, value);
    if (active)
        InvalidateRect(hwnd, nullptr, FALSE);
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

bool Knob::OnLButtonDown(int x, int y) {
    if (!active)
        return true;
    // Capture first: taking it over from a right-button capture of this same knob
    // must not end the drag that starts here.
    SetCapture(hwnd);
    dragStartX = x;
    dragStartY = y;
    dragStartValue = value;
    dragging = true;
    // With the focus the knob hears Escape, which cancels the drag, and the keys after it.
    SetFocus(hwnd);
    return false;
}

bool Knob::OnLButtonUp(int, int) {
    if (!active)
        return true;
    dragging = false;
    ReleaseCapture();
    return false;
}

bool Knob::OnMouseMove(int x, int y) {
    if (!active || !dragging)
        return true;
    int candidate;
    if (GetSettings().KnobMode == 1) {
        RECT client;
        GetClientRect(hwnd, &client);
        candidate = RotaryDragValue(x, y, client.left, client.top, client.right, client.bottom, firstFrame,
                                    lastFrame, minValue, maxValue);
    } else {
        candidate = VerticalDragValue(dragStartY, y, dragStartValue, minValue, maxValue, CurrentDragPace());
    }
    ChangeByUser(candidate);
    return false;
}

void Knob::RevertDrag() {
    dragging = false;
    ChangeByUser(dragStartValue);
    ReleaseCapture();
}

bool Knob::OnRButtonDown(int, int) {
    if (!active)
        return true;
    if (dragging) {
        RevertDrag();
    } else {
        rightCaptured = true;
        SetCapture(hwnd);
    }
    return false;
}

bool Knob::OnRButtonUp(int, int) {
    if (!active)
        return true;
    rightCaptured = false;
    ReleaseCapture();
    return false;
}

bool Knob::OnKeyDown(int virtualKey) {
    if (!active)
        return true;
    if (dragging && virtualKey == VK_ESCAPE) {
        RevertDrag();
        return false;
    }
    ControlKey key;
    if (dragging || !ControlKeyOf(virtualKey, key))
        return true;
    ChangeByUser(KnobKeyValue(key, GetKeyState(VK_SHIFT) < 0, value, minValue, maxValue));
    return false;
}

long Knob::AccessibleRole() {
    return ROLE_SYSTEM_SLIDER;
}

std::wstring Knob::AccessibleValue() {
    return FormatValue(value);
}

bool Knob::OnCaptureLost(bool cancelMode) {
    if (!active)
        return true;
    dragging = false;
    rightCaptured = false;
    if (cancelMode)
        ReleaseCapture();
    return false;
}

bool Knob::OnMButtonDown(int, int) {
    return true;
}
bool Knob::OnMButtonUp(int, int) {
    return true;
}
bool Knob::OnMouseWheel(int, int, int, int) {
    return true;
}
