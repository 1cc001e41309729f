#include "controls/ImageToggle4State.h"

#include "resources/ResourceIds.h"

ImageToggle4State::ImageToggle4State(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int id)
    : ImageToggleBase(controlHost, parent, module, x, y,
                      {IDB_LEVER_BOTTOM, IDB_LEVER_LOWER_MIDDLE, IDB_LEVER_UPPER_MIDDLE, IDB_LEVER_TOP},
                      false, id, L"IMAGETOGGLE4STATE") {}
