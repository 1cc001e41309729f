#include "engine/PatchSettings.h"

namespace {

// One row per line reads as the table it is.
// clang-format off
const std::array<SettingRow, kSettingCount> kRows = {{
    {"Pitch bend target", 72, 1, SettingKind::Choice, {"Off", "VCO", "VCF", "Vol"}, false},
    {"Pitch bend range", 171, 2, SettingKind::Semitones, {}, true},
    {"Mod wheel amount", 73, 1, SettingKind::Choice, {"Min", "Low", "High", "Full"}, false},
    {"Mod wheel target", 84, 1, SettingKind::Choice, {"LFO", "Vibrato"}, false},
    {"Modulation delay", 76, 2, SettingKind::Amount, {}, false},
    {"Unison detune", 82, 2, SettingKind::Amount, {}, false},
    {"Unison voices", 86, 8, SettingKind::Intervals, {}, false},
    {"Per-note tuning", 94, 48, SettingKind::Tuning, {}, false},
    {"Voice spread", 168, 1, SettingKind::Choice, {"Off", "On"}, true},
    {"Key tracking reference", 169, 1, SettingKind::Choice, {"C1", "C2", "C3", "C4", "C5", "C6"}, true},
    {"Glide mode", 170, 1, SettingKind::Choice, {"Time", "Speed"}, true},
}};
// clang-format on

constexpr int kSemitone = 2048;
constexpr int kHighestInterval = 127;
const char kSemitonesUnit[] = " semitones";

// A whole number from `low` to `high` written in decimal digits, a '+' allowed before it.
std::optional<int> WholeNumber(std::string text, int low, int high) {
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::vector<uint8_t> LowByteFirst(int value) {
    return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
}

} // namespace

const std::array<SettingRow, kSettingCount>& SettingTable() {
    return kRows;
}

int ChoiceCount(const SettingRow& row) {
    int count = 0;
    while (count < static_cast<int>(row.choices.size()) && row.choices[static_cast<std::size_t>(count)])
        ++count;
    return count;
}

std::string SettingText(const SettingRow& row, const uint8_t* unpacked, std::size_t size) {
    if (row.byte < 0 || static_cast<std::size_t>(row.byte + row.length) > size)
        return "?";
    const uint8_t* bytes = unpacked + row.byte;
    const int wide = row.length == 2 ? bytes[0] | bytes[1] << 8 : bytes[0];
    switch (row.kind) {
    case SettingKind::Choice:
        return bytes[0] < ChoiceCount(row) ? row.choices[bytes[0]] : "?";
    case SettingKind::Semitones: {
        const std::string whole = std::to_string(wide / kSemitone);
        return (wide % kSemitone == 0 ? whole : whole + "+" + std::to_string(wide % kSemitone) + "/2048") +
               kSemitonesUnit;
    }
    case SettingKind::Amount:
        return std::to_string(wide);
    case SettingKind::Intervals: {
        std::string text;
        for (int i = 0; i < row.length; ++i) {
            if (bytes[i] == kUnusedVoice)
                continue;
            text += (text.empty() ? "" : " ") +
                    (bytes[i] == 0 ? std::string("0") : "+" + std::to_string(bytes[i]));
        }
        return text.empty() ? "none" : text;
    }
    case SettingKind::Tuning:
        for (int i = 0; i < row.length; ++i)
            if (bytes[i] != 0)
                return "custom";
        return "equal temperament";
    }
    return "?";
}

std::string SettingField(const SettingRow& row, const uint8_t* unpacked, std::size_t size) {
    std::string text = SettingText(row, unpacked, size);
    const std::size_t unit = text.rfind(kSemitonesUnit);
    if (row.kind == SettingKind::Semitones && unit != std::string::npos)
        text.erase(unit);
    return text;
}

std::optional<std::vector<uint8_t>> ParseSettingField(const SettingRow& row, const std::string& text) {
    switch (row.kind) {
    case SettingKind::Choice:
        for (int i = 0; i < ChoiceCount(row); ++i)
            if (text == row.choices[static_cast<std::size_t>(i)])
                return std::vector<uint8_t>{static_cast<uint8_t>(i)};
        return std::nullopt;
    case SettingKind::Semitones:
        if (const std::optional<int> semitones = WholeNumber(text, 0, 0xFFFF / kSemitone))
            return LowByteFirst(*semitones * kSemitone);
        return std::nullopt;
    case SettingKind::Amount:
        if (const std::optional<int> amount = WholeNumber(text, 0, 0xFFFF))
            return LowByteFirst(*amount);
        return std::nullopt;
    case SettingKind::Intervals: {
        std::vector<uint8_t> voices;
        std::size_t start = text.find_first_not_of(' ');
        while (start != std::string::npos) {
            const std::size_t end = text.find(' ', start);
            const std::optional<int> interval =
                WholeNumber(text.substr(start, end - start), 0, kHighestInterval);
            if (!interval || voices.size() == static_cast<std::size_t>(row.length))
                return std::nullopt;
            voices.push_back(static_cast<uint8_t>(*interval));
            start = end == std::string::npos ? end : text.find_first_not_of(' ', end);
        }
        if (voices.empty())
            return std::nullopt;
        voices.resize(static_cast<std::size_t>(row.length), kUnusedVoice);
        return voices;
    }
    case SettingKind::Tuning:
        return std::nullopt;
    }
    return std::nullopt;
}
