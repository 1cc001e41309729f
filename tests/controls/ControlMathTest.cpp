#include "controls/KnobMath.h"
#include "controls/ToggleMath.h"
#include "controls/UnitFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// The texts of each kind of value, joined by '|'. The octave text checks the range
// before it adds anything; the signed scale and the fives count wider than int.
TEST(UnitFormat, EveryKind) {
    const struct {
        int kind;
        std::vector<int> values;
        const wchar_t* texts;
    } rows[] = {{1, {-17, INT_MIN}, L"-17|-2147483648"},
                {2, {-5, 123}, L"-0.5|12.3"},
                {3, {5, -250}, L"0.05|-2.50"},
                {11, {123}, L"12.3 Hz"},
                {6, {55, 61, 116, -127, INT_MIN}, L"0.70|1.20|13.00|-24.00|-2147483520.00"},
                {4, {-2, 2, 3, INT_MIN, INT_MAX}, L"-2 [32']|+2 [2']|||"},
                {5, {0, 3, 4}, L"Ring Mod|Clip|"},
                {7, {0, 4, 5}, L"LFO 1|Common LFO|"},
                {8, {7, 8}, L"Square/Triangle|"},
                {9, {0, -3}, L"Off|On"},
                {12, {2}, L"Triangle"},
                {13, {1}, L"Noise"},
                {14, {0}, L"Osc. 2"},
                {15, {1}, L"Time"},
                {16, {0}, L"Sub Osc"},
                {10, {180, 181}, L"180|Random"},
                {18, {36, 37, INT_MAX}, L"180|Random|10737418235"}};
    for (const auto& r : rows) {
        std::wstring joined;
        for (std::size_t i = 0; i < r.values.size(); ++i)
            joined += (i ? L"|" : L"") + std::wstring(FormatUnitValue(r.kind, r.values[i]));
        EXPECT_EQ(joined, r.texts) << "kind " << r.kind;
    }
    for (int unknown : {0, 17, 19, -1, INT_MAX})
        EXPECT_EQ(std::wstring(FormatUnitValue(unknown, 5)), L"") << unknown;
}

// The rotary drag around a 77-pixel window (straight down is the dead zone, which
// gives the nearer end), and slide positions at the ends of 16-bit mouse coordinates.
TEST(ControlMath, RotaryDragAndTogglePositions) {
    const int drags[][3] = {{38, 0, 130}, {38, 76, 255}, {30, 76, 0}, {0, 38, 52}};
    for (const auto& d : drags)
        EXPECT_EQ(RotaryDragValue(d[0], d[1], 0, 0, 77, 77, 0, 126, 0, 255), d[2]) << d[0] << ", " << d[1];
    EXPECT_EQ(TogglePositionFromY(4, 75, -32768), 3);
    EXPECT_EQ(TogglePositionFromY(4, 75, 32767), 0);
}

// Keys on a knob of 0..255 and of the six LFO shapes, and on switches of two to four
// positions: steps, pages and ends stay within the range.
TEST(ControlMath, KeysTurnKnobsAndMoveLevers) {
    using K = ControlKey;
    const struct {
        K key;
        bool shift;
        int value, max, expected;
    } knobs[] = {{K::Up, false, 100, 255, 101},    {K::Up, true, 100, 255, 104},
                 {K::Down, true, 2, 255, 0},       {K::PageUp, false, 100, 255, 126},
                 {K::PageDown, false, 20, 255, 0}, {K::PageUp, false, 2, 5, 3},
                 {K::End, false, 7, 255, 255},     {K::Home, true, 7, 255, 0},
                 {K::Up, true, 254, 255, 255},     {K::Space, false, 9, 255, 9}};
    for (const auto& k : knobs)
        EXPECT_EQ(KnobKeyValue(k.key, k.shift, k.value, 0, k.max), k.expected)
            << static_cast<int>(k.key) << " from " << k.value;
    const struct {
        K key;
        int positions, value, expected;
    } levers[] = {{K::Up, 4, 2, 3},    {K::Up, 4, 3, 3},    {K::Down, 3, 0, 0},  {K::Down, 2, 1, 0},
                  {K::Space, 2, 1, 0}, {K::Space, 2, 0, 1}, {K::Space, 3, 1, 1}, {K::Home, 4, 2, 2}};
    for (const auto& l : levers)
        EXPECT_EQ(ToggleKeyPosition(l.key, l.positions, l.value), l.expected)
            << static_cast<int>(l.key) << " on " << l.positions << " at " << l.value;
}

} // namespace
