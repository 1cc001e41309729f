#include "app/StatusText.h"

#include "app/Crc32.h"

#include <vector>

std::u16string WidenStatusText(const std::string& text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text)
        wide.push_back(static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(c))));
    return wide;
}

uint32_t StatusTextCrc(const std::u16string& wide) {
    std::vector<uint8_t> bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return Crc32(bytes.data(), bytes.size());
}

bool StatusFilter::Accept(const std::u16string& wide) {
    uint32_t crc = StatusTextCrc(wide);
    if (crc == lastCrc)
        return false;
    lastCrc = crc;
    return true;
}
