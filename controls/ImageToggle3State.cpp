#include "controls/ImageToggle3State.h"

#include "resources/ResourceIds.h"

ImageToggle3State::ImageToggle3State(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int id)
    : ImageToggleBase(controlHost, parent, module, x, y, {IDB_LEVER_BOTTOM, IDB_LEVER_MIDDLE, IDB_LEVER_TOP},
                      false, id, L"IMAGETOGGLE3STATE") {}
