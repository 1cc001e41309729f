#include "controls/PanMath.h"

#include <algorithm>

int ClampPanAxis(int position, int size, int parentSize) {
    if (position + size < parentSize)
        position = parentSize - size;
    return std::min(position, 0);
}

int WheelScrollPixels(int delta, bool control, bool shift) {
    int divisor = control ? 5 : shift ? 20 : 10;
    return delta / divisor;
}
