// The application's portable pieces: status texts with their CRC, and settings values
// read from the registry's raw bytes.
#include "app/Crc32.h"
#include "app/SettingsValues.h"
#include "app/StatusText.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Raw = std::vector<uint8_t>;

// UTF-16LE bytes of the code units given, as the registry stores text.
Raw Utf16(std::u16string text) {
    Raw raw;
    for (char16_t unit : text) {
        raw.push_back(static_cast<uint8_t>(unit & 0xFF));
        raw.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return raw;
}

TEST(StatusText, IsWidenedAsSignedBytesAndItsCrcCoversTwoBytesPerCharacter) {
    EXPECT_EQ(Crc32("", 0), 0x00000000u);
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    // Every byte on its own, taken as signed: UTF-8 is not decoded.
    EXPECT_EQ(WidenStatusText(std::string("A\x7F\x80\xC3\xA9\xFF", 6)),
              (std::u16string{u'A', 0x7F, 0xFF80, 0xFFC3, 0xFFA9, 0xFFFF}));
    const unsigned char bytes[] = {0x41, 0x00, 0xE9, 0xFF}; // "A\xE9" low byte first
    EXPECT_EQ(StatusTextCrc(WidenStatusText("A\xE9")), Crc32(bytes, sizeof(bytes)));

    // A line equal to the last accepted one is dropped, an empty first line too.
    StatusFilter filter;
    const struct {
        const char16_t* line;
        bool shown;
    } lines[] = {{u"", false},
                 {u"Opening output.", true},
                 {u"Opening output.", false},
                 {u"MIDI Output device opened.", true},
                 {u"Opening output.", true},
                 {u"", true},
                 {u"", false}};
    for (size_t i = 0; i < std::size(lines); ++i)
        EXPECT_EQ(filter.Accept(lines[i].line), lines[i].shown) << "line " << i;
    EXPECT_EQ(filter.LastCrc(), 0u);
}

TEST(SettingsValues, ANumberIsFourBytesOfADwordOrBinaryValueANameTextUpToItsZero) {
    const struct {
        uint32_t type;
        Raw data;
        std::optional<int> number;
    } numbers[] = {
        {kRegDword, {0x20, 0x03, 0, 0}, 800},
        {kRegDword, {0, 0, 0, 0x80}, INT_MIN}, // the system's default window position
        {kRegBinary, {3, 0, 0, 0}, 3},
        {11, {1, 0, 0, 0, 0, 0, 0, 0}, std::nullopt}, // a QWORD
        {kRegString, Utf16(u"1\0"), std::nullopt},    // four bytes of text, not the number 49
    };
    for (const auto& c : numbers)
        EXPECT_EQ(ReadNumberSetting(c.type, c.data.data(), c.data.size()), c.number)
            << "type " << c.type << ", " << c.data.size() << " bytes";

    Raw odd = Utf16(u"Port");
    odd.push_back('x');
    const struct {
        uint32_t type;
        Raw data;
        std::optional<std::string> name;
    } names[] = {
        {kRegString, Utf16(std::u16string(u"Port 1\0B", 8)), "Port 1"},
        {kRegString, odd, "Port"}, // an odd last byte
        {kRegExpandString, {}, ""},
        {kRegString, Utf16(u"Ger\u00E4t \U0001F3B9"), "Ger\xC3\xA4t \xF0\x9F\x8E\xB9"},
        {kRegString, Utf16({char16_t(0xD800), u'x', char16_t(0xD83C)}),
         "\xEF\xBF\xBDx\xEF\xBF\xBD"}, // unpaired, and a pair cut off by the end
        {kRegDword, {1, 0, 0, 0}, std::nullopt},
        {7, Utf16(std::u16string(u"Port\0\0", 6)), std::nullopt}, // REG_MULTI_SZ
    };
    for (const auto& c : names)
        EXPECT_EQ(ReadTextSetting(c.type, c.data.data(), c.data.size()), c.name)
            << "type " << c.type << ", " << c.data.size() << " bytes";
}

} // namespace
