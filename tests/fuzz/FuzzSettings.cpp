// The fuzz entry point over the settings reader's meaning of a registry value. The first
// byte picks the value's type (0 to 15: the registry's twelve types and a few it does
// not have), the rest are the value's bytes.
#include "tests/fuzz/FuzzCheck.h"

#include "app/SettingsValues.h"

#include <optional>
#include <string>

namespace {

// The UTF-16 text of the value up to its first zero as UTF-8, built here one code
// point at a time; unpaired surrogates become U+FFFD.
std::string ExpectedText(const uint8_t* data, std::size_t size) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size && (data[i] | data[i + 1]); i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        text += static_cast<char>((extra == 0 ? c : (0xF80 >> extra) | c >> 6 * extra) & 0xFF);
        for (int k = extra - 1; k >= 0; --k)
            text += static_cast<char>(0x80 | (c >> 6 * k & 0x3F));
    }
    return text;
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
    if (text)
        Require(*text == ExpectedText(data, size), "a name is the UTF-8 of the text up to its zero");
    return 0;
}
