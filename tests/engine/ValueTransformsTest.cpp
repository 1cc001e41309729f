#include "engine/ValueTransforms.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Transforms, KnobHalvesAndDoubles) {
    EXPECT_EQ(KnobToCc(nullptr, 255), 127);
    EXPECT_EQ(KnobToCc(nullptr, 1), 0);
    EXPECT_EQ(KnobToCc(nullptr, 0), 0);
    EXPECT_EQ(KnobToCc(nullptr, -1), -1) << "arithmetic shift";
    EXPECT_EQ(CcToKnob(nullptr, 127), 254);
    EXPECT_EQ(CcToKnob(nullptr, 0), 0);
    EXPECT_EQ(CcToKnob(nullptr, -3), -6);
    // Total over every int: no overflow for values no controller carries (UBSan watches).
    EXPECT_EQ(CcToKnob(nullptr, INT_MAX), -2) << "wraps";
    EXPECT_EQ(CcToKnob(nullptr, INT_MIN), 0) << "wraps";
    for (int v = 0; v <= 127; ++v)
        EXPECT_EQ(KnobToCc(nullptr, CcToKnob(nullptr, v)), v);
}

TEST(Transforms, SwitchesSendTheirOwnOnValues) {
    EXPECT_EQ(SwitchToCc(nullptr, 0), 0);
    EXPECT_EQ(FreqAbDestToCc(nullptr, 0), 0);
    EXPECT_EQ(FltDestToCc(nullptr, 0), 0);
    EXPECT_EQ(PwAbDestToCc(nullptr, 0), 0);
    for (int on : {1, 2, 5, -1, INT_MAX}) {
        EXPECT_EQ(SwitchToCc(nullptr, on), 64);
        EXPECT_EQ(FreqAbDestToCc(nullptr, on), 127);
        EXPECT_EQ(FltDestToCc(nullptr, on), 126);
        EXPECT_EQ(PwAbDestToCc(nullptr, on), 124);
    }
    EXPECT_EQ(CcToSwitch(nullptr, 0), 0);
    for (int cc = 1; cc <= 127; ++cc)
        EXPECT_EQ(CcToSwitch(nullptr, cc), 1);
}

TEST(Transforms, MultiPositionSwitchesMapTheirPositionsAndPassTheRest) {
    struct Case {
        TransformFunction to;
        TransformFunction from;
        std::vector<int> ccs;
    };
    const Case cases[] = {
        {KeyboardToCc, CcToKeyboard, {0, 43, 86}},
        {FreqAdjToCc, CcToFreqAdj, {0, 32, 64, 96}},
        {LfoTargetToCc, CcToLfoTarget, {0, 33, 66, 99}},
    };
    for (const Case& c : cases) {
        for (size_t p = 0; p < c.ccs.size(); ++p) {
            EXPECT_EQ(c.to(nullptr, static_cast<int>(p)), c.ccs[p]);
            EXPECT_EQ(c.from(nullptr, c.ccs[p]), static_cast<int>(p));
        }
        const int past = static_cast<int>(c.ccs.size());
        EXPECT_EQ(c.to(nullptr, past), past);
        EXPECT_EQ(c.to(nullptr, -1), -1);
        EXPECT_EQ(c.from(nullptr, 50), 50);
        EXPECT_EQ(c.from(nullptr, 127), 127);
    }
    EXPECT_EQ(CcToKeyboard(nullptr, 50), 50) << "KEYBOARD 50 passes through unchanged";
}

TEST(Transforms, LfoShapeUsesItsSixEntryTable) {
    const int ccs[] = {0, 22, 44, 66, 88, 110};
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(LfoShapeToCc(nullptr, p), ccs[p]);
        EXPECT_EQ(CcToLfoShape(nullptr, ccs[p]), p);
    }
    EXPECT_EQ(CcToLfoShape(nullptr, 30), 0);
    EXPECT_EQ(CcToLfoShape(nullptr, 127), 0);
    EXPECT_EQ(CcToLfoShape(nullptr, 1), 0);
    // Positions no knob can show stay inside the table (the sanitizers watch the reads).
    for (int p : {-1, 6, 255, INT_MIN, INT_MAX}) {
        const int cc = LfoShapeToCc(nullptr, p);
        EXPECT_TRUE(cc == 0 || cc == 110) << p;
    }
}
