#include "controls/UnitFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// The texts of each kind of value, joined by '|'; the octave text checks its range
// before it adds anything, and unknown kinds and values show nothing.
TEST(UnitFormat, EveryKind) {
    const struct {
        int kind;
        std::vector<int> values;
        const wchar_t* texts;
    } rows[] = {
        {1, {-17, INT_MIN}, L"-17|-2147483648"},
        {2, {-5, 123}, L"-0.5|12.3"},
        {3, {5, -250}, L"0.05|-2.50"},
        {11, {123, 0}, L"12.3 Hz|0.0 Hz"},
        {6,
         {50, 51, 55, 60, 61, 115, 116, 127, -61, -127, INT_MIN},
         L"0.50|0.50|0.70|0.95|1.20|12.00|13.00|24.00|-1.20|-24.00|-2147483520.00"},
        {4, {-2, 0, 2, 3, INT_MIN, INT_MAX}, L"-2 [32']|0 [8']|+2 [2']|||"},
        {5, {0, 3, 4}, L"Ring Mod|Clip|"},
        {7, {0, 4, 5}, L"LFO 1|Common LFO|"},
        {8, {7, 8, -1}, L"Square/Triangle||"},
        {9, {0, -3}, L"Off|On"},
        {12, {2}, L"Triangle"},
        {13, {1}, L"Noise"},
        {14, {0}, L"Osc. 2"},
        {15, {1}, L"Time"},
        {16, {0}, L"Sub Osc"},
        {10, {180, 181}, L"180|Random"},
        {18, {36, 37, 38, INT_MAX, INT_MIN}, L"180|Random|190|10737418235|-10737418240"},
        {0, {5}, L""},
        {17, {5}, L""},
        {19, {5}, L""},
        {-1, {5}, L""},
        {INT_MAX, {5}, L""},
    };
    for (const auto& r : rows) {
        std::wstring joined;
        for (std::size_t i = 0; i < r.values.size(); ++i)
            joined += (i ? L"|" : L"") + std::wstring(FormatUnitValue(r.kind, r.values[i]));
        EXPECT_EQ(joined, r.texts) << "kind " << r.kind;
    }
    EXPECT_LT(std::wstring(FormatUnitValue(2, INT_MAX)).size(), 32u) << "the widest text fits the buffer";
}

} // namespace
