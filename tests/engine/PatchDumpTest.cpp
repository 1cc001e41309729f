// The patch dump codec on the real factory bank and on dumps made up byte by byte,
// the texts of the patch list, the MIDI conversions and the parameter table.

#include "engine/PatchDump.h"
#include "engine/DumpPacker.h"
#include "engine/PatchRows.h"
#include "resources/ResourceIds.h"

#include "FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

namespace {

// Each field's packed offset, group header and the header's bit for bit 7 (header -1: a
// bit field of `bits` from `shift`), from the dump's layout apart from the parameter
// table. The last four: LFO SHAPE (all of byte 64), VCA AT, VCF AT and LFO AT (145, 147, 167).
struct HandField {
    int id, offset, header, headerBit, shift, bits;
};
const HandField kHandFields[] = {
    {8, 18, 11, 6, 0, 8},    {9, 21, 19, 1, 0, 8},   {10, 23, 19, 3, 0, 8},  {11, 25, 19, 5, 0, 8},
    {12, 28, 27, 0, 0, 8},   {13, 30, 27, 2, 0, 8},  {14, 32, 27, 4, 0, 8},  {15, 34, 27, 6, 0, 8},
    {16, 37, 35, 1, 0, 8},   {17, 39, 35, 3, 0, 8},  {18, 41, 35, 5, 0, 8},  {19, 44, 43, 0, 0, 8},
    {20, 46, 43, 2, 0, 8},   {21, 48, 43, 4, 0, 8},  {22, 50, 43, 6, 0, 8},  {23, 53, 51, 1, 0, 8},
    {24, 55, 51, 3, 0, 8},   {25, 57, 51, 5, 0, 8},  {26, 60, 59, 0, 0, 8},  {27, 62, 59, 2, 0, 8},
    {28, 64, 59, 4, 0, 8},   {29, 66, 59, 6, 0, 8},  {30, 69, 67, 1, 0, 8},  {31, 71, 67, 3, 0, 8},
    {32, 73, 67, 5, 0, 8},   {48, 74, -1, 0, 0, 1},  {49, 76, -1, 0, 0, 1},  {50, 77, -1, 0, 0, 1},
    {51, 78, -1, 0, 0, 1},   {52, 79, -1, 0, 0, 1},  {53, 80, -1, 0, 0, 1},  {54, 81, -1, 0, 0, 1},
    {55, 82, -1, 0, 0, 1},   {56, 84, -1, 0, 0, 1},  {58, 86, -1, 0, 0, 1},  {74, 87, -1, 0, 0, 1},
    {75, 87, -1, 0, 1, 1},   {76, 87, -1, 0, 2, 1},  {59, 87, -1, 0, 3, 2},  {60, 88, -1, 0, 0, 2},
    {61, 89, -1, 0, 0, 1},   {62, 90, -1, 0, 0, 1},  {63, 92, -1, 0, 0, 1},  {65, 93, -1, 0, 0, 1},
    {68, 96, -1, 0, 0, 2},   {69, 97, -1, 0, 0, 2},  {34, 102, 99, 2, 0, 8}, {35, 104, 99, 4, 0, 8},
    {37, 175, 171, 3, 0, 8}, {72, 181, -1, 0, 0, 1}, {57, 85, 83, 1, 0, 8},  {39, 177, 171, 5, 0, 8},
    {40, 180, 179, 0, 0, 8}, {41, 202, 195, 6, 0, 8}};

int HandValue(const Bytes& m, const HandField& f) {
    if (f.header < 0)
        return (m.at(f.offset) >> f.shift) & ((1 << f.bits) - 1);
    return (m.at(f.offset) & 0x7F) | ((m.at(f.header) >> f.headerBit) & 1) << 7;
}

std::map<int, int> Decoded(const Bytes& dump) {
    std::map<int, int> byId;
    const std::optional<std::vector<DecodedValue>> values = DecodeParameters(dump);
    for (const DecodedValue& v : values.value())
        EXPECT_TRUE(byId.emplace(v.id, v.value).second) << "ID " << v.id << " decoded twice";
    return byId;
}

// A 210-byte dump of patch 0, format 0x6F (unpacked byte 4), all other bytes zero.
Bytes BlankDump() {
    Bytes dump = Hex("F0 00 20 32 00 01 24 00 78 00 00 00 00 00 00 00 6F");
    dump.resize(210);
    return dump;
}

} // namespace

