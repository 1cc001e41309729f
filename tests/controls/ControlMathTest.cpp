#include "controls/KnobMath.h"
#include "controls/PanMath.h"
#include "controls/ToggleMath.h"

#include <gtest/gtest.h>

namespace {

// The knob windows' tests drag vertically; here the rotary drag.
TEST(KnobMath, RotaryDrag) {
    // Around a 77-pixel window, centre (38, 38); straight down is the dead zone, which
    // gives the nearer end.
    struct Point {
        int x, y, value;
    } points[] = {{38, 0, 130}, {38, 37, 130}, {38, 76, 255}, {30, 76, 0},
                  {0, 76, 13},  {0, 38, 52},   {76, 38, 207}};
    for (const Point& p : points)
        EXPECT_EQ(RotaryDragValue(p.x, p.y, 0, 0, 77, 77, 0, 126, 0, 255), p.value) << p.x << ", " << p.y;
    EXPECT_EQ(RotaryDragValue(138, 100, 100, 100, 177, 177, 0, 126, 0, 255), 130) << "an offset rectangle";
}

TEST(ToggleMath, PositionFromHeight) {
    struct Row {
        int positions, height, y, position;
    } rows[] = {{2, 60, 29, 1}, {2, 60, 30, 0},     {3, 75, 24, 2}, {3, 75, 25, 1},
                {3, 75, 50, 0}, {4, 75, -32768, 3}, {3, 75, -1, 2}, {4, 75, 32767, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(TogglePositionFromY(r.positions, r.height, r.y), r.position)
            << r.positions << " positions, y " << r.y;
}

TEST(PanMath, ClampAndWheel) {
    EXPECT_EQ(ClampPanAxis(-700, 1920, 1280), -640);
    EXPECT_EQ(ClampPanAxis(-300, 1920, 1280), -300);
    EXPECT_EQ(ClampPanAxis(50, 1920, 1280), 0);
    EXPECT_EQ(ClampPanAxis(-10, 800, 1280), 0) << "a smaller panel sits at zero";
    EXPECT_EQ(WheelScrollPixels(120, false, false), 12);
    EXPECT_EQ(WheelScrollPixels(120, true, false), 24);
    EXPECT_EQ(WheelScrollPixels(120, false, true), 6);
    EXPECT_EQ(WheelScrollPixels(-120, false, false), -12);
}

} // namespace
