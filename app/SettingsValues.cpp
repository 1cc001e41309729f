#include "app/SettingsValues.h"

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

} // namespace

std::optional<int> ReadNumberSetting(uint32_t type, const uint8_t* data, std::size_t size) {
    if ((type != kRegDword && type != kRegBinary) || size != 4 || !data)
        return std::nullopt;
    const uint32_t value = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    return static_cast<int>(value);
}

std::optional<std::string> ReadTextSetting(uint32_t type, const uint8_t* data, std::size_t size) {
    if ((type != kRegString && type != kRegExpandString) || (!data && size))
        return std::nullopt;
    std::string text;
    const std::size_t units = size / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const uint32_t unit = data[2 * i] | data[2 * i + 1] << 8;
        if (unit == 0)
            break;
        if (IsHighSurrogate(unit) && i + 1 < units) {
            const uint32_t next = data[2 * i + 2] | data[2 * i + 3] << 8;
            if (IsLowSurrogate(next)) {
                AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(text, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? 0xFFFD : unit);
    }
    return text;
}
