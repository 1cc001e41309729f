#include "engine/ParameterTable.h"
#include "editor/PanelLayout.h"
#include "engine/PatchBank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

TEST(ParameterTable, FiftyEightRowsInCreationOrderWithDistinctIds) {
    const auto& rows = ParameterTable();
    std::set<int> ids;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].number, static_cast<int>(i) + 1);
        EXPECT_TRUE(ids.insert(rows[i].id).second) << "duplicate ID " << rows[i].id;
        EXPECT_NE(rows[i].id, 0);
        EXPECT_EQ(FindParameterRow(rows[i].id), &rows[i]);
    }
    EXPECT_EQ(std::string(rows.front().name), "OSC A FREQ");
    EXPECT_EQ(rows.front().id, 8);
    EXPECT_EQ(rows.back().id, 1203);
    EXPECT_EQ(FindParameterRow(0), nullptr);
    EXPECT_EQ(FindParameterRow(7), nullptr);
}

TEST(ParameterTable, KnobsAreNamedAndSwitchesAreNot) {
    int knobs = 0;
    for (const ParameterRow& row : ParameterTable()) {
        EXPECT_NE(std::string(row.label), "") << row.id;
        if (row.kind == ControlKind::Knob) {
            ++knobs;
            EXPECT_EQ(std::string(row.name), row.label);
            EXPECT_EQ(row.maxValue, row.id == 57 ? 5 : 255) << row.id;
        } else {
            EXPECT_EQ(std::string(row.name), "") << row.id;
            const int positions = row.kind == ControlKind::TwoState     ? 2
                                  : row.kind == ControlKind::ThreeState ? 3
                                                                        : 4;
            EXPECT_EQ(row.maxValue, positions - 1) << row.id;
        }
    }
    EXPECT_EQ(knobs, 32);
}

TEST(ParameterTable, ControllerIdsAreSevenBitExceptTheBankButtons) {
    for (const ParameterRow& row : ParameterTable()) {
        const bool bankButton = row.id >= kFirstBankButtonId && row.id < kFirstBankButtonId + kBankCount;
        if (bankButton) {
            EXPECT_TRUE(row.clickToggles);
            EXPECT_EQ(row.toMidi, nullptr);
            EXPECT_EQ(row.fromMidi, nullptr);
            EXPECT_EQ(row.field.byte, -1);
        } else {
            EXPECT_LT(row.id, 128);
            EXPECT_FALSE(row.clickToggles);
            EXPECT_NE(row.toMidi, nullptr);
            EXPECT_NE(row.fromMidi, nullptr);
        }
    }
}

TEST(ParameterTable, DumpFieldsHoldTheirControlsRange) {
    for (const ParameterRow& row : ParameterTable()) {
        if (row.field.byte < 0)
            continue;
        EXPECT_GE(row.field.bits, 1);
        EXPECT_LE(row.field.shift + row.field.bits, 8) << row.id;
        // A bit field never reaches bit 7, which would need the group header.
        if (row.field.bits < 8)
            EXPECT_LE(row.field.shift + row.field.bits, 7) << row.id;
        // Every value of a switch's field is one of its positions; knobs take whole bytes.
        if (row.kind != ControlKind::Knob)
            EXPECT_LE((1 << row.field.bits) - 1, row.kind == ControlKind::ThreeState ? 3 : row.maxValue)
                << row.id;
    }
}

TEST(ParameterTable, PanelPlacesTheControlsWhereTheLayoutSays) {
    auto window = [](int id) { return PanelLayout::ControlWindow(*FindParameterRow(id)); };
    auto same = [](const PanelRect& r, int left, int top, int width, int height) {
        return r.left == left && r.top == top && r.width == width && r.height == height;
    };
    EXPECT_TRUE(same(window(15), 1184, 223, 77, 77)) << "CUTOFF";
    EXPECT_TRUE(same(window(60), 1645, 239, 24, 75)) << "the keyboard switch";
    // The bank buttons side by side on y 50, the last gap one pixel wider.
    const int bankLeft[] = {55, 105, 155, 206};
    for (int i = 0; i < kBankCount; ++i)
        EXPECT_TRUE(same(window(kFirstBankButtonId + i), bankLeft[i], 50, 45, 45)) << i;

    // Every window inside the panel; the right-most edge is LFO AT's, the lowest the
    // bottom knob row's.
    int right = 0, bottom = 0;
    for (const ParameterRow& row : ParameterTable()) {
        const PanelRect w = PanelLayout::ControlWindow(row);
        EXPECT_TRUE((PanelRect{0, 0, kPanelWidth, kPanelHeight}.Contains(w))) << row.id;
        right = std::max(right, w.Right());
        bottom = std::max(bottom, w.Bottom());
    }
    EXPECT_EQ(right, window(41).Right());
    EXPECT_EQ(right, 1842);
    EXPECT_EQ(bottom, 804);
    EXPECT_EQ(PanelLayout::Get().StatusPanel().Bottom(), 835);
}

TEST(PatchBankData, StartsWithNoBankNoProgramAndFourHundredEmptySlots) {
    const PatchBank bank;
    EXPECT_EQ(bank.host, nullptr);
    EXPECT_EQ(bank.bank, -1);
    EXPECT_EQ(bank.program, -1);
    ASSERT_EQ(bank.slots.size(), 400u);
    for (const PatchSlot& slot : bank.slots) {
        EXPECT_FALSE(slot.loaded);
        EXPECT_TRUE(slot.dump.empty());
    }
}
