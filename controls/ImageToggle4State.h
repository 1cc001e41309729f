#pragma once

#include "controls/ImageToggleBase.h"

// A four-position lever switch.
class ImageToggle4State : public ImageToggleBase {
  public:
    ImageToggle4State(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int id);
};
