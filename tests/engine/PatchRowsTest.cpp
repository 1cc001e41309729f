#include "engine/PatchRows.h"

#include "FactoryBank.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr size_t kNameStart = 183; // the first name byte of a dump

PatchSlot Loaded(std::vector<uint8_t> dump) {
    return PatchSlot{true, std::move(dump)};
}

std::vector<uint8_t> Unnamed() {
    std::vector<uint8_t> dump = LoadFactoryBank().at(0);
    dump[kNameStart] = 0x00;
    return dump;
}

TEST(PatchRows, ItemStringsNameLoadedPatches) {
    const std::vector<uint8_t> organ = LoadFactoryBank().at(0);
    const struct {
        int program;
        PatchSlot slot;
        std::string text;
    } cases[] = {
        {0, PatchSlot{}, "00 : [not loaded]"},
        {5, PatchSlot{false, organ}, "05 : [not loaded]"},
        {23, Loaded(organ), "23 : Organ I"},
        {99, Loaded(Unnamed()), "99 : [Unnamed]"},
        {7, Loaded({}), "07 : "},
        {42, Loaded({0xF0, 0xF7}), "42 : "}, // too short to carry a name
    };
    for (const auto& c : cases)
        EXPECT_EQ(PatchRowText(c.program, c.slot), c.text) << c.program;
}

TEST(PatchRows, PaintedLabelsShowNamesOfTheCurrentBankOnly) {
    PatchBank bank;
    bank.slots[7] = Loaded(LoadFactoryBank().at(1));
    bank.slots[207] = Loaded(LoadFactoryBank().at(0));
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  ") << "no bank chosen yet";
    bank.bank = 0;
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  Classical Brass");
    EXPECT_EQ(PatchRowLabel(8, &bank), "8  ");
    EXPECT_EQ(PatchRowLabel(100, &bank), "100 ") << "past the bank's rows";
    bank.bank = 2;
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  Organ I");
    EXPECT_EQ(PatchRowLabel(7, nullptr), "7  ");
    bank.slots.clear(); // a bank without its slots names nothing
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  ");
}

} // namespace
