// The settings reader's meaning of a registry value: the first byte picks the value's
// type (0 to 15: the registry's twelve types and a few it does not have), the rest are
// the value's bytes.
#include "tests/fuzz/FuzzCheck.h"

#include "app/SettingsValues.h"

#include <iconv.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize) {
    if (inputSize == 0)
        return 0;
    const uint32_t type = input[0] % 16;
    const uint8_t* data = inputSize > 1 ? input + 1 : nullptr;
    const std::size_t size = inputSize - 1;

    const std::optional<int> number = ReadNumberSetting(type, data, size);
    Require(number.has_value() == ((type == kRegDword || type == kRegBinary) && size == 4),
            "a number exactly from four bytes of a number type");
    if (number)
        Require(static_cast<uint32_t>(*number) ==
                    (data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24),
                "the number is the little-endian value");

    const std::optional<std::string> text = ReadTextSetting(type, data, size);
    Require(text.has_value() == (type == kRegString || type == kRegExpandString), "a name exactly from text");
    if (text) { // the C library's UTF-8 of the UTF-16 up to its zero, where it finds no unpaired surrogate
        std::size_t end = 0;
        while (end + 1 < size && (data[end] | data[end + 1]))
            end += 2;
        static const iconv_t toUtf8 = iconv_open("UTF-8", "UTF-16LE");
        std::string utf8(end * 2, '\0');
        char* from = reinterpret_cast<char*>(const_cast<uint8_t*>(data));
        char* to = utf8.data();
        std::size_t fromLeft = end;
        std::size_t toLeft = utf8.size();
        iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
        const bool whole =
            end == 0 || iconv(toUtf8, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1);
        utf8.resize(utf8.size() - toLeft);
        Require(whole ? *text == utf8 : text->rfind(utf8 + "\xEF\xBF\xBD", 0) == 0,
                "a name is the UTF-8 of the text up to its zero, U+FFFD for an unpaired surrogate");
    }
    return 0;
}
