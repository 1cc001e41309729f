#pragma once

#include "controls/ImageToggleBase.h"

// A two-position slide switch, or with clickToggles a push button.
class ImageToggle : public ImageToggleBase {
  public:
    ImageToggle(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int offImageId,
                int onImageId, bool flipsOnPress, int id);
};
