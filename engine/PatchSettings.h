#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The settings of a patch that have no knob on the front panel, as data: where the
// dump keeps each one and what its values mean. The instrument has no control change
// for them; they take effect when the patch is stored. The meanings come from public
// documentation of the dump.

enum class SettingKind {
    Choice,    // one byte, one of `choices`
    Semitones, // 16 bits, low byte first, semitones x 2048
    Amount,    // 16 bits, low byte first, continuous
    Intervals, // 8 bytes: semitones above the root, FF for a voice unused
    Tuning,    // 48 bytes kept as they are, shown as equal temperament or custom
};

struct SettingRow {
    const char* name;
    int byte;   // first unpacked byte
    int length; // bytes
    SettingKind kind;
    std::array<const char*, 6> choices; // for a choice, null past the last
    bool needsFormat6F;                 // older formats lack it: storing gives the default
};

constexpr int kSettingCount = 11;
constexpr uint8_t kUnusedVoice = 0xFF;

const std::array<SettingRow, kSettingCount>& SettingTable();

// How many choices a choice row offers.
int ChoiceCount(const SettingRow& row);

// The setting's value as the dialog and tavren-syx show it ("VCO", "12 semitones",
// "4096", "0 +7 +12", "equal temperament"), from the unpacked bytes of a dump in
// format 0x6F; "?" when the bytes do not reach it or a choice is out of range.
std::string SettingText(const SettingRow& row, const uint8_t* unpacked, std::size_t size);

// The text of the setting's field in the settings dialog: SettingText without the unit.
std::string SettingField(const SettingRow& row, const uint8_t* unpacked, std::size_t size);

// The bytes that a field's text stands for ("VCO", "12", "4096", "0 7 12"), or nothing
// when the text is no value of the setting; the tuning is never edited.
std::optional<std::vector<uint8_t>> ParseSettingField(const SettingRow& row, const std::string& text);
