#pragma once

#include <cstdint>
#include <string>
#include <vector>

// MIDI messages written as in a MIDI monitor: "F0 00 20 32 F7" <-> bytes.
std::vector<uint8_t> Hex(const std::string& text);
std::string HexText(const std::vector<uint8_t>& bytes);
