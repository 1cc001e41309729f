#include "engine/PatchDump.h"

#include "engine/SysExConstants.h"

#include <algorithm>
#include <cstdio>

namespace {

bool StartsWithHeader(const Bytes& message, uint8_t command) {
    if (message.size() <= kCommandOffset)
        return false;
    return std::equal(kSysExHeader.begin(), kSysExHeader.end(), message.begin()) &&
           message[kCommandOffset] == command;
}

} // namespace

Bytes BuildPatchRequest(int patchNumber) {
    Bytes request(kSysExHeader.begin(), kSysExHeader.end());
    request.push_back(kCommandPatchRequest);
    request.push_back(static_cast<uint8_t>(patchNumber & 0x7F));
    request.push_back(static_cast<uint8_t>((patchNumber >> 7) & 0x7F));
    request.push_back(kSysExEnd);
    return request;
}

Bytes BuildIdentificationRequest() {
    return BuildPatchRequest(kIdentificationNumber);
}

bool IsPatchDump(const Bytes& message) {
    return StartsWithHeader(message, kCommandPatchDump);
}

bool IsIdentificationReply(const Bytes& message) {
    return IsPatchDump(message) && ReadPatchNumber(message) == kIdentificationNumber;
}

std::optional<int> ReadPatchNumber(const Bytes& dump) {
    if (dump.size() < kPatchNumberEnd)
        return std::nullopt;
    return (dump[kNumberHighOffset] & 0x7F) << 7 | (dump[kNumberLowOffset] & 0x7F);
}

std::optional<int> UnpackByte(const Bytes& dump, int k) {
    if (k < 0)
        return std::nullopt;
    const std::size_t group =
        kPackedDataOffset + kPackedGroupSize * (static_cast<std::size_t>(k) / kPackedGroupData);
    const int position = k % kPackedGroupData;
    const std::size_t data = group + 1 + static_cast<std::size_t>(position);
    if (data >= dump.size())
        return std::nullopt;
    return (dump[data] & 0x7F) | ((dump[group] >> position) & 1) << 7;
}

std::optional<int> ReadFormatVersion(const Bytes& dump) {
    return UnpackByte(dump, kFormatVersionByte);
}

std::string FormatText(int format) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", format & 0xFF);
    if (format == kFormatVersion6F)
        return hex + std::string(" (firmware 1.3.6 and later)");
    if (format == kFormatVersion6E)
        return hex + std::string(" (firmware up to 1.2.7)");
    if (format == kFormatVersion6D)
        return hex + std::string(" (older firmware)");
    return hex + std::string(format < kFormatVersion6D ? " (older firmware, no name)" : " (unknown)");
}

std::optional<int> ReadField(const Bytes& dump, const DumpField& field) {
    if (field.byte < 0 || field.bits <= 0)
        return std::nullopt;
    const std::optional<int> format = ReadFormatVersion(dump);
    if (field.needsFormat6F && format != kFormatVersion6F)
        return std::nullopt;
    const std::optional<int> byte = UnpackByte(dump, field.byte);
    if (!byte)
        return std::nullopt;
    if (field.deadZoneBefore6F > 0 && format && *format < kFormatVersion6F) {
        const std::optional<int> low = UnpackByte(dump, field.byte - 1);
        if (!low)
            return std::nullopt;
        const int stored = *byte << 8 | *low;
        const int played = stored <= field.deadZoneBefore6F ? 0 : stored - field.deadZoneBefore6F;
        return (played >> 8 >> field.shift) & ((1 << field.bits) - 1);
    }
    return (*byte >> field.shift) & ((1 << field.bits) - 1);
}

std::optional<std::vector<DecodedValue>> DecodeParameters(const Bytes& dump) {
    if (dump.size() < kMinPatchDumpLength)
        return std::nullopt;
    std::vector<DecodedValue> values;
    for (const ParameterRow& row : ParameterTable()) {
        if (const std::optional<int> value = ReadField(dump, row.field))
            values.push_back({row.id, *value});
    }
    return values;
}

std::string ReadPatchName(const Bytes& dump) {
    // A format 0x6F name fills a 16-byte field and needs no terminator when it is
    // 16 characters long; the bytes after the field are no part of it.
    const std::optional<int> format = ReadFormatVersion(dump);
    const bool fixedField = format == kFormatVersion6F;
    if (format && *format < kFormatVersion6D)
        return "[Unnamed]";
    std::string name;
    for (std::size_t offset = kNameOffset;; ++offset) {
        if (offset == kNameSkippedHeaderA || offset == kNameSkippedHeaderB)
            continue;
        if (offset >= dump.size())
            return std::string();
        const uint8_t byte = dump[offset];
        if (byte == kSysExEnd || byte == 0x7F || byte == 0x00)
            return name.empty() ? std::string("[Unnamed]") : name;
        name.push_back(static_cast<char>(byte));
        if (fixedField && name.size() == kNameFieldLength)
            return name;
    }
}

std::optional<int> ReadCurrentPatch(const Bytes& reply) {
    // Unpacked byte 5 holds the low eight bits, bit 0 of byte 6 the ninth.
    if (!IsIdentificationReply(reply))
        return std::nullopt;
    const std::optional<int> low = UnpackByte(reply, 5);
    const std::optional<int> high = UnpackByte(reply, 6);
    if (!low || !high)
        return std::nullopt;
    return *low | (*high & 1) << 8;
}
