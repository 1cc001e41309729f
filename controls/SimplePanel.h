#pragma once

#include "controls/CustomControl.h"

// A plain black child area that swallows mouse input.
class SimplePanel : public CustomControl {
  public:
    SimplePanel(IHost* controlHost, HWND parent, HINSTANCE instance, const RECT& area);
};
