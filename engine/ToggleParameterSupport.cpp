#include "engine/ToggleParameterSupport.h"

#include "controls/ImageToggleBase.h"

POINT ToggleCenter(ImageToggleBase* toggle, POINT origin) {
    RECT client = {0, 0, 0, 0};
    if (toggle->hwnd)
        GetClientRect(toggle->hwnd, &client);
    return POINT{origin.x + (client.right - client.left) / 2, origin.y + (client.bottom - client.top) / 2};
}

void MoveToggle(ImageToggleBase* toggle, int x, int y) {
    SetWindowPos(toggle->hwnd, nullptr, x, y, toggle->imageWidth, toggle->imageHeight, kMoveWithoutDrawing);
}
