// The application's portable pieces: status texts with their CRC, and settings values
// read from the registry's raw bytes.
#include "app/Crc32.h"
#include "app/SettingsValues.h"
#include "app/StatusText.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

using Raw = std::vector<uint8_t>;

// UTF-16LE bytes of the code units given, as the registry stores text.
Raw Utf16(std::u16string text) {
    Raw raw;
    for (char16_t unit : text)
        raw.insert(raw.end(), {static_cast<uint8_t>(unit & 0xFF), static_cast<uint8_t>(unit >> 8)});
    return raw;
}

TEST(StatusText, IsWidenedAsSignedBytesAndItsCrcCoversTwoBytesPerCharacter) {
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    // Every byte on its own, taken as signed: UTF-8 is not decoded.
    EXPECT_EQ(WidenStatusText(std::string("A\x7F\x80\xC3\xA9\xFF", 6)),
              (std::u16string{u'A', 0x7F, 0xFF80, 0xFFC3, 0xFFA9, 0xFFFF}));
    const unsigned char bytes[] = {0x41, 0x00, 0xE9, 0xFF}; // "A\xE9" low byte first
    EXPECT_EQ(StatusTextCrc(WidenStatusText("A\xE9")), Crc32(bytes, sizeof(bytes)));

    // A line equal to the last accepted one is dropped, an empty first line too.
    StatusFilter filter;
    const char16_t* lines[] = {
        u"", u"Opening output.", u"Opening output.", u"MIDI Output device opened.", u"Opening output.", u"",
        u""};
    std::vector<bool> shown;
    for (const char16_t* line : lines)
        shown.push_back(filter.Accept(line));
    EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true, true, true, false}));
    EXPECT_EQ(filter.LastCrc(), 0u);
}

TEST(SettingsValues, ANumberIsFourBytesOfADwordOrBinaryValueANameTextUpToItsZero) {
    const struct {
        uint32_t type;
        Raw data;
        std::optional<int> number;
    } numbers[] = {
        {kRegDword, {0, 0, 0, 0x80}, INT_MIN}, // the system's default window position
        {kRegBinary, {3, 0, 0, 0}, 3},
        {11, {1, 0, 0, 0, 0, 0, 0, 0}, std::nullopt}, // a QWORD
        {kRegString, Utf16(u"1\0"), std::nullopt}     // four bytes of text, not the number 49
    };
    for (const auto& c : numbers)
        EXPECT_EQ(ReadNumberSetting(c.type, c.data.data(), c.data.size()), c.number) << c.data.size();

    Raw odd = Utf16(u"Port");
    odd.push_back('x');
    const struct {
        uint32_t type;
        Raw data;
        std::optional<std::string> name;
    } names[] = {
        {kRegString, odd, "Port"}, // an odd last byte
        {kRegExpandString, Utf16(std::u16string(u"Port 1\0B", 8)), "Port 1"},
        {kRegString, Utf16({char16_t(0xD800), u'x', char16_t(0xD83C)}),
         "\xEF\xBF\xBDx\xEF\xBF\xBD"},                           // unpaired, and a pair cut off by the end
        {7, Utf16(std::u16string(u"Port\0\0", 6)), std::nullopt} // REG_MULTI_SZ
    };
    for (const auto& c : names)
        EXPECT_EQ(ReadTextSetting(c.type, c.data.data(), c.data.size()), c.name) << c.data.size();
}

} // namespace
