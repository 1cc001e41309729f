#include "controls/UnitFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(UnitFormat, EveryKind) {
    struct Row {
        int kind, value;
        const wchar_t* text;
    } rows[] = {
        {1, -17, L"-17"},
        {1, INT_MIN, L"-2147483648"},
        {2, -5, L"-0.5"},
        {2, 123, L"12.3"},
        {3, 5, L"0.05"},
        {3, -250, L"-2.50"},
        {11, 123, L"12.3 Hz"},
        {11, 0, L"0.0 Hz"},
        {6, 50, L"0.50"},
        {6, 51, L"0.50"},
        {6, 55, L"0.70"},
        {6, 60, L"0.95"},
        {6, 61, L"1.20"},
        {6, 115, L"12.00"},
        {6, 116, L"13.00"},
        {6, 127, L"24.00"},
        {6, -61, L"-1.20"},
        {6, -127, L"-24.00"},
        {6, INT_MIN, L"-2147483520.00"},
        {4, -2, L"-2 [32']"},
        {4, 0, L"0 [8']"},
        {4, 2, L"+2 [2']"},
        {4, 3, L""},
        {4, INT_MIN, L""},
        {4, INT_MAX, L""},
        {5, 0, L"Ring Mod"},
        {5, 3, L"Clip"},
        {5, 4, L""},
        {7, 0, L"LFO 1"},
        {7, 4, L"Common LFO"},
        {7, 5, L""},
        {8, 7, L"Square/Triangle"},
        {8, 8, L""},
        {8, -1, L""},
        {9, 0, L"Off"},
        {9, -3, L"On"},
        {12, 2, L"Triangle"},
        {13, 1, L"Noise"},
        {14, 0, L"Osc. 2"},
        {15, 1, L"Time"},
        {16, 0, L"Sub Osc"},
        {10, 180, L"180"},
        {10, 181, L"Random"},
        {18, 36, L"180"},
        {18, 37, L"Random"},
        {18, 38, L"190"},
        {18, INT_MAX, L"10737418235"},
        {18, INT_MIN, L"-10737418240"},
        {0, 5, L""},
        {17, 5, L""},
        {19, 5, L""},
        {-1, 5, L""},
        {INT_MAX, 5, L""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(std::wstring(FormatUnitValue(r.kind, r.value)), r.text)
            << "kind " << r.kind << ", " << r.value;
    EXPECT_LT(std::wstring(FormatUnitValue(2, INT_MAX)).size(), 32u) << "the widest text fits the buffer";
}

TEST(UnitFormat, NumbersShareOneBufferNamesAreConstants) {
    const wchar_t* first = FormatUnitValue(1, 12);
    const wchar_t* named = FormatUnitValue(9, 0);
    EXPECT_EQ(first, FormatUnitValue(3, 5));
    EXPECT_EQ(std::wstring(first), L"0.05");
    EXPECT_EQ(std::wstring(named), L"Off");
}

} // namespace
