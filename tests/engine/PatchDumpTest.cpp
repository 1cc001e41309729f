#include "engine/PatchDump.h"
#include "engine/SysExConstants.h"

#include "FactoryBank.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// The field positions written out from the byte layout of the dump, independent of
// the parameter table: packed offset of the low seven bits, and for 8-bit fields the
// group header and bit that supply bit 7. Bit fields give shift and width.
struct HandField {
    int id;
    int offset;
    int header; // -1: a bit field
    int headerBit;
    int shift;
    int bits;
};

const HandField kHandFields[] = {
    {8, 18, 11, 6, 0, 8},
    {9, 21, 19, 1, 0, 8},
    {10, 23, 19, 3, 0, 8},
    {11, 25, 19, 5, 0, 8},
    {12, 28, 27, 0, 0, 8},
    {13, 30, 27, 2, 0, 8},
    {14, 32, 27, 4, 0, 8},
    {15, 34, 27, 6, 0, 8},
    {16, 37, 35, 1, 0, 8},
    {17, 39, 35, 3, 0, 8},
    {18, 41, 35, 5, 0, 8},
    {19, 44, 43, 0, 0, 8},
    {20, 46, 43, 2, 0, 8},
    {21, 48, 43, 4, 0, 8},
    {22, 50, 43, 6, 0, 8},
    {23, 53, 51, 1, 0, 8},
    {24, 55, 51, 3, 0, 8},
    {25, 57, 51, 5, 0, 8},
    {26, 60, 59, 0, 0, 8},
    {27, 62, 59, 2, 0, 8},
    {28, 64, 59, 4, 0, 8},
    {29, 66, 59, 6, 0, 8},
    {30, 69, 67, 1, 0, 8},
    {31, 71, 67, 3, 0, 8},
    {32, 73, 67, 5, 0, 8},
    {48, 74, -1, 0, 0, 1},
    {49, 76, -1, 0, 0, 1},
    {50, 77, -1, 0, 0, 1},
    {51, 78, -1, 0, 0, 1},
    {52, 79, -1, 0, 0, 1},
    {53, 80, -1, 0, 0, 1},
    {54, 81, -1, 0, 0, 1},
    {55, 82, -1, 0, 0, 1},
    {56, 84, -1, 0, 0, 1},
    {58, 86, -1, 0, 0, 1},
    {74, 87, -1, 0, 0, 1},
    {75, 87, -1, 0, 1, 1},
    {76, 87, -1, 0, 2, 1},
    {59, 87, -1, 0, 3, 2},
    {60, 88, -1, 0, 0, 2},
    {61, 89, -1, 0, 0, 1},
    {62, 90, -1, 0, 0, 1},
    {63, 92, -1, 0, 0, 1},
    {65, 93, -1, 0, 0, 1},
    {68, 96, -1, 0, 0, 2},
    {69, 97, -1, 0, 0, 2},
    {34, 102, 99, 2, 0, 8},
    {35, 104, 99, 4, 0, 8},
    {37, 175, 171, 3, 0, 8},
    {72, 181, -1, 0, 0, 1},
    // where the instrument keeps the rest: LFO SHAPE whole (unpacked 64), VCA AT (145),
    // VCF AT (147) and, in format 0x6F, LFO AT (167)
    {57, 85, 83, 1, 0, 8},
    {39, 177, 171, 5, 0, 8},
    {40, 180, 179, 0, 0, 8},
    {41, 202, 195, 6, 0, 8},
};

int HandValue(const Bytes& m, const HandField& f) {
    if (f.header < 0)
        return (m.at(f.offset) >> f.shift) & ((1 << f.bits) - 1);
    return (m.at(f.offset) & 0x7F) | ((m.at(f.header) >> f.headerBit) & 1) << 7;
}

std::map<int, int> AsMap(const std::vector<DecodedValue>& values) {
    std::map<int, int> byId;
    for (const DecodedValue& v : values) {
        EXPECT_TRUE(byId.emplace(v.id, v.value).second) << "ID " << v.id << " decoded twice";
    }
    return byId;
}

// A 210-byte dump of format 0x6F, all data zero, with the given patch number.
Bytes BlankDump(int number = 0) {
    Bytes dump(kSysExHeader.begin(), kSysExHeader.end());
    dump.push_back(kCommandPatchDump);
    dump.push_back(static_cast<uint8_t>(number & 0x7F));
    dump.push_back(static_cast<uint8_t>(number >> 7 & 0x7F));
    dump.resize(209, 0);
    dump.push_back(0xF7);
    dump[16] = 0x6F; // unpacked byte 4
    return dump;
}

// Writes a name into the packed bytes from offset 183 on, stepping over 187 and 195.
void PutName(Bytes& dump, const std::string& text) {
    size_t offset = 183;
    for (char c : text) {
        if (offset == 187 || offset == 195)
            ++offset;
        dump.at(offset++) = static_cast<uint8_t>(c);
    }
}

