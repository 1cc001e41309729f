#pragma once

#include "engine/ParameterTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The patch dump codec: pure functions over whole SysEx messages. Every read checks
// the message length first, so any byte vector is safe to pass.

using Bytes = std::vector<uint8_t>;

// One parameter value read from a dump.
struct DecodedValue {
    int id;
    int value;
    bool operator==(const DecodedValue& other) const { return id == other.id && value == other.value; }
};

// The 12-byte request for patch n (n = bank * 100 + program); n is sent as two 7-bit bytes.
Bytes BuildPatchRequest(int patchNumber);

// The request that makes the instrument identify itself (patch number 510).
Bytes BuildIdentificationRequest();

// Begins with the header and the dump command (the identification reply does too).
bool IsPatchDump(const Bytes& message);

// Begins with the header, the dump command and patch number 510.
bool IsIdentificationReply(const Bytes& message);

// The patch number of a dump, or nothing when the message is too short to carry one.
std::optional<int> ReadPatchNumber(const Bytes& dump);

// Unpacked byte k of the 7-in-8 packed data, or nothing when the message ends first.
std::optional<int> UnpackByte(const Bytes& dump, int k);

// The data format version (unpacked byte 4), or nothing when the message is too short.
std::optional<int> ReadFormatVersion(const Bytes& dump);

// "0x6E (firmware up to 1.2.7)": the data format and the firmware that writes it.
std::string FormatText(int format);

// The value of one field as current firmware plays it, or nothing when the dump does not
// carry it: a field with an old dead zone is converted when the dump's format kept it.
std::optional<int> ReadField(const Bytes& dump, const DumpField& field);

// Every parameter value of the dump in table order, or nothing for a dump shorter
// than 185 bytes. Rows the dump does not carry (the bank buttons, LFO AT outside
// format 0x6F dumps) are left out.
std::optional<std::vector<DecodedValue>> DecodeParameters(const Bytes& dump);

// The patch name: "[Unnamed]" when the name field is empty or the format carries no name,
// the empty string when the message ends inside the name. Bytes are taken unchanged.
std::string ReadPatchName(const Bytes& dump);

// The instrument's current patch carried by an identification reply, or nothing when
// the reply is too short.
std::optional<int> ReadCurrentPatch(const Bytes& reply);
