#include "controls/KnobMath.h"
#include "controls/PanMath.h"
#include "controls/ToggleMath.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(KnobFrame, EndsAndMiddleOfAFullRangeKnob) {
    EXPECT_EQ(KnobFrame(0, 0, 255, 0, 126), 0);
    EXPECT_EQ(KnobFrame(128, 0, 255, 0, 126), 63);
    EXPECT_EQ(KnobFrame(255, 0, 255, 0, 126), 126);
}

TEST(KnobFrame, EveryValueOfASmallKnobReachesItsFrame) {
    EXPECT_EQ(KnobFrame(0, 0, 5, 0, 126), 0);
    EXPECT_EQ(KnobFrame(1, 0, 5, 0, 126), 25);
    EXPECT_EQ(KnobFrame(5, 0, 5, 0, 126), 126);
}

TEST(KnobFrame, FramesNeverDecreaseAlongTheRange) {
    int previous = 0;
    for (int v = 0; v <= 255; ++v) {
        int frame = KnobFrame(v, 0, 255, 0, 126);
        EXPECT_GE(frame, previous);
        EXPECT_LE(frame, 126);
        previous = frame;
    }
}

TEST(KnobFrame, EmptyRangeShowsTheFirstFrame) {
    EXPECT_EQ(KnobFrame(3, 5, 5, 0, 126), 0);
}

TEST(VerticalDrag, FullRangeTakes177AndAHalfPixels) {
    EXPECT_EQ(VerticalDragValue(100, -77, 0, 0, 255, DragPace::Normal), 254);
    EXPECT_EQ(VerticalDragValue(100, -78, 0, 0, 255, DragPace::Normal), 255);
    EXPECT_EQ(VerticalDragValue(100, 100, 40, 0, 255, DragPace::Normal), 40);
}

TEST(VerticalDrag, MovingDownLowersAndPastTheEndIsNotClamped) {
    EXPECT_EQ(VerticalDragValue(0, 177, 255, 0, 255, DragPace::Normal), 1);
    EXPECT_EQ(VerticalDragValue(0, 300, 255, 0, 255, DragPace::Normal), -175);
    EXPECT_EQ(VerticalDragValue(300, 0, 0, 0, 255, DragPace::Normal), 430);
}

TEST(VerticalDrag, ShiftIsFourTimesFinerCtrlFourTimesCoarser) {
    // 710 pixels for the whole range with Shift, 44.375 with Ctrl.
    EXPECT_EQ(VerticalDragValue(0, -708, 0, 0, 255, DragPace::Fine), 254);
    EXPECT_EQ(VerticalDragValue(0, -710, 0, 0, 255, DragPace::Fine), 255);
    EXPECT_EQ(VerticalDragValue(0, -44, 0, 0, 255, DragPace::Coarse), 252);
    EXPECT_EQ(VerticalDragValue(0, -45, 0, 0, 255, DragPace::Coarse), 258);
    EXPECT_EQ(VerticalDragValue(0, -10, 0, 0, 255, DragPace::Normal), 14);
    EXPECT_EQ(VerticalDragValue(0, -10, 0, 0, 255, DragPace::Fine), 3);
    EXPECT_EQ(VerticalDragValue(0, -10, 0, 0, 255, DragPace::Coarse), 57);
}

TEST(VerticalDrag, SmallRangeTravelsFurtherPerStep) {
    // Range 5: 52.5 pixels for the whole range, 10.5 per step.
    EXPECT_EQ(VerticalDragValue(0, -10, 0, 0, 5, DragPace::Normal), 0);
    EXPECT_EQ(VerticalDragValue(0, -11, 0, 0, 5, DragPace::Normal), 1);
    EXPECT_EQ(VerticalDragValue(0, -53, 0, 0, 5, DragPace::Normal), 5);
}

// A 77-pixel knob window: centre (38, 38).
int Rotary(int x, int y) {
    return RotaryDragValue(x, y, 0, 0, 77, 77, 0, 126, 0, 255);
}

TEST(RotaryDrag, StraightUpIsJustAboveTheMiddle) {
    EXPECT_EQ(Rotary(38, 0), 130);
    EXPECT_EQ(Rotary(38, 37), 130);
}