const char* const kFactoryNames[] = {
    "Organ I",         "Classical Brass", "Strings",         "Poly Glide I",   "Metallic I",
    "Triangle Waves",  "Power Synth",     "Mini Lead",       "Poly Glide II",  "Video Games",
    "Organ II",        "Brass I",         "Muted Strings",   "Clav I",         "Perc EPiano",
    "Flute",           "Harpsichord I",   "Sync I",          "Club Organ",     "Sleeping Orgs",
    "Organ Flute",     "Brass II",        "Light Strings",   "Clav II",        "Ice Cream",
    "Muted",           "Sync II",         "Full Bass",       "Movies",         "Space Leeches",
    "Chorus Organ",    "Bach Trumpet",    "Low Strings",     "Harmonica",      "Wurlie Piano",
    "Dinkity-Dink",    "Buddy",           "Cutting Bass",    "Echo-Repeat",    "Screamin' Memes",
    "Chiffy Organ",    "Brass III",       "Arco Strings",    "Runaway",        "Honky Tonk",
    "Whistle",         "Angelic Synth",   "Hard Lead Bass",  "Harp",           "Indigestion",
    "Distorted Organ", "Digital Brass",   "High Strings",    "PWM I",          "High Plucky",
    "Descending Bell", "Harpsi-Synth",    "Nasal Bass",      "Xylophone",      "Obnoxious Mod",
    "Cathedral Organ", "Slow Brass",      "Arco Bass Viol",  "Frog City",      "Dog's Bark",
    "Cat's Meow",      "Sustained Sync",  "Modor",           "Tack Synth",     "Gonzoid SteelDr",
    "Organ Perc I",    "B.D.I.'s",        "R.F.M.",          "Harmonium",      "Metallic II",
    "PolyMod Glide",   "Sync III",        "Fat Octaves",     "Low Plucky",     "Space Race",
    "Organ Perc II",   "Detuned",         "Vocal Harmonica", "Square Bubbles", "Metallic III",
    "Josef",           "PWM II",          "Lucky Man",       "Super Perc",     "Noise Scream",
    "Full Organ",      "Filter Funk",     "Banjo",           "Clav III",       "PWM III",
    "Drunken Synth",   "Tears",           "Fifths Lead",     "Ooops!",         "Alien",
};

} // namespace

TEST(FactoryBank, EveryDumpDecodesWithItsNumberAndName) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    ASSERT_EQ(bank.size(), 100u);
    for (size_t i = 0; i < bank.size(); ++i) {
        SCOPED_TRACE("patch " + std::to_string(i));
        const Bytes& dump = bank[i];
        EXPECT_TRUE(IsPatchDump(dump));
        EXPECT_FALSE(IsIdentificationReply(dump));
        EXPECT_EQ(ReadPatchNumber(dump), static_cast<int>(i));
        EXPECT_EQ(ReadFormatVersion(dump), 0x6F);
        EXPECT_EQ(ReadPatchName(dump), kFactoryNames[i]);
    }
}

TEST(FactoryBank, DecodedValuesAgreeWithHandUnpacking) {
    for (const Bytes& dump : LoadFactoryBank()) {
        SCOPED_TRACE("patch " + std::to_string(dump[9]));
        const auto values = DecodeParameters(dump);
        ASSERT_TRUE(values);
        const std::map<int, int> byId = AsMap(*values);
        EXPECT_EQ(byId.size(), std::size(kHandFields)) << "every field once, nothing else";
        for (const HandField& f : kHandFields) {
            ASSERT_EQ(byId.count(f.id), 1u) << "ID " << f.id;
            EXPECT_EQ(byId.at(f.id), HandValue(dump, f)) << "ID " << f.id;
        }
    }
}

TEST(FactoryBank, TrueFieldsCarryPlausibleValues) {
    // The whole LFO shape byte gives more than the 0/1 of a single bit somewhere in
    // the bank, and the aftertouch amounts are not all copies of FLT ATTACK.
    bool shapeAboveOne = false;
    bool vcfAtDiffersFromAttack = false;
    for (const Bytes& dump : LoadFactoryBank()) {
        const std::map<int, int> byId = AsMap(*DecodeParameters(dump));
        EXPECT_LE(byId.at(57), 5);
        shapeAboveOne |= byId.at(57) > 1;
        vcfAtDiffersFromAttack |= byId.at(40) != byId.at(21);
    }
    EXPECT_TRUE(shapeAboveOne);
    EXPECT_TRUE(vcfAtDiffersFromAttack);
}

