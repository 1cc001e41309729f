#include "controls/UnitFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::wstring Text(int kind, int value) {
    return FormatUnitValue(kind, value);
}

TEST(UnitFormat, PlainNumbers) {
    EXPECT_EQ(Text(1, 0), L"0");
    EXPECT_EQ(Text(1, -17), L"-17");
    EXPECT_EQ(Text(1, 255), L"255");
    EXPECT_EQ(Text(2, -5), L"-0.5");
    EXPECT_EQ(Text(2, 123), L"12.3");
    EXPECT_EQ(Text(3, 5), L"0.05");
    EXPECT_EQ(Text(3, -250), L"-2.50");
    EXPECT_EQ(Text(11, 123), L"12.3 Hz");
    EXPECT_EQ(Text(11, 0), L"0.0 Hz");
}

TEST(UnitFormat, SignedScaleSteps) {
    EXPECT_EQ(Text(6, 0), L"0.00");
    EXPECT_EQ(Text(6, 50), L"0.50");
    EXPECT_EQ(Text(6, 51), L"0.50");
    EXPECT_EQ(Text(6, 55), L"0.70");
    EXPECT_EQ(Text(6, 60), L"0.95");
    EXPECT_EQ(Text(6, 61), L"1.20");
    EXPECT_EQ(Text(6, 115), L"12.00");
    EXPECT_EQ(Text(6, 116), L"13.00");
    EXPECT_EQ(Text(6, 127), L"24.00");
    EXPECT_EQ(Text(6, -50), L"-0.50");
    EXPECT_EQ(Text(6, -60), L"-0.95");
    EXPECT_EQ(Text(6, -61), L"-1.20");
    EXPECT_EQ(Text(6, -127), L"-24.00");
}

TEST(UnitFormat, NamedTexts) {
    const wchar_t* octaves[] = {L"-2 [32']", L"-1 [16']", L"0 [8']", L"+1 [4']", L"+2 [2']"};
    for (int v = -2; v <= 2; ++v)
        EXPECT_EQ(Text(4, v), octaves[v + 2]);
    EXPECT_EQ(Text(4, 3), L"");
    EXPECT_EQ(Text(4, -3), L"");
    EXPECT_EQ(Text(5, 0), L"Ring Mod");
    EXPECT_EQ(Text(5, 3), L"Clip");
    EXPECT_EQ(Text(5, 4), L"");
    EXPECT_EQ(Text(7, 0), L"LFO 1");
    EXPECT_EQ(Text(7, 4), L"Common LFO");
    EXPECT_EQ(Text(7, 5), L"");
    EXPECT_EQ(Text(8, 0), L"Saw");
    EXPECT_EQ(Text(8, 7), L"Square/Triangle");
    EXPECT_EQ(Text(8, 8), L"");
    EXPECT_EQ(Text(8, -1), L"");
}

TEST(UnitFormat, TwoWayTexts) {
    EXPECT_EQ(Text(9, 0), L"Off");
    EXPECT_EQ(Text(9, 1), L"On");
    EXPECT_EQ(Text(9, -3), L"On");
    EXPECT_EQ(Text(12, 0), L"Square");
    EXPECT_EQ(Text(12, 2), L"Triangle");
    EXPECT_EQ(Text(13, 0), L"Osc. 1");
    EXPECT_EQ(Text(13, 1), L"Noise");
    EXPECT_EQ(Text(14, 0), L"Osc. 2");
    EXPECT_EQ(Text(14, 1), L"Ext.");
    EXPECT_EQ(Text(15, 0), L"Rate");
    EXPECT_EQ(Text(15, 1), L"Time");
    EXPECT_EQ(Text(16, 0), L"Sub Osc");
    EXPECT_EQ(Text(16, 1), L"Ext.");
}

TEST(UnitFormat, RandomAtTheTop) {
    EXPECT_EQ(Text(10, 180), L"180");
    EXPECT_EQ(Text(10, 181), L"Random");
    EXPECT_EQ(Text(10, 255), L"Random");
    EXPECT_EQ(Text(18, 36), L"180");
    EXPECT_EQ(Text(18, 37), L"Random");
    EXPECT_EQ(Text(18, 38), L"190");
}

TEST(UnitFormat, EmptyKindsAndUnknownKinds) {
    for (int kind : {0, 17, 19, -1, 1000, INT_MIN, INT_MAX})
        EXPECT_EQ(Text(kind, 5), L"") << kind;
}

TEST(UnitFormat, ExtremeValuesStayInTheBuffer) {
    EXPECT_EQ(Text(1, INT_MIN), L"-2147483648");
    EXPECT_EQ(Text(18, INT_MAX), L"10737418235");
    EXPECT_EQ(Text(18, INT_MIN), L"-10737418240");
    EXPECT_EQ(Text(6, INT_MIN), L"-2147483520.00"); // single precision
    EXPECT_EQ(Text(4, INT_MIN), L"");
    EXPECT_EQ(Text(4, INT_MAX), L"");
    // The widest numeric text fits the 32 characters with its terminator.
    std::wstring wide = Text(2, INT_MAX);
    EXPECT_LT(wide.size(), 32u);
}

TEST(UnitFormat, NumericTextsShareOneBuffer) {
    const wchar_t* first = FormatUnitValue(1, 12);
    const wchar_t* second = FormatUnitValue(3, 5);
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::wstring(first), L"0.05");
    // Named texts are constants and survive later calls.
    const wchar_t* named = FormatUnitValue(9, 0);
    FormatUnitValue(1, 99);
    EXPECT_EQ(std::wstring(named), L"Off");
}

} // namespace