TEST(RotaryDrag, DeadZoneAroundStraightDownGivesTheNearerEnd) {
    EXPECT_EQ(Rotary(38, 76), 255); // straight down counts as the end of the sweep
    EXPECT_EQ(Rotary(30, 76), 0);
    EXPECT_EQ(Rotary(46, 76), 255);
    EXPECT_EQ(Rotary(20, 76), 0);   // 25 degrees left of straight down
    EXPECT_EQ(Rotary(56, 76), 255); // 25 degrees right of it
    EXPECT_EQ(Rotary(0, 76), 13);   // 45 degrees: past the dead zone
}

TEST(RotaryDrag, LeftAndRightAreOnEitherSideOfTheMiddle) {
    int left = Rotary(0, 38);   // 90 degrees from straight down
    int right = Rotary(76, 38); // 270 degrees
    EXPECT_EQ(left, static_cast<int>((60 + 0.5 * 295.3125 / 255) * 255 / 295.3125));
    EXPECT_EQ(right, static_cast<int>((240 + 0.5 * 295.3125 / 255) * 255 / 295.3125));
    EXPECT_LT(left, Rotary(38, 0));
    EXPECT_GT(right, Rotary(38, 0));
}

TEST(RotaryDrag, RectangleOffsetMovesTheCentre) {
    EXPECT_EQ(RotaryDragValue(138, 100, 100, 100, 177, 177, 0, 126, 0, 255), 130);
}

TEST(TogglePosition, TwoPositionsSplitAtHalfTheHeight) {
    EXPECT_EQ(TogglePositionFromY(2, 60, 0), 1);
    EXPECT_EQ(TogglePositionFromY(2, 60, 29), 1);
    EXPECT_EQ(TogglePositionFromY(2, 60, 30), 0);
    EXPECT_EQ(TogglePositionFromY(2, 60, 59), 0);
}

TEST(TogglePosition, ThreePositionsAt25And50) {
    EXPECT_EQ(TogglePositionFromY(3, 75, 24), 2);
    EXPECT_EQ(TogglePositionFromY(3, 75, 25), 1);
    EXPECT_EQ(TogglePositionFromY(3, 75, 49), 1);
    EXPECT_EQ(TogglePositionFromY(3, 75, 50), 0);
}

TEST(TogglePosition, FourPositionsAt18And37And56) {
    EXPECT_EQ(TogglePositionFromY(4, 75, 17), 3);
    EXPECT_EQ(TogglePositionFromY(4, 75, 18), 2);
    EXPECT_EQ(TogglePositionFromY(4, 75, 36), 2);
    EXPECT_EQ(TogglePositionFromY(4, 75, 37), 1);
    EXPECT_EQ(TogglePositionFromY(4, 75, 55), 1);
    EXPECT_EQ(TogglePositionFromY(4, 75, 56), 0);
}

TEST(TogglePosition, OutsideTheWindowGivesTheEnds) {
    for (int positions : {2, 3, 4}) {
        EXPECT_EQ(TogglePositionFromY(positions, 75, -1), positions - 1);
        EXPECT_EQ(TogglePositionFromY(positions, 75, -32768), positions - 1);
        EXPECT_EQ(TogglePositionFromY(positions, 75, 75), 0);
        EXPECT_EQ(TogglePositionFromY(positions, 75, 32767), 0);
    }
}

TEST(PanClamp, LargerPanelStaysOverTheParent) {
    EXPECT_EQ(ClampPanAxis(-700, 1920, 1280), -640);
    EXPECT_EQ(ClampPanAxis(-640, 1920, 1280), -640);
    EXPECT_EQ(ClampPanAxis(-300, 1920, 1280), -300);
    EXPECT_EQ(ClampPanAxis(50, 1920, 1280), 0);
}

TEST(PanClamp, SmallerPanelSitsAtZero) {
    EXPECT_EQ(ClampPanAxis(-10, 800, 1280), 0);
    EXPECT_EQ(ClampPanAxis(30, 800, 1280), 0);
}

TEST(WheelScroll, NotchMovesByKeys) {
    EXPECT_EQ(WheelScrollPixels(120, false, false), 12);
    EXPECT_EQ(WheelScrollPixels(120, true, false), 24);
    EXPECT_EQ(WheelScrollPixels(120, false, true), 6);
    EXPECT_EQ(WheelScrollPixels(120, true, true), 24);
    EXPECT_EQ(WheelScrollPixels(-120, false, false), -12);
    // A notch at top -100 moves the panel to -88; at 0 it stays at 0.
    EXPECT_EQ(ClampPanAxis(-100 + WheelScrollPixels(120, false, false), 869, 600), -88);
    EXPECT_EQ(ClampPanAxis(0 + WheelScrollPixels(120, false, false), 869, 600), 0);
}

} // namespace
