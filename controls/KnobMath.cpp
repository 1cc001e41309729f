#include "controls/KnobMath.h"

#include <algorithm>
#include <cmath>

int ClampKnobValue(int value, int minValue, int maxValue) {
    if (value < minValue)
        return minValue;
    if (value > maxValue)
        return maxValue;
    return value;
}

int KnobFrame(int value, int minValue, int maxValue, int firstFrame, int lastFrame) {
    if (maxValue <= minValue)
        return firstFrame;
    float position = static_cast<float>(value - minValue) / static_cast<float>(maxValue - minValue);
    return static_cast<int>(position * static_cast<float>(lastFrame - firstFrame)) + firstFrame;
}

int VerticalDragValue(int startY, int y, int startValue, int minValue, int maxValue, DragPace pace) {
    double range = static_cast<double>(maxValue) - minValue;
    if (range <= 0)
        return startValue;
    double travel = (range + 100.0) * 0.5;
    if (pace == DragPace::Fine)
        travel *= 4.0;
    else if (pace == DragPace::Coarse)
        travel *= 0.25;
    double steps = static_cast<double>(startY - y) / (travel / range);
    return static_cast<int>(steps) + startValue;
}

int RotaryDragValue(int x, int y, int left, int top, int right, int bottom, int firstFrame, int lastFrame,
                    int minValue, int maxValue) {
    const double kPi = 3.14159265358979323846;
    double range = static_cast<double>(maxValue) - minValue;
    if (range <= 0)
        return minValue;
    int dx = x - (right - left) / 2 - left;
    int dy = (bottom - top) / 2 - y + top;
    double startAngle = firstFrame * 0.0078125 * 300.0 + 30.0;
    double endAngle = lastFrame * 0.0078125 * 300.0 + 30.0;
    double sweep = endAngle - startAngle;
    // Zero points straight up and grows clockwise; shifted by half a turn so that
    // degrees count clockwise from straight down.
    double theta = std::atan2(static_cast<double>(dx), static_cast<double>(dy));
    double relative = (theta + kPi) * 180.0 / kPi - startAngle;
    if (relative < 0)
        relative = 0;
    if (relative > sweep)
        relative = sweep;
    return static_cast<int>((relative + 0.5 * sweep / range) * range / sweep) + minValue;
}

int KnobKeyValue(ControlKey key, bool larger, int value, int minValue, int maxValue) {
    const int step = larger ? 4 : 1;
    const int page = std::max(1, static_cast<int>(std::lround((maxValue - minValue) / 10.0)));
    switch (key) {
    case ControlKey::Up:
        return ClampKnobValue(value + step, minValue, maxValue);
    case ControlKey::Down:
        return ClampKnobValue(value - step, minValue, maxValue);
    case ControlKey::PageUp:
        return ClampKnobValue(value + page, minValue, maxValue);
    case ControlKey::PageDown:
        return ClampKnobValue(value - page, minValue, maxValue);
    case ControlKey::Home:
        return minValue;
    case ControlKey::End:
        return maxValue;
    default:
        return value;
    }
}
