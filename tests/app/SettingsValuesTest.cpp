#include "app/SettingsValues.h"

#include <gtest/gtest.h>

#include <climits>
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

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegMultiString = 7;
constexpr uint32_t kRegQword = 11;

} // namespace

TEST(SettingsValues, ANumberIsFourBytesOfADwordOrBinaryValue) {
    const struct {
        uint32_t type;
        Raw data;
        std::optional<int> number;
    } cases[] = {
        {kRegDword, {0x20, 0x03, 0, 0}, 800},
        {kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {kRegDword, {0, 0, 0, 0x80}, INT_MIN}, // the system's default window position
        {kRegBinary, {3, 0, 0, 0}, 3},
        {kRegDword, {1, 0}, std::nullopt},
        {kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
        {kRegString, Utf16(u"1\0"), std::nullopt}, // four bytes of text, not the number 49
        {kRegNone, {1, 0, 0, 0}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadNumberSetting(c.type, c.data.data(), c.data.size()), c.number)
            << "type " << c.type << ", " << c.data.size() << " bytes";
}

TEST(SettingsValues, ANameIsTextUpToItsZeroAsUtf8) {
    Raw odd = Utf16(u"Port");
    odd.push_back('x');
    const struct {
        uint32_t type;
        Raw data;
        std::optional<std::string> name;
    } cases[] = {
        {kRegString, Utf16(std::u16string(u"Port 1\0B", 8)), "Port 1"},
        {kRegString, Utf16(u"Port"), "Port"}, // stored without its terminating zero
        {kRegString, odd, "Port"},            // an odd last byte
        {kRegExpandString, {}, ""},
        {kRegString, Utf16(u"Ger\u00E4t \u30B7"), "Ger\xC3\xA4t \xE3\x82\xB7"},
        {kRegString, Utf16(u"\U0001F3B9"), "\xF0\x9F\x8E\xB9"}, // a surrogate pair
        {kRegString, Utf16({char16_t(0xD800), u'x', char16_t(0xDC00)}),
         "\xEF\xBF\xBDx\xEF\xBF\xBD"},                                  // unpaired
        {kRegString, Utf16({u'x', char16_t(0xD83C)}), "x\xEF\xBF\xBD"}, // a pair cut off by the end
        {kRegString, Utf16(std::u16string(100, u'N')), std::string(100, 'N')},
        {kRegDword, {1, 0, 0, 0}, std::nullopt},
        {kRegMultiString, Utf16(std::u16string(u"Port\0\0", 6)), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadTextSetting(c.type, c.data.data(), c.data.size()), c.name)
            << "type " << c.type << ", " << c.data.size() << " bytes";
}
