#include "library/PatchFingerprint.h"

#include "engine/DumpPacker.h"
#include "engine/SysExConstants.h"
#include "library/Sha256.h"

#include <algorithm>

std::string SoundFingerprint(const Bytes& dump) {
    std::vector<uint8_t> unpacked = UnpackPatchData(dump);
    const std::optional<int> format = ReadFormatVersion(dump);
    if (format && *format >= kFormatVersion6D && unpacked.size() > kNameFieldByte) {
        // Format 0x6F keeps the name in a fixed field; older formats end it with a NUL.
        auto first = unpacked.begin() + static_cast<std::ptrdiff_t>(kNameFieldByte);
        auto last = unpacked.end();
        if (*format == kFormatVersion6F)
            last = first +
                   static_cast<std::ptrdiff_t>(std::min(kNameFieldLength, unpacked.size() - kNameFieldByte));
        else if (auto nul = std::find(first, unpacked.end(), 0); nul != unpacked.end())
            last = nul + 1;
        unpacked.erase(first, last);
    }
    return Sha256::Hex(unpacked);
}

std::string DumpIdentity(const Bytes& dump) {
    Bytes rest = dump;
    if (rest.size() >= kPatchNumberEnd)
        rest.erase(rest.begin() + kNumberLowOffset, rest.begin() + kPatchNumberEnd);
    return Sha256::Hex(rest);
}

bool IsLibraryDump(const Bytes& dump) {
    return IsPatchDump(dump) && !IsIdentificationReply(dump) && dump.size() >= kMinPatchDumpLength &&
           dump.back() == kSysExEnd;
}

bool IsSlotPlace(const std::string& place) {
    return place.size() == 4 && place[0] >= '0' && place[0] <= '9' && place[1] == ':' && place[2] >= '0' &&
           place[2] <= '9' && place[3] >= '0' && place[3] <= '9';
}
