#pragma once

#include "engine/Parameter.h"

class IHost;
class ImageToggle4State;

// A four-position lever switch placed by its top-left corner.
class AL1ImageToggle4StateParameter : public Parameter {
  public:
    AL1ImageToggle4StateParameter(IHost* host, HWND parent, HINSTANCE instance, int x, int y, int id,
                                  ValueTransform toController, ValueTransform fromController);

    void SetValue(int value) override;  // stored unchecked; the toggle paints what it can
    void MoveTo(int x, int y) override; // top-left corner, sized to the current images
    ~AL1ImageToggle4StateParameter() override;

  private:
    ImageToggle4State* GetToggle();
};
