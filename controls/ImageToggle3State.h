#pragma once

#include "controls/ImageToggleBase.h"

// A three-position lever switch.
class ImageToggle3State : public ImageToggleBase {
  public:
    ImageToggle3State(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int id);
};