TEST(FactoryBank, EveryDumpDecodesAsUnpackedByHandWithItsNumberAndItsName) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    ASSERT_EQ(bank.size(), 100u);
    bool shapeAboveOne = false, vcfAtIsNotFltAttack = false;
    for (size_t i = 0; i < bank.size(); ++i) {
        SCOPED_TRACE("patch " + std::to_string(i));
        const Bytes& dump = bank[i];
        EXPECT_TRUE(IsPatchDump(dump) && !IsIdentificationReply(dump));
        EXPECT_EQ(ReadPatchNumber(dump), static_cast<int>(i));
        EXPECT_EQ(ReadFormatVersion(dump), 0x6F);
        const std::map<int, int> byId = Decoded(dump);
        EXPECT_EQ(byId.size(), std::size(kHandFields)) << "every field once, nothing else";
        for (const HandField& f : kHandFields)
            EXPECT_EQ(byId.count(f.id) ? byId.at(f.id) : -1, HandValue(dump, f)) << "ID " << f.id;
        // The whole shape byte, not a single bit; the aftertouch amounts, not FLT ATTACK.
        EXPECT_LE(byId.at(57), 5);
        shapeAboveOne |= byId.at(57) > 1;
        vcfAtIsNotFltAttack |= byId.at(40) != byId.at(21);
    }
    EXPECT_TRUE(shapeAboveOne && vcfAtIsNotFltAttack);
    for (const auto& [program, name] : kFactoryNames)
        EXPECT_EQ(ReadPatchName(bank[size_t(program)]), name);
}

TEST(PatchDump, RequestsRecognitionNumbersUnpackingAndTheCurrentPatchOfTheIdentificationReply) {
    EXPECT_EQ(HexText(BuildPatchRequest(399)), "F0 00 20 32 00 01 24 00 77 0F 03 F7") << "low part first";
    for (int n : {-1, 16384, 1 << 20}) { // every byte between F0 and F7 stays a data byte
        const Bytes request = BuildPatchRequest(n);
        EXPECT_TRUE(request.size() == 12 && (request[9] | request[10]) < 0x80) << n;
    }
    EXPECT_TRUE(IsPatchDump(Hex("F0 00 20 32 00 01 24 00 78"))) << "the header alone, carrying nothing";
    EXPECT_FALSE(IsPatchDump(Hex("F0 00 20 33 00 01 24 00 78 00 00 F7")));
    EXPECT_FALSE(IsPatchDump(BuildPatchRequest(7)));
    EXPECT_EQ(ReadPatchNumber(Hex("F0 00 20 32 00 01 24 00 78 8F 83")), 399) << "bit 7 is no part of it";
    EXPECT_FALSE(ReadPatchNumber(Hex("F0 00 20 32 00 01 24 00 78 0F")));
    // Bit 7 of each data byte comes from the header byte before its group of seven.
    const Bytes dump = Hex("F0 00 20 32 00 01 24 00 78 00 00 40 00 00 00 00 6F 00 12 01 7F");
    EXPECT_EQ(UnpackByte(dump, 4), 0x6F);
    EXPECT_EQ(UnpackByte(dump, 6), 0x92);
    EXPECT_EQ(UnpackByte(dump, 7), 0xFF);
    EXPECT_FALSE(UnpackByte(dump, 8)) << "past the end of the message";
    EXPECT_FALSE(UnpackByte(dump, -1));
    EXPECT_FALSE(UnpackByte(dump, 1 << 30));

    // The identification reply: the current patch in unpacked byte 5, its bit 7 in the
    // group header and its ninth bit in bit 0 of unpacked byte 6.
    Bytes reply = Hex("F0 00 20 32 00 01 24 00 78 7E 03 20 00 00 00 00 00 2B 01 F7");
    EXPECT_TRUE(IsIdentificationReply(reply));
    EXPECT_EQ(ReadCurrentPatch(reply), 0x1AB);
    reply[18] = 0x02;
    EXPECT_EQ(ReadCurrentPatch(reply), 0xAB);
    reply.resize(18);
    EXPECT_FALSE(ReadCurrentPatch(reply)) << "a reply of 18 bytes lacks byte 18";
    EXPECT_FALSE(ReadCurrentPatch(BlankDump())) << "a plain dump is no reply";
}

