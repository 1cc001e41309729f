#include "controls/ToggleMath.h"

int TogglePositionFromY(int positions, int height, int y) {
    for (int boundary = 1; boundary < positions; ++boundary) {
        if (y < boundary * height / positions)
            return positions - boundary;
    }
    return 0;
}
