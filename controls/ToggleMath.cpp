#include "controls/ToggleMath.h"

#include "controls/KnobMath.h"

int TogglePositionFromY(int positions, int height, int y) {
    for (int boundary = 1; boundary < positions; ++boundary) {
        if (y < boundary * height / positions)
            return positions - boundary;
    }
    return 0;
}

int ToggleKeyPosition(ControlKey key, int positions, int value) {
    switch (key) {
    case ControlKey::Up:
        return value + 1 < positions ? value + 1 : value;
    case ControlKey::Down:
        return value > 0 ? value - 1 : value;
    case ControlKey::Space:
        return positions == 2 ? (value != 0 ? 0 : 1) : value;
    default:
        return value;
    }
}
