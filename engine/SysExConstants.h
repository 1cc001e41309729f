#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The bytes that the program and the instrument agree on: the SysEx header, the two
// commands, the layout of a patch dump and the patch numbering.

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;

// F0, the three-byte manufacturer ID and the four bytes that name the instrument.
constexpr std::array<uint8_t, 8> kSysExHeader = {0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00};
constexpr std::size_t kCommandOffset = 8;
constexpr uint8_t kCommandPatchRequest = 0x77;
constexpr uint8_t kCommandPatchDump = 0x78; // also the identification reply

// Patch number: two 7-bit bytes, low part first.
constexpr std::size_t kNumberLowOffset = 9;
constexpr std::size_t kNumberHighOffset = 10;
constexpr std::size_t kPatchRequestLength = 12;
constexpr std::size_t kPatchNumberEnd = 11; // a dump shorter than this carries no number

// Asking for this patch number is the identification request; the reply carries it too.
constexpr int kIdentificationNumber = 510; // 7E 03
constexpr std::size_t kIdentificationReplyHeaderLength = 11;
constexpr std::size_t kIdentificationReplyMinLength = 19;

// 7-in-8 packed data: groups of a header byte holding bit 7 of the seven data bytes after it.
constexpr std::size_t kPackedDataOffset = 11;
constexpr std::size_t kPackedGroupSize = 8;
constexpr int kPackedGroupData = 7;

// A dump shorter than this is refused: the field table reaches packed offset 181.
constexpr std::size_t kMinPatchDumpLength = 185;

// Unpacked byte 4 tells the data format; format 0x6F keeps the name in a fixed
// 16-byte field and carries LFO AT.
constexpr int kFormatVersionByte = 4;
constexpr int kFormatVersion6F = 0x6F;
constexpr int kFormatVersion6E = 0x6E; // firmware up to 1.2.7
constexpr int kFormatVersion6D = 0x6D; // older firmware; formats below it carry no name

// The name is read from the packed bytes from offset 183 on, stepping over the group
// headers at 187 and 195; a 16-byte name field ends at offset 200.
constexpr std::size_t kNameOffset = 183;
constexpr std::size_t kNameSkippedHeaderA = 187;
constexpr std::size_t kNameSkippedHeaderB = 195;
constexpr std::size_t kNameFieldLength = 16;
// In format 0x6F the name is unpacked bytes 150 to 165.
constexpr std::size_t kNameFieldByte = 150;

constexpr int kProgramsPerBank = 100;
constexpr int kHighestPatchNumber = (1 << 14) - 1; // what two 7-bit bytes can carry
