#include "engine/DumpPacker.h"

#include "engine/SysExConstants.h"

#include <algorithm>

namespace {

// Unpacked bytes of a format 0x6F dump and where its newer fields lie.
constexpr std::size_t kUnpacked6FLength = 173;
constexpr std::size_t kKeyTrackingReference = 169;
constexpr uint8_t kKeyTrackingFromC4 = 3;
constexpr std::size_t kPitchBendRangeHigh = 172;
constexpr uint8_t kTwelveSemitonesHigh = 0x60; // 12 x 2048, low byte 0

} // namespace

std::vector<uint8_t> UnpackPatchData(const Bytes& dump) {
    std::vector<uint8_t> unpacked;
    if (dump.size() <= kPackedDataOffset)
        return unpacked;
    std::size_t end = dump.size();
    if (dump.back() == kSysExEnd)
        --end;
    for (std::size_t group = kPackedDataOffset; group < end; group += kPackedGroupSize) {
        for (int j = 0; j < kPackedGroupData; ++j) {
            const std::size_t data = group + 1 + static_cast<std::size_t>(j);
            if (data >= end)
                break;
            unpacked.push_back(static_cast<uint8_t>((dump[data] & 0x7F) | ((dump[group] >> j) & 1) << 7));
        }
    }
    return unpacked;
}

Bytes PackPatchDump(int patchNumber, const std::vector<uint8_t>& unpacked) {
    Bytes dump(kSysExHeader.begin(), kSysExHeader.end());
    dump.push_back(kCommandPatchDump);
    dump.push_back(static_cast<uint8_t>(patchNumber & 0x7F));
    dump.push_back(static_cast<uint8_t>((patchNumber >> 7) & 0x7F));
    for (std::size_t first = 0; first < unpacked.size(); first += kPackedGroupData) {
        const std::size_t header = dump.size();
        dump.push_back(0);
        for (std::size_t j = 0; j < static_cast<std::size_t>(kPackedGroupData) && first + j < unpacked.size();
             ++j) {
            const uint8_t byte = unpacked[first + j];
            dump[header] = static_cast<uint8_t>(dump[header] | (byte >> 7) << j);
            dump.push_back(byte & 0x7F);
        }
    }
    dump.push_back(kSysExEnd);
    return dump;
}

Bytes UpgradeToFormat6F(const Bytes& dump) {
    const std::optional<int> format = ReadFormatVersion(dump);
    const std::optional<int> number = ReadPatchNumber(dump);
    if (!format || *format >= kFormatVersion6F || !number || dump.size() < kMinPatchDumpLength)
        return dump;
    std::vector<uint8_t> data = UnpackPatchData(dump);
    // Every field of the table reads as current firmware plays it, the LFO amount included.
    const std::string name = ReadPatchName(dump);
    for (const ParameterRow& row : ParameterTable()) {
        if (row.field.deadZoneBefore6F > 0) {
            const auto high = static_cast<std::size_t>(row.field.byte);
            const int stored = data[high] << 8 | data[high - 1];
            const int played = std::max(0, stored - row.field.deadZoneBefore6F);
            data[high - 1] = static_cast<uint8_t>(played & 0xFF);
            data[high] = static_cast<uint8_t>(played >> 8);
        }
    }
    data.resize(kUnpacked6FLength, 0);
    std::fill(data.begin() + kNameFieldByte, data.end(), 0);
    if (*format >= kFormatVersion6D && name != "[Unnamed]")
        std::copy_n(name.begin(), std::min(name.size(), kNameFieldLength), data.begin() + kNameFieldByte);
    data[kFormatVersionByte] = kFormatVersion6F;
    data[kKeyTrackingReference] = kKeyTrackingFromC4;
    data[kPitchBendRangeHigh] = kTwelveSemitonesHigh;
    return PackPatchDump(*number, data);
}

Bytes BuildIdentificationReply(int currentPatch) {
    std::vector<uint8_t> unpacked(kPackedGroupData, 0);
    unpacked[5] = static_cast<uint8_t>(currentPatch & 0xFF);
    unpacked[6] = static_cast<uint8_t>((currentPatch >> 8) & 1);
    return PackPatchDump(kIdentificationNumber, unpacked);
}
