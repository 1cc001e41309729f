#pragma once

#include <cstdint>
#include <string>

// Status lines are narrow strings that the status panel shows as wide text. They are
// widened byte by byte, each byte taken as a signed char, so bytes 0x80 to 0xFF
// become 0xFF80 to 0xFFFF: the text is not decoded as UTF-8.
std::u16string WidenStatusText(const std::string& text);

// CRC-32 of the wide text's bytes, two per character, low byte first.
uint32_t StatusTextCrc(const std::u16string& wide);

// Drops a status line equal to the last accepted one, compared by CRC. The last CRC
// starts at 0, which is the CRC of the empty text: an empty first line is dropped.
class StatusFilter {
  public:
    bool Accept(const std::u16string& wide); // true: show it, and remember it as the last one
    uint32_t LastCrc() const { return lastCrc; }

  private:
    uint32_t lastCrc = 0;
};
