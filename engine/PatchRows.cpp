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

std::string PatchRowLabel(int row, const PatchBank* bank) {
    char number[16];
    std::snprintf(number, sizeof number, "%-2d ", row);
    std::string label = number;
    if (!bank || !PatchBank::IsBank(bank->bank) || !PatchBank::IsProgram(row))
        return label;
    const auto index = static_cast<size_t>(bank->bank * PatchBank::kPrograms + row);
    if (index < bank->slots.size() && bank->slots[index].loaded)
        label += ReadPatchName(bank->slots[index].dump);
    return label;
}
