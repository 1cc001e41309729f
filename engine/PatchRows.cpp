#include "engine/PatchRows.h"

#include "engine/PatchDump.h"

#include <cstdio>

std::string PatchRowText(int program, const PatchSlot& slot) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d : ", program);
    if (!slot.loaded)
        return std::string(number) + "[not loaded]";
    return slot.dump.empty() ? std::string(number) : number + ReadPatchName(slot.dump);
}

namespace {

int FileRowNumber(int row, const std::vector<uint8_t>& dump) {
    const std::optional<int> number = ReadPatchNumber(dump);
    return number ? *number % PatchBank::kPrograms : row;
}

} // namespace

std::string FileRowText(int row, const std::vector<uint8_t>& dump) {
    return PatchRowText(FileRowNumber(row, dump), PatchSlot{true, dump});
}

std::string PatchRowLabel(int row, const PatchBank* bank) {
    char number[16];
    if (bank && bank->ShowingFile() && row >= 0 && static_cast<size_t>(row) < bank->fileDumps.size()) {
        const std::vector<uint8_t>& dump = bank->fileDumps[static_cast<size_t>(row)];
        std::snprintf(number, sizeof number, "%-2d ", FileRowNumber(row, dump));
        return number + ReadPatchName(dump);
    }
    std::snprintf(number, sizeof number, "%-2d ", row);
    std::string label = number;
    if (!bank || !PatchBank::IsBank(bank->bank) || !PatchBank::IsProgram(row))
        return label;
    const auto index = static_cast<size_t>(bank->bank * PatchBank::kPrograms + row);
    if (index < bank->slots.size() && bank->slots[index].loaded)
        label += ReadPatchName(bank->slots[index].dump);
    return label;
}