TEST(PatchRequest, CarriesThePatchNumberLowPartFirst) {
    EXPECT_THAT(BuildPatchRequest(123),
                ElementsAre(0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x77, 0x7B, 0x00, 0xF7));
    EXPECT_THAT(BuildPatchRequest(399),
                ElementsAre(0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x77, 0x0F, 0x03, 0xF7));
    EXPECT_THAT(BuildPatchRequest(205),
                ElementsAre(0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x77, 0x4D, 0x01, 0xF7));
    EXPECT_THAT(BuildIdentificationRequest(),
                ElementsAre(0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x77, 0x7E, 0x03, 0xF7));
    // Every byte between F0 and F7 stays a data byte whatever number is asked for.
    for (int n : {-1, 16384, 1 << 20}) {
        const Bytes request = BuildPatchRequest(n);
        ASSERT_EQ(request.size(), 12u);
        EXPECT_LT(request[9], 0x80);
        EXPECT_LT(request[10], 0x80);
    }
}

TEST(PatchNumber, ReadsTwoSevenBitBytesOfAnElevenByteMessage) {
    const struct {
        uint8_t low, high;
        size_t size;
        std::optional<int> number;
    } cases[] = {
        {0x17, 0x00, 210, 23}, {0x7F, 0x7F, 210, 16383},       {0xFF, 0x81, 210, 0xFF}, // bit 7 is no part
        {0x0F, 0x03, 11, 399}, {0x05, 0x00, 10, std::nullopt}, {0, 0, 0, std::nullopt}};
    for (const auto& c : cases) {
        Bytes dump = BlankDump();
        dump[9] = c.low;
        dump[10] = c.high;
        dump.resize(c.size);
        EXPECT_EQ(ReadPatchNumber(dump), c.number) << int(c.low) << " " << int(c.high) << ", " << c.size;
    }
}

TEST(Recognition, DumpAndIdentificationReplyByHeader) {
    Bytes dump = BlankDump(7);
    EXPECT_TRUE(IsPatchDump(dump));
    EXPECT_FALSE(IsIdentificationReply(dump));
    dump.resize(9); // the header alone still counts as a dump, one carrying nothing
    EXPECT_TRUE(IsPatchDump(dump));
    dump.resize(8);
    EXPECT_FALSE(IsPatchDump(dump));
    EXPECT_FALSE(IsPatchDump(BuildPatchRequest(7)));
    EXPECT_FALSE(IsPatchDump(Bytes{0xF0, 0xF7}));
    Bytes other = BlankDump(7);
    other[3] = 0x33;
    EXPECT_FALSE(IsPatchDump(other));

    Bytes reply = BlankDump(kIdentificationNumber);
    EXPECT_TRUE(IsPatchDump(reply));
    EXPECT_TRUE(IsIdentificationReply(reply));
}

TEST(Recognition, IdentificationReplyCarriesTheCurrentPatch) {
    Bytes reply = BlankDump(kIdentificationNumber);
    reply.resize(20);
    reply[19] = 0xF7;
    reply[17] = 123; // unpacked byte 5
    EXPECT_EQ(ReadCurrentPatch(reply), 123);
    reply[11] = 0x20; // its bit 7
    reply[17] = 0x2B;
    EXPECT_EQ(ReadCurrentPatch(reply), 0xAB);
    reply[18] = 0x01; // the ninth bit in unpacked byte 6
    EXPECT_EQ(ReadCurrentPatch(reply), 0x1AB);
    reply.resize(18);
    EXPECT_FALSE(ReadCurrentPatch(reply)) << "a reply of 18 bytes lacks byte 18";
    EXPECT_FALSE(ReadCurrentPatch(BlankDump(3))) << "a plain dump is no reply";
}

TEST(Unpacking, TakesBitSevenFromTheGroupHeader) {
    Bytes dump = BlankDump();
    dump[11] = 0x40; // bit 6: data byte 6 of group 0
    dump[18] = 0x12;
    EXPECT_EQ(UnpackByte(dump, 6), 0x92);
    EXPECT_EQ(UnpackByte(dump, 5), 0);
    dump[19] = 0x01; // group 1 header
    dump[20] = 0x7F;
    EXPECT_EQ(UnpackByte(dump, 7), 0xFF);
    EXPECT_FALSE(UnpackByte(dump, -1));
    EXPECT_FALSE(UnpackByte(dump, 1 << 30));
    // The last byte readable is the one at the end of the message.
    Bytes shortDump(dump.begin(), dump.begin() + 19);
    EXPECT_EQ(UnpackByte(shortDump, 6), 0x92);
    EXPECT_FALSE(UnpackByte(shortDump, 7));
}

TEST(Decoding, RefusesDumpsShorterThan185Bytes) {
    Bytes dump = BlankDump();
    dump.resize(185);
    const auto values = DecodeParameters(dump);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size(), 53u) << "everything but LFO AT, which lies beyond 185 bytes";
    dump.resize(184);
    EXPECT_FALSE(DecodeParameters(dump));
    EXPECT_FALSE(DecodeParameters(Bytes()));
}