// The factory bank walk above reads every field; what it cannot show is which fields an
// older format or a shorter dump carries.
TEST(PatchDump, TheFormatAndTheSizeSayWhichFieldsADumpCarries) {
    // LFO AT only in format 0x6F dumps that reach it; nothing at all below 185 bytes.
    Bytes dump = BlankDump();
    dump[85] = 0x05;
    dump[83] = 0x02;
    EXPECT_EQ(Decoded(dump).at(57), 0x85) << "LFO SHAPE takes bit 7 like any whole byte";
    dump[16] = 0x6E;
    EXPECT_EQ(Decoded(dump).size(), 53u);
    dump[16] = 0x6F;
    for (auto [size, count] : {std::pair{203, 54u}, {202, 53u}, {185, 53u}}) {
        dump.resize(size_t(size));
        EXPECT_EQ(Decoded(dump).size(), count) << size;
    }
    dump.resize(184);
    EXPECT_FALSE(DecodeParameters(dump));
}

TEST(PatchDump, NameEndsAtATerminatorStepsOverTheHeadersAndTakesBytesUnchanged) {
    // Names from offset 183 on, over the headers at 187 and 195, the message's size and the
    // name read. Sixteen characters fill the field of format 0x6F, which ends at offset
    // 200: what follows is not read. Older formats end the name at a terminator only.
    const std::string sixteen = "0123456789ABCDEF";
    const std::tuple<std::string, size_t, std::string> cases[] = {
        {"PAD\xF7", 210, "PAD"},       {"PAD\x7F", 210, "PAD"},     {std::string(1, '\0'), 210, "[Unnamed]"},
        {"\xF7", 210, "[Unnamed]"},    {" \t~ABC", 210, " \t~ABC"}, {"AB", 185, ""},
        {sixteen + "X", 210, sixteen}, {sixteen, 201, sixteen}};
    auto named = [](const std::string& name, size_t size, uint8_t format) {
        Bytes dump = BlankDump();
        dump[16] = format;
        dump[187] = 0x55; // header bytes with bits set are no characters
        dump[195] = 0x41;
        for (size_t i = 0, offset = 183; i < name.size(); ++i, ++offset)
            dump[offset += offset == 187 || offset == 195] = static_cast<uint8_t>(name[i]);
        dump.resize(size);
        return ReadPatchName(dump);
    };
    for (const auto& [name, size, read] : cases)
        EXPECT_EQ(named(name, size, 0x6F), read) << name << ", " << size;
    EXPECT_EQ(named(sixteen + "XY", 210, 0x6E), sixteen + "XY");
    EXPECT_EQ(named("PAD", 210, 0x6D), "PAD");
    EXPECT_EQ(named("PAD", 210, 0x6C), "[Unnamed]") << "formats below 0x6D carry no name";
}

