#include "controls/ImageToggle.h"

ImageToggle::ImageToggle(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y, int offImageId,
                         int onImageId, bool flipsOnPress, int id)
    : ImageToggleBase(controlHost, parent, module, x, y,
                      {static_cast<WORD>(offImageId), static_cast<WORD>(onImageId)}, flipsOnPress, id,
                      L"ALIMAGETOGGLE") {}
