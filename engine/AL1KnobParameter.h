#pragma once

#include "engine/Parameter.h"

class IHost;
class Knob;

// A continuous setting shown by a knob of range 0..maximum, centred on its position.
class AL1KnobParameter : public Parameter {
  public:
    AL1KnobParameter(IHost* host, HWND parent, HINSTANCE instance, int x, int y, int maximum, int id,
                     std::string knobName, ValueTransform toController, ValueTransform fromController);

    void SetValue(int value) override;                // clamped to the knob's range
    void SetHighlighted(bool isHighlighted) override; // knobs are never highlighted
    bool TestFlag(int flagId) override;               // answers `flag`
    void SetName(std::string text) override;
    void MoveTo(int x, int y) override; // keeps the knob centred on (x, y)
    ~AL1KnobParameter() override;

    bool flag = false; // never set

  private:
    Knob* GetKnob();
};
