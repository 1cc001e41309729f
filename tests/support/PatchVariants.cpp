#include "tests/support/PatchVariants.h"

#include "engine/DumpPacker.h"
#include "engine/SysExConstants.h"

PatchBytes Renamed(const PatchBytes& dump, const std::string& name) {
    std::vector<uint8_t> unpacked = UnpackPatchData(dump);
    for (std::size_t i = 0; i < kNameFieldLength; ++i)
        unpacked[kNameFieldByte + i] = i < name.size() ? static_cast<uint8_t>(name[i]) : 0;
    return PackPatchDump(ReadPatchNumber(dump).value_or(0), unpacked);
}

PatchBytes Numbered(const PatchBytes& dump, int number) {
    return PackPatchDump(number, UnpackPatchData(dump));
}

PatchBytes Retuned(const PatchBytes& dump, uint8_t value) {
    std::vector<uint8_t> unpacked = UnpackPatchData(dump);
    unpacked[6] = value; // the high byte of the first knob's value
    return PackPatchDump(ReadPatchNumber(dump).value_or(0), unpacked);
}
