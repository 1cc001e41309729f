#include "controls/KnobMath.h"
#include "controls/PanMath.h"
#include "controls/ToggleMath.h"

#include <gtest/gtest.h>

namespace {

TEST(KnobMath, ClampAndFrames) {
    struct Row {
        int value, maximum, clamped, frame;
    } rows[] = {{0, 255, 0, 0},  {128, 255, 128, 63}, {255, 255, 255, 126}, {300, 255, 255, 126},
                {-4, 255, 0, 0}, {1, 5, 1, 25},       {5, 5, 5, 126},       {6, 5, 5, 126}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.value << " of 0.." << r.maximum);
        EXPECT_EQ(ClampKnobValue(r.value, 0, r.maximum), r.clamped);
        EXPECT_EQ(KnobFrame(r.clamped, 0, r.maximum, 0, 126), r.frame);
    }
    EXPECT_EQ(KnobFrame(3, 5, 5, 0, 126), 0) << "an empty range shows the first frame";
    for (int v = 1, previous = 0; v <= 255; previous = KnobFrame(v++, 0, 255, 0, 126))
        ASSERT_GE(KnobFrame(v, 0, 255, 0, 126), previous) << v;
}

TEST(KnobMath, VerticalDrag) {
    // 177.5 pixels for the whole range of 255, four times finer with Shift, four times
    // coarser with Ctrl; past the ends the value is not clamped.
    struct Row {
        int startY, y, start, maximum;
        DragPace pace;
        int value;
    } rows[] = {{100, -77, 0, 255, DragPace::Normal, 254},  {100, -78, 0, 255, DragPace::Normal, 255},
                {100, 100, 40, 255, DragPace::Normal, 40},  {0, 177, 255, 255, DragPace::Normal, 1},
                {0, 300, 255, 255, DragPace::Normal, -175}, {300, 0, 0, 255, DragPace::Normal, 430},
                {0, -708, 0, 255, DragPace::Fine, 254},     {0, -710, 0, 255, DragPace::Fine, 255},
                {0, -44, 0, 255, DragPace::Coarse, 252},    {0, -45, 0, 255, DragPace::Coarse, 258},
                {0, -10, 0, 255, DragPace::Fine, 3},        {0, -10, 0, 255, DragPace::Coarse, 57},
                {0, -10, 0, 5, DragPace::Normal, 0},        {0, -11, 0, 5, DragPace::Normal, 1},
                {0, -53, 0, 5, DragPace::Normal, 5}};
    for (const Row& r : rows)
        EXPECT_EQ(VerticalDragValue(r.startY, r.y, r.start, 0, r.maximum, r.pace), r.value)
            << r.startY << " -> " << r.y << " pace " << static_cast<int>(r.pace) << " of 0.." << r.maximum;
}

TEST(KnobMath, RotaryDragAroundA77PixelWindow) {
    // Centre (38, 38); straight down is the dead zone, which gives the nearer end.
    struct Row {
        int x, y, value;
    } rows[] = {{38, 0, 130},  {38, 37, 130}, {38, 76, 255}, {30, 76, 0},  {20, 76, 0},
                {56, 76, 255}, {0, 76, 13},   {0, 38, 52},   {76, 38, 207}};
    for (const Row& r : rows)
        EXPECT_EQ(RotaryDragValue(r.x, r.y, 0, 0, 77, 77, 0, 126, 0, 255), r.value) << r.x << ", " << r.y;
    EXPECT_EQ(RotaryDragValue(138, 100, 100, 100, 177, 177, 0, 126, 0, 255), 130) << "an offset rectangle";
}

TEST(ToggleMath, PositionFromHeight) {
    struct Row {
        int positions, height, y, position;
    } rows[] = {{2, 60, 0, 1},  {2, 60, 29, 1},   {2, 60, 30, 0}, {3, 75, 24, 2},     {3, 75, 25, 1},
                {3, 75, 49, 1}, {3, 75, 50, 0},   {4, 75, 17, 3}, {4, 75, 18, 2},     {4, 75, 36, 2},
                {4, 75, 37, 1}, {4, 75, 55, 1},   {4, 75, 56, 0}, {4, 75, -32768, 3}, {3, 75, -1, 2},
                {2, 75, 75, 0}, {4, 75, 32767, 0}};
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
    EXPECT_EQ(WheelScrollPixels(120, true, true), 24);
    EXPECT_EQ(WheelScrollPixels(-120, false, false), -12);
}

} // namespace
