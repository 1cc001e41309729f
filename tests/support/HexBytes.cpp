#include "HexBytes.h"

#include <sstream>

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

std::string HexText(const std::vector<uint8_t>& bytes) {
    const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : bytes)
        text += std::string(text.empty() ? "" : " ") + digits[byte >> 4] + digits[byte & 15];
    return text;
}
