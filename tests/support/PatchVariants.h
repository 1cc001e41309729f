#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Patch dumps made from real ones for the library's tests: the same sound under another
// name or in another slot, or another sound.
using PatchBytes = std::vector<uint8_t>;

// The dump with its 16-byte name field (format 0x6F) holding `name`.
PatchBytes Renamed(const PatchBytes& dump, const std::string& name);
// The dump as the instrument sends it for patch `number`.
PatchBytes Numbered(const PatchBytes& dump, int number);
// The dump with one knob's high byte changed: another sound of the same name.
PatchBytes Retuned(const PatchBytes& dump, uint8_t value);
