#include "engine/PatchDump.h"
#include "engine/SysExConstants.h"

#include "FactoryBank.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

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

TEST(PatchNumber, ReadsTwoSevenBitBytes) {
    Bytes dump = BlankDump();
    dump[9] = 0x17;
    dump[10] = 0x00;
    EXPECT_EQ(ReadPatchNumber(dump), 23);
    dump[9] = 0x7F;
    dump[10] = 0x7F;
    EXPECT_EQ(ReadPatchNumber(dump), 16383);
    dump[9] = 0xFF; // bit 7 of a number byte is not part of the number
    dump[10] = 0x81;
    EXPECT_EQ(ReadPatchNumber(dump), 0xFF);
    EXPECT_EQ(ReadPatchNumber(BlankDump(399)), 399);
}

TEST(PatchNumber, NeedsElevenBytes) {
    Bytes dump = BlankDump(5);
    dump.resize(11);
    EXPECT_EQ(ReadPatchNumber(dump), 5);
    dump.resize(10);
    EXPECT_FALSE(ReadPatchNumber(dump));
    EXPECT_FALSE(ReadPatchNumber(Bytes()));
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

TEST(Decoding, PolyModSourceTakesOnlyItsOwnHeaderBit) {
    Bytes dump = BlankDump();
    dump[59] = 0x01;
    dump[60] = 0x05;
    EXPECT_EQ(AsMap(*DecodeParameters(dump)).at(26), 133);
    dump[59] = 0x40; // bit 6 belongs to LFO-MOD INIT AMT at offset 66
    const std::map<int, int> byId = AsMap(*DecodeParameters(dump));
    EXPECT_EQ(byId.at(26), 5);
    EXPECT_EQ(byId.at(29), 128);
}

TEST(Decoding, LfoModByteSplitsIntoFourSwitches) {
    Bytes dump = BlankDump();
    dump[87] = 0x1D; // unpacked byte 66
    const std::map<int, int> byId = AsMap(*DecodeParameters(dump));
    EXPECT_EQ(byId.at(74), 1);
    EXPECT_EQ(byId.at(75), 0);
    EXPECT_EQ(byId.at(76), 1);
    EXPECT_EQ(byId.at(59), 3);
}

TEST(Decoding, LfoShapeIsTheWholeByte) {
    Bytes dump = BlankDump();
    dump[85] = 0x05; // unpacked byte 64
    dump[84] = 0x01; // unpacked byte 63 beside it: poly-mod destination filter
    std::map<int, int> byId = AsMap(*DecodeParameters(dump));
    EXPECT_EQ(byId.at(57), 5);
    EXPECT_EQ(byId.at(56), 1);
    // Bit 7 comes from the group header like any whole byte; the knob clamps what it cannot show.
    dump[83] = 0x02;
    EXPECT_EQ(AsMap(*DecodeParameters(dump)).at(57), 0x85);
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

TEST(Decoding, AftertouchAmountsFromTheirOwnBytes) {
    Bytes dump = BlankDump();
    dump[48] = 0x11;  // FLT ATTACK, unpacked 32
    dump[177] = 0x22; // unpacked 145
    dump[180] = 0x33; // unpacked 147
    const std::map<int, int> byId = AsMap(*DecodeParameters(dump));
    EXPECT_EQ(byId.at(21), 0x11);
    EXPECT_EQ(byId.at(39), 0x22);
    EXPECT_EQ(byId.at(40), 0x33);
}

TEST(Decoding, LeavesTheBankButtonsOut) {
    const std::map<int, int> byId = AsMap(*DecodeParameters(BlankDump()));
    for (int id = 1200; id <= 1203; ++id)
        EXPECT_EQ(byId.count(id), 0u);
    EXPECT_EQ(byId.size(), 54u);
}

TEST(PatchName, EndsAtATerminator) {
    for (uint8_t end : {0x00, 0xF7, 0x7F}) {
        Bytes dump = BlankDump();
        PutName(dump, "PAD");
        dump[186] = end;
        EXPECT_EQ(ReadPatchName(dump), "PAD") << int(end);
    }
    Bytes dump = BlankDump();
    dump[183] = 0x00;
    EXPECT_EQ(ReadPatchName(dump), "[Unnamed]");
    dump[183] = 0xF7;
    EXPECT_EQ(ReadPatchName(dump), "[Unnamed]");
}

TEST(PatchName, StepsOverTheGroupHeaders) {
    Bytes dump = BlankDump();
    dump[187] = 0x55; // a header byte with bits set is no character
    PutName(dump, "ABCDEFG");
    EXPECT_EQ(dump[188], 'E');
    EXPECT_EQ(ReadPatchName(dump), "ABCDEFG");
    Bytes longer = BlankDump();
    longer[195] = 0x41;
    PutName(longer, "Screamin' Memes");
    EXPECT_EQ(ReadPatchName(longer), "Screamin' Memes");
}

TEST(PatchName, EmptyWhenTheMessageEndsFirst) {
    Bytes dump = BlankDump();
    dump.resize(185);
    dump[183] = 'A';
    dump[184] = 'B';
    EXPECT_EQ(ReadPatchName(dump), "");
    EXPECT_EQ(ReadPatchName(Bytes()), "");
    dump.resize(183);
    EXPECT_EQ(ReadPatchName(dump), "");
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

TEST(PatchName, TakesBytesUnchanged) {
    Bytes dump = BlankDump();
    PutName(dump, " \t~");
    EXPECT_EQ(ReadPatchName(dump), " \t~");
}
