// The fuzz entry point over the settings reader's meaning of a registry value. The first
// byte picks the value's type (0 to 15: the registry's twelve types and a few it does
// not have), the rest are the value's bytes. It checks what must hold for any value.

#include "app/SettingsValues.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

// Strict UTF-8 back to UTF-16 code units; nothing when the text is not well formed
// (overlong forms, surrogates, values beyond U+10FFFF, cut sequences).
std::optional<std::u16string> DecodeUtf8(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size())
            return std::nullopt;
        uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = c << 6 | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            return std::nullopt;
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(length);
    }
    return units;
}

// The code units of the value up to its first zero, unpaired surrogates as U+FFFD.
std::u16string ExpectedUnits(const uint8_t* data, std::size_t size) {
    std::vector<char16_t> raw;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0)
            break;
        raw.push_back(unit);
    }
    std::u16string units;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const bool high = raw[i] >= 0xD800 && raw[i] < 0xDC00;
        const bool low = raw[i] >= 0xDC00 && raw[i] < 0xE000;
        if (high && i + 1 < raw.size() && raw[i + 1] >= 0xDC00 && raw[i + 1] < 0xE000) {
            units += raw[i];
            units += raw[++i];
        } else {
            units += high || low ? char16_t(0xFFFD) : raw[i];
        }
    }
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize) {
    if (inputSize == 0)
        return 0;
    const uint32_t type = input[0] % 16;
    const uint8_t* data = inputSize > 1 ? input + 1 : nullptr;
    const std::size_t size = inputSize - 1;

    const std::optional<int> number = ReadNumberSetting(type, data, size);
    Require(number.has_value() == ((type == kRegDword || type == kRegBinary) && size == 4),
            "a number exactly from four bytes of a number type");
    if (number) {
        const uint32_t little = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
        Require(static_cast<uint32_t>(*number) == little, "the number is the little-endian value");
    }

    const std::optional<std::string> text = ReadTextSetting(type, data, size);
    Require(text.has_value() == (type == kRegString || type == kRegExpandString), "a name exactly from text");
    if (text) {
        Require(text->find('\0') == std::string::npos, "no zero inside a name");
        Require(text->size() <= size / 2 * 3, "at most three bytes of UTF-8 per code unit");
        const std::optional<std::u16string> units = DecodeUtf8(*text);
        Require(units.has_value(), "a name is well-formed UTF-8");
        Require(*units == ExpectedUnits(data, size), "a name is the text up to its zero");
    }
    return 0;
}
