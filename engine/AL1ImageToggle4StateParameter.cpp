#include "engine/AL1ImageToggle4StateParameter.h"

#include "controls/ImageToggle4State.h"
#include "engine/ToggleParameterSupport.h"

#include <utility>

AL1ImageToggle4StateParameter::AL1ImageToggle4StateParameter(IHost* host, HWND parent, HINSTANCE instance,
                                                             int x, int y, int id,
                                                             ValueTransform toController,
                                                             ValueTransform fromController)
    : Parameter(x, y, std::move(toController), std::move(fromController)) {
    control = new ImageToggle4State(host, parent, instance, x, y, id);
    center = ToggleCenter(GetToggle(), origin);
}

AL1ImageToggle4StateParameter::~AL1ImageToggle4StateParameter() {
    delete control;
}

ImageToggle4State* AL1ImageToggle4StateParameter::GetToggle() {
    return static_cast<ImageToggle4State*>(control);
}

void AL1ImageToggle4StateParameter::SetValue(int value) {
    GetToggle()->SetValue(value);
}

void AL1ImageToggle4StateParameter::MoveTo(int x, int y) {
    MoveToggle(GetToggle(), x, y);
}
