#include "engine/AL1ImageToggleParameter.h"

#include "controls/ImageToggle.h"
#include "engine/ToggleParameterSupport.h"

#include <utility>

AL1ImageToggleParameter::AL1ImageToggleParameter(IHost* host, HWND parent, HINSTANCE instance, int x, int y,
                                                 int offImageId, int onImageId, bool clickToggles, int id,
                                                 ValueTransform toController, ValueTransform fromController)
    : Parameter(x, y, std::move(toController), std::move(fromController)) {
    control = new ImageToggle(host, parent, instance, x, y, offImageId, onImageId, clickToggles, id);
    center = ToggleCenter(GetToggle(), origin);
}

AL1ImageToggleParameter::~AL1ImageToggleParameter() {
    delete control;
}

ImageToggle* AL1ImageToggleParameter::GetToggle() {
    return static_cast<ImageToggle*>(control);
}

void AL1ImageToggleParameter::SetValue(int value) {
    GetToggle()->SetValue(value);
}

void AL1ImageToggleParameter::MoveTo(int x, int y) {
    MoveToggle(GetToggle(), x, y);
}
