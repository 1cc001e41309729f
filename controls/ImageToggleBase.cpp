#include "controls/ImageToggleBase.h"

#include "app/IHost.h"
#include "controls/GdiplusImages.h"
#include "controls/ScaledImages.h"
#include "controls/ToggleMath.h"
#include "controls/UnitFormat.h"

#include "controls/GdiplusHeader.h"

#include "controls/KnobMath.h"

#include <oleacc.h>

#include <utility>

namespace {

// Loads the images at natural size and answers the window rectangle at (x, y).
RECT LoadImages(HINSTANCE module, const std::vector<WORD>& resources,
                std::vector<std::shared_ptr<BlendedPicture>>& images, int x, int y) {
    for (WORD id : resources)
        images.push_back(ScaledImages::Get(module, id, 1.0));
    int width = 0;
    int height = 0;
    if (!images.empty() && images.back()) {
        width = images.back()->width;
        height = images.back()->height;
    }
    return RECT{x, y, x + width, y + height};
}

} // namespace

ImageToggleBase::ImageToggleBase(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y,
                                 std::vector<WORD> resources, bool flipsOnPress, int id,
                                 const wchar_t* windowClass)
    : CustomControl(controlHost, windowClass, id, RECT{x, y, x, y}), instance(module),
      stateResources(std::move(resources)), clickToggles(flipsOnPress) {
    rect = LoadImages(instance, stateResources, stateImages, x, y);
    imageWidth = rect.right - rect.left;
    imageHeight = rect.bottom - rect.top;
    CreateControlWindow(parent, instance);
}

ImageToggleBase::~ImageToggleBase() = default;

void ImageToggleBase::SetValue(int newValue) {
    if (newValue == value)
        return;
    value = newValue;
    InvalidateOwnWindow();
    if (clickToggles && hwnd)
        UpdateWindow(hwnd);
    NotifyAccessible(clickToggles ? EVENT_OBJECT_STATECHANGE : EVENT_OBJECT_VALUECHANGE);
}

int ImageToggleBase::GetUnits() {
    return kUnitOnOff;
}
int ImageToggleBase::GetValue() {
    return value;
}

int ImageToggleBase::PositionFromY(int y) const {
    return TogglePositionFromY(PositionCount(), imageHeight, y);
}

void ImageToggleBase::SetScale(double factor) {
    for (auto& image : stateImages)
        image.reset();
    int width = 0;
    int height = 0;
    if (std::shared_ptr<BlendedPicture> sizing = ScaledImages::Get(instance, stateResources.back(), 1.0)) {
        width = static_cast<int>(sizing->width * factor);
        height = static_cast<int>(sizing->height * factor);
    }
    for (size_t i = 0; i < stateResources.size(); ++i)
        stateImages[i] = ScaledImages::Get(instance, stateResources[i], factor);
    imageWidth = width;
    imageHeight = height;
}

void ImageToggleBase::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    DrawAt(dc, POINT{0, 0});
    EndPaint(hwnd, &paint);
}

bool ImageToggleBase::DrawnByPanel() const {
    return true;
}

void ImageToggleBase::DrawAt(HDC dc, POINT origin) {
    if (!active)
        return;
    // A two-position toggle shows its on image for any nonzero value.
    const int position = PositionCount() == 2 ? (value != 0 ? 1 : 0) : value;
    if (position >= 0 && position < PositionCount() && stateImages[position])
        stateImages[position]->Draw(dc, origin.x, origin.y);
    RECT client;
    GetClientRect(hwnd, &client);
    OffsetRect(&client, origin.x, origin.y);
    DrawFocusRing(dc, client);
}

void ImageToggleBase::ChangeByUser(int position) {
    if (position == value)
        return;
    value = position;
    InvalidateRect(hwnd, nullptr, FALSE);
    host->ControlChanged(controlId, value);
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

void ImageToggleBase::Press() {
    // Any value set from the program counts as on, so a press always turns it off.
    value = value != 0 ? 0 : 1;
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    host->ControlChanged(controlId, value);
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
}

bool ImageToggleBase::OnKeyDown(int virtualKey) {
    ControlKey key;
    if (!active || !ControlKeyOf(virtualKey, key))
        return true;
    if (clickToggles) {
        if (key != ControlKey::Space)
            return true;
        Press();
        return false;
    }
    ChangeByUser(ToggleKeyPosition(key, PositionCount(), value));
    return false;
}

long ImageToggleBase::AccessibleRole() {
    if (clickToggles)
        return ROLE_SYSTEM_PUSHBUTTON;
    return PositionCount() == 2 ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_GROUPING;
}

std::wstring ImageToggleBase::AccessibleValue() {
    if (clickToggles)
        return L"";
    if (value >= 0 && static_cast<size_t>(value) < positionNames.size())
        return positionNames[static_cast<size_t>(value)];
    return FormatValue(value);
}

long ImageToggleBase::AccessibleState() {
    long state = CustomControl::AccessibleState();
    if (value != 0 && PositionCount() == 2)
        state |= clickToggles ? STATE_SYSTEM_PRESSED : STATE_SYSTEM_CHECKED;
    return state;
}

bool ImageToggleBase::OnLButtonDown(int, int) {
    if (!active)
        return true;
    // Capture first: a capture this toggle already holds ends with a capture-lost
    // call, which clears `pressed`.
    SetCapture(hwnd);
    pressed = true;
    SetFocus(hwnd);
    if (clickToggles)
        Press();
    return false;
}

bool ImageToggleBase::OnMouseMove(int, int y) {
    if (!active || clickToggles || !pressed)
        return true;
    ChangeByUser(PositionFromY(y));
    return false;
}

bool ImageToggleBase::OnLButtonUp(int, int y) {
    if (!active)
        return true;
    // Releasing the capture reports a capture loss, which clears `pressed`.
    bool wasPressed = pressed;
    pressed = false;
    ReleaseCapture();
    if (wasPressed && !clickToggles)
        ChangeByUser(PositionFromY(y));
    return false;
}

bool ImageToggleBase::OnCaptureLost(bool cancelMode) {
    if (!active)
        return true;
    if (cancelMode)
        OnLButtonUp(0, 0);
    // A capture taken elsewhere ends the press too, so the switch never stays held.
    pressed = false;
    return false;
}

bool ImageToggleBase::OnRButtonDown(int, int) {
    return true;
}
bool ImageToggleBase::OnRButtonUp(int, int) {
    return true;
}
bool ImageToggleBase::OnMButtonDown(int, int) {
    return true;
}
bool ImageToggleBase::OnMButtonUp(int, int) {
    return true;
}
bool ImageToggleBase::OnMouseWheel(int, int, int, int) {
    return true;
}
