#include "controls/KnobMath.h"
#include "controls/PanMath.h"
#include "controls/ToggleMath.h"

#include <gtest/gtest.h>

namespace {

TEST(KnobMath, FramesFollowTheValue) {
    struct Row {
        int value, maximum, frame;
    } rows[] = {{0, 255, 0}, {128, 255, 63}, {255, 255, 126}, {1, 5, 25}, {5, 5, 126}};
    for (const Row& r : rows)
        EXPECT_EQ(KnobFrame(r.value, 0, r.maximum, 0, 126), r.frame) << r.value << " of 0.." << r.maximum;
    EXPECT_EQ(KnobFrame(3, 5, 5, 0, 126), 0) << "an empty range shows the first frame";
    for (int v = 1, previous = 0; v <= 255; previous = KnobFrame(v++, 0, 255, 0, 126))
        ASSERT_GE(KnobFrame(v, 0, 255, 0, 126), previous) << v;
}

TEST(KnobMath, Drags) {
    // Vertically 177.5 pixels for the whole range, four times finer with Shift, four
    // times coarser with Ctrl; past the ends the value is not clamped.
    struct Row {
        int startY, y, start, maximum;
        DragPace pace;
        int value;
    } rows[] = {{100, -77, 0, 255, DragPace::Normal, 254},  {100, -78, 0, 255, DragPace::Normal, 255},
                {0, 300, 255, 255, DragPace::Normal, -175}, {0, -708, 0, 255, DragPace::Fine, 254},
                {0, -710, 0, 255, DragPace::Fine, 255},     {0, -44, 0, 255, DragPace::Coarse, 252},
                {0, -45, 0, 255, DragPace::Coarse, 258},    {0, -10, 0, 5, DragPace::Normal, 0},
                {0, -11, 0, 5, DragPace::Normal, 1}};
    for (const Row& r : rows)
        EXPECT_EQ(VerticalDragValue(r.startY, r.y, r.start, 0, r.maximum, r.pace), r.value)
            << r.startY << " -> " << r.y << " pace " << static_cast<int>(r.pace) << " of 0.." << r.maximum;
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
