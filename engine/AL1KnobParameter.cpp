#include "engine/AL1KnobParameter.h"

#include "controls/Knob.h"

#include <utility>

AL1KnobParameter::AL1KnobParameter(IHost* host, HWND parent, HINSTANCE instance, int x, int y, int maximum,
                                   int id, std::string knobName, ValueTransform toController,
                                   ValueTransform fromController)
    : Parameter(x, y, std::move(toController), std::move(fromController)) {
    name = std::move(knobName);
    control = new Knob(host, parent, instance, x, y, maximum, id);
    GetKnob()->SetValue(0);
}

AL1KnobParameter::~AL1KnobParameter() {
    delete control;
}

Knob* AL1KnobParameter::GetKnob() {
    return static_cast<Knob*>(control);
}

void AL1KnobParameter::SetValue(int value) {
    GetKnob()->SetValue(value);
}

void AL1KnobParameter::SetHighlighted(bool) {}

bool AL1KnobParameter::TestFlag(int) {
    return flag;
}

void AL1KnobParameter::SetName(std::string text) {
    name = std::move(text);
}

void AL1KnobParameter::MoveTo(int x, int y) {
    // The frame size follows the scale, so the window is recomputed around the centre.
    const POINT topLeft = Knob::WindowOrigin(x, y);
    const int side = Knob::FrameSize() + 10;
    SetWindowPos(control->hwnd, nullptr, topLeft.x, topLeft.y, side, side, kMoveWithoutDrawing);
}
