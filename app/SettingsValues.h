#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// What the settings reader makes of one stored registry value, given its type and its
// bytes exactly as the registry hands them out: the setting, or nothing when the value
// cannot be one (the field then keeps its default). Any type and any size is safe to
// pass. app/Settings.cpp does the registry calls; this part is portable.

// The registry value types that can hold a setting (the numbers Windows gives them).
constexpr uint32_t kRegString = 1;       // REG_SZ
constexpr uint32_t kRegExpandString = 2; // REG_EXPAND_SZ
constexpr uint32_t kRegBinary = 3;       // REG_BINARY
constexpr uint32_t kRegDword = 4;        // REG_DWORD

// A value larger than this is no setting of the program and is not read at all.
constexpr std::size_t kMaxSettingValueBytes = 64 * 1024;

// A number: exactly four bytes, little-endian, of type REG_DWORD or REG_BINARY (a
// hand-edited .reg file may give either). Text and any other size are no number.
std::optional<int> ReadNumberSetting(uint32_t type, const uint8_t* data, std::size_t size);

// A port name: UTF-16 text of type REG_SZ or REG_EXPAND_SZ up to its first zero, or to
// its end when it has none (an odd last byte is dropped), as UTF-8; an unpaired
// surrogate becomes U+FFFD. Any other type is no name.
std::optional<std::string> ReadTextSetting(uint32_t type, const uint8_t* data, std::size_t size);
