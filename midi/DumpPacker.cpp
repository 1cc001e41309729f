#include "midi/DumpPacker.h"

#include "engine/SysExConstants.h"

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

Bytes BuildIdentificationReply(int currentPatch) {
    std::vector<uint8_t> unpacked(kPackedGroupData, 0);
    unpacked[5] = static_cast<uint8_t>(currentPatch & 0xFF);
    unpacked[6] = static_cast<uint8_t>((currentPatch >> 8) & 1);
    return PackPatchDump(kIdentificationNumber, unpacked);
}
