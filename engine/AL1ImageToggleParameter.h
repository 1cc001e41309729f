#pragma once

#include "engine/Parameter.h"

class IHost;
class ImageToggle;

// A two-position switch, or with clickToggles a push button, placed by its top-left corner.
class AL1ImageToggleParameter : public Parameter {
  public:
    AL1ImageToggleParameter(IHost* host, HWND parent, HINSTANCE instance, int x, int y, int offImageId,
                            int onImageId, bool clickToggles, int id, ValueTransform toController,
                            ValueTransform fromController);

    void SetValue(int value) override;  // stored unchecked; the toggle paints what it can
    void MoveTo(int x, int y) override; // top-left corner, sized to the current images
    ~AL1ImageToggleParameter() override;

  private:
    ImageToggle* GetToggle();
};
