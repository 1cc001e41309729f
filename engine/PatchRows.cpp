#include "engine/PatchRows.h"

#include "engine/PatchDump.h"

#include <algorithm>
#include <cctype>
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

std::string PatchRowName(int row, const PatchBank* bank) {
    const std::string label = PatchRowLabel(row, bank);
    const size_t space = label.find(' ');
    const size_t name = label.find_first_not_of(' ', space);
    return space == std::string::npos || name == std::string::npos ? std::string() : label.substr(name);
}

int FindRowByName(const PatchBank* bank, int rows, int from, const std::string& prefix) {
    if (rows <= 0 || prefix.empty())
        return -1;
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (int i = 0; i < rows; ++i) {
        const int row = ((from % rows + rows) % rows + i) % rows;
        const std::string name = PatchRowName(row, bank);
        if (name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin(),
                                                       [&](char a, char b) { return lower(a) == lower(b); }))
            return row;
    }
    return -1;
}
