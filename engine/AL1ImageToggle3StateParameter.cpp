#include "engine/AL1ImageToggle3StateParameter.h"

#include "controls/ImageToggle3State.h"
#include "engine/ToggleParameterSupport.h"

#include <utility>

AL1ImageToggle3StateParameter::AL1ImageToggle3StateParameter(IHost* host, HWND parent, HINSTANCE instance,
                                                             int x, int y, int id,
                                                             ValueTransform toController,
                                                             ValueTransform fromController)
    : Parameter(x, y, std::move(toController), std::move(fromController)) {
    control = new ImageToggle3State(host, parent, instance, x, y, id);
    center = ToggleCenter(GetToggle(), origin);
}

AL1ImageToggle3StateParameter::~AL1ImageToggle3StateParameter() {
    delete control;
}

ImageToggle3State* AL1ImageToggle3StateParameter::GetToggle() {
    return static_cast<ImageToggle3State*>(control);
}

void AL1ImageToggle3StateParameter::SetValue(int value) {
    GetToggle()->SetValue(value);
}

void AL1ImageToggle3StateParameter::MoveTo(int x, int y) {
    MoveToggle(GetToggle(), x, y);
}