TEST(Decoding, EachFieldTakesItsOwnBytesAndBits) {
    using Pairs = std::vector<std::pair<int, int>>;
    const struct {
        const char* what;
        Pairs bytes;    // packed offset, byte
        Pairs expected; // parameter ID, value
    } cases[] = {
        {"poly-mod source with its header bit", {{59, 0x01}, {60, 0x05}}, {{26, 133}}},
        // bit 6 of that header belongs to LFO-MOD INIT AMT at offset 66
        {"the next header bit", {{59, 0x40}, {60, 0x05}}, {{26, 5}, {29, 128}}},
        {"LFO-mod byte in four switches", {{87, 0x1D}}, {{74, 1}, {75, 0}, {76, 1}, {59, 3}}},
        {"LFO SHAPE, the whole of byte 64", {{85, 0x05}, {84, 0x01}}, {{57, 5}, {56, 1}}},
        // bit 7 from the group header like any whole byte; the knob clamps what it cannot show
        {"LFO SHAPE with bit 7", {{85, 0x05}, {83, 0x02}}, {{57, 0x85}}},
        {"aftertouch amounts", {{48, 0x11}, {177, 0x22}, {180, 0x33}}, {{21, 0x11}, {39, 0x22}, {40, 0x33}}},
    };
    for (const auto& c : cases) {
        Bytes dump = BlankDump();
        for (auto [offset, byte] : c.bytes)
            dump[offset] = static_cast<uint8_t>(byte);
        const std::map<int, int> byId = AsMap(*DecodeParameters(dump));
        for (auto [id, value] : c.expected)
            EXPECT_EQ(byId.at(id), value) << c.what << ": ID " << id;
    }
}

TEST(Decoding, LfoAftertouchOnlyInFormat6FDumpsLongEnough) {
    Bytes dump = BlankDump();
    dump[202] = 0x21; // unpacked byte 167
    dump[195] = 0x40;
    EXPECT_EQ(AsMap(*DecodeParameters(dump)).at(41), 0xA1);

    Bytes older = dump;
    older[16] = 0x6E;
    EXPECT_EQ(AsMap(*DecodeParameters(older)).count(41), 0u);

    Bytes cut = dump;
    cut.resize(202); // ends just before the field
    EXPECT_EQ(AsMap(*DecodeParameters(cut)).count(41), 0u);
    cut.assign(dump.begin(), dump.begin() + 203);
    EXPECT_EQ(AsMap(*DecodeParameters(cut)).at(41), 0xA1);
}

TEST(PatchName, EndsAtATerminatorStepsOverTheGroupHeadersAndTakesBytesUnchanged) {
    const struct {
        std::string name;
        int end;     // what follows the name, at its next offset; -1: nothing written
        size_t size; // of the message
        std::string read;
    } cases[] = {
        {"PAD", 0x00, 210, "PAD"},
        {"PAD", 0xF7, 210, "PAD"},
        {"PAD", 0x7F, 210, "PAD"},
        {"", 0x00, 210, "[Unnamed]"},
        {"", 0xF7, 210, "[Unnamed]"},
        {"ABCDEFG", -1, 210, "ABCDEFG"}, // across the header at offset 187
        {"Screamin' Memes", -1, 210, "Screamin' Memes"},
        {" \t~", -1, 210, " \t~"},
        {"AB", -1, 185, ""},
        {"", -1, 183, ""},
        {"", -1, 0, ""}, // the message ends first
    };
    for (const auto& c : cases) {
        Bytes dump = BlankDump();
        dump[187] = 0x55; // header bytes with bits set are no characters
        dump[195] = 0x41;
        PutName(dump, c.name);
        if (c.end >= 0)
            dump[183 + c.name.size()] = static_cast<uint8_t>(c.end);
        dump.resize(c.size);
        EXPECT_EQ(ReadPatchName(dump), c.read) << c.name << " " << c.end << ", " << c.size;
    }
}

TEST(PatchName, SixteenCharactersFillTheFieldOfFormat6F) {
    Bytes dump = BlankDump();
    PutName(dump, "0123456789ABCDEF");
    EXPECT_EQ(dump[200], 'F') << "the field ends at offset 200";
    dump[201] = 'X'; // whatever follows the field is not read
    dump[202] = 'Y';
    EXPECT_EQ(ReadPatchName(dump), "0123456789ABCDEF");
    dump.resize(201); // not even when the message ends right after the field
    EXPECT_EQ(ReadPatchName(dump), "0123456789ABCDEF");

    Bytes older = BlankDump(); // older formats terminate the name
    older[16] = 0x6E;
    PutName(older, "0123456789ABCDEFXY");
    EXPECT_EQ(ReadPatchName(older), "0123456789ABCDEFXY");
}