// Before format 0x6F the LFO amount (unpacked bytes 47 and 48, low byte first) kept a
// dead zone of 2048, which firmware 1.3.7 takes out when it loads the patch: at or below
// 2048 it plays 0, above it 2048 less. Every other value reads as it is stored.
TEST(PatchDump, AnOlderPatchReadsAsCurrentFirmwarePlaysIt) {
    const Bytes factory = LoadFactoryBank()[12];
    const struct {
        int format, stored, played;
    } cases[] = {{0x6F, 0x0800, 0x08}, {0x6F, 0xFFFF, 0xFF}, {0x6E, 0x0000, 0},   {0x6E, 0x0800, 0},
                 {0x6E, 0x0801, 0},    {0x6E, 0x08FF, 0},    {0x6E, 0x0900, 1},   {0x6E, 0x4A10, 0x42},
                 {0x6E, 0xFFFF, 0xF7}, {0x6D, 0x1000, 0x08}, {0x6C, 0x0100, 0x00}};
    for (const auto& c : cases) {
        std::vector<uint8_t> data = UnpackPatchData(factory);
        data[4] = static_cast<uint8_t>(c.format);
        data[47] = static_cast<uint8_t>(c.stored & 0xFF);
        data[48] = static_cast<uint8_t>(c.stored >> 8);
        std::map<int, int> expected = Decoded(factory), read = Decoded(PackPatchDump(12, data));
        expected[29] = c.played;
        if (c.format != 0x6F)
            expected.erase(41); // LFO AT
        EXPECT_EQ(read, expected) << std::hex << c.format << " " << c.stored;
    }
    EXPECT_EQ(FormatText(0x6E), "0x6E (firmware up to 1.2.7)");
}

TEST(PatchRows, ListTextsAndPaintedLabels) {
    const std::vector<Bytes> factory = LoadFactoryBank();
    Bytes unnamed = factory[0];
    unnamed[183] = 0x00;
    const std::tuple<int, PatchSlot, std::string> cases[] = {{0, {}, "00 : [not loaded]"},
                                                             {5, {false, factory[0]}, "05 : [not loaded]"},
                                                             {23, {true, factory[0]}, "23 : Organ I"},
                                                             {99, {true, unnamed}, "99 : [Unnamed]"},
                                                             {7, {true, {}}, "07 : "},
                                                             {42, {true, {0xF0, 0xF7}}, "42 : "}};
    for (const auto& [program, slot, text] : cases)
        EXPECT_EQ(PatchRowText(program, slot), text) << program;
    EXPECT_EQ(FileRowText(3, factory[12]), "12 : Muted Strings") << "the dump's own program number";

    PatchBank bank;
    bank.slots[7] = {true, factory[1]};
    bank.slots[207] = {true, factory[0]};
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  ") << "no bank chosen yet";
    bank.bank = 0;
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  Classical Brass");
    EXPECT_EQ(PatchRowLabel(100, &bank), "100 ") << "past the bank's rows";
    bank.bank = 2;
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  Organ I");
    EXPECT_EQ(PatchRowLabel(7, nullptr), "7  ");
    bank.slots.clear(); // a bank without its slots names nothing
    EXPECT_EQ(PatchRowLabel(7, &bank), "7  ");
}

// Typing in the list finds the next patch whose name starts with the letters typed.
TEST(PatchRows, TypedLettersFindTheNextNameThatStartsWithThem) {
    const std::vector<Bytes> factory = LoadFactoryBank();
    PatchBank bank;
    bank.bank = 0;
    for (size_t i = 0; i < factory.size(); ++i)
        bank.slots[i] = {true, factory[i]};
    bank.slots[3].loaded = false; // a row not loaded has no name to match
    const std::tuple<int, std::string, int> cases[] = {{0, "dog", 64}, {65, "ALIEN", 99}, {99, "organ i", 0},
                                                       {8, "mini", 7}, {0, "zzz", -1},    {0, "", -1}};
    for (const auto& [from, typed, row] : cases)
        EXPECT_EQ(FindRowByName(&bank, 100, from, typed), row) << typed << " from " << from;
    EXPECT_EQ(PatchRowName(7, &bank), "Mini Lead");
    EXPECT_EQ(PatchRowName(3, &bank), "");
}

TEST(Transforms, EachConversionBothWays) {
    // Pairs of a value and what the conversion makes of it. Knobs halve with an arithmetic
    // shift and double with a wrap: no overflow (UBSan watches).
    const std::pair<TransformFunction, std::vector<int>> cases[] = {
        {KnobToCc, {255, 127, 1, 0, 0, 0, -1, -1}},
        {CcToKnob, {127, 254, 0, 0, -3, -6, INT_MAX, -2, INT_MIN, 0}},
        {SwitchToCc, {0, 0, 1, 64, 5, 64, -1, 64, INT_MAX, 64}},
        {CcToSwitch, {0, 0, 1, 1, 64, 1, 127, 1}},
        {FreqAbDestToCc, {0, 0, 1, 127, -1, 127}},
        {FltDestToCc, {0, 0, 1, 126, 2, 126}},
        {PwAbDestToCc, {0, 0, 1, 124, INT_MAX, 124}},
        // Multi-position switches map their positions and pass the rest through.
        {KeyboardToCc, {0, 0, 1, 43, 2, 86, 3, 3, -1, -1}},
        {CcToKeyboard, {0, 0, 43, 1, 86, 2, 50, 50, 127, 127}},
        {FreqAdjToCc, {0, 0, 1, 32, 2, 64, 3, 96, 4, 4, -1, -1}},
        {CcToFreqAdj, {0, 0, 32, 1, 64, 2, 96, 3, 50, 50, 127, 127}},
        {LfoTargetToCc, {0, 0, 1, 33, 2, 66, 3, 99, 4, 4, -1, -1}},
        {CcToLfoTarget, {0, 0, 33, 1, 66, 2, 99, 3, 50, 50, 127, 127}},
        // LFO SHAPE keeps positions no knob shows inside its six-entry table (ASan watches).
        {LfoShapeToCc, {0, 0, 1, 22, 2, 44, 3, 66, 4, 88, 5, 110, -1, 0, 6, 110, INT_MIN, 0, INT_MAX, 110}},
        {CcToLfoShape, {0, 0, 22, 1, 44, 2, 66, 3, 88, 4, 110, 5, 30, 0, 127, 0, 1, 0}}};
    for (size_t row = 0; row < std::size(cases); ++row) {
        const auto& [function, pairs] = cases[row];
        for (size_t i = 0; i + 1 < pairs.size(); i += 2)
            EXPECT_EQ(function(nullptr, pairs[i]), pairs[i + 1]) << "row " << row << ", value " << pairs[i];
    }
}

TEST(ParameterTable, RowsAgreeWithTheirKindsControllersAndDumpFields) {
    std::set<int> ids;
    for (const ParameterRow& row : ParameterTable()) {
        SCOPED_TRACE("ID " + std::to_string(row.id));
        EXPECT_TRUE(row.id != 0 && ids.insert(row.id).second && FindParameterRow(row.id) == &row);
        const bool bankButton = row.id >= kFirstBankButtonId && row.id < kFirstBankButtonId + kBankCount;
        EXPECT_EQ(row.clickToggles, bankButton);
        EXPECT_EQ(row.toMidi == nullptr && row.fromMidi == nullptr && row.field.byte < 0, bankButton);
        EXPECT_TRUE(bankButton || row.id < 128) << "a 7-bit controller";
        const int positions[] = {row.id == 57 ? 6 : 256, 2, 3, 4}; // by kind
        EXPECT_EQ(row.maxValue + 1, positions[int(row.kind)]);
        if (row.kind == ControlKind::TwoState && !bankButton) // a lever shows up when on
            EXPECT_EQ(std::make_pair(row.offImage, row.onImage),
                      std::make_pair(IDB_SWITCH_DOWN, IDB_SWITCH_UP));
        // A bit field never reaches bit 7, which needs the group header; every value a
        // switch's field holds is one of its positions.
        if (row.field.byte >= 0 && row.field.bits < 8)
            EXPECT_TRUE(row.field.bits >= 1 && row.field.shift + row.field.bits <= 7 &&
                        (1 << row.field.bits) <=
                            (row.kind == ControlKind::ThreeState ? 4 : row.maxValue + 1));
    }
}
