#include "engine/PatchBank.h"

#include "controls/Listbox.h"
#include "engine/ParameterTable.h"
#include "engine/PatchRows.h"
#include "engine/Pro800Engine.h"

#include <utility>

namespace {

Listbox* ListOf(Pro800Engine* engine) {
    return engine ? engine->patchList : nullptr;
}

void SelectRow(Pro800Engine* engine, int row) {
    if (Listbox* list = ListOf(engine))
        list->SelectRow(row);
}

} // namespace

PatchSlot* PatchBank::Slot(int slotBank, int slotProgram) {
    if (!IsBank(slotBank) || !IsProgram(slotProgram))
        return nullptr;
    const auto index = static_cast<size_t>(slotBank * kPrograms + slotProgram);
    return index < slots.size() ? &slots[index] : nullptr;
}

bool PatchBank::StoreDump(int newBank, int newProgram, std::vector<uint8_t> dump) {
    PatchSlot* slot = Slot(newBank, newProgram);
    if (!slot)
        return false;
    if (ShowingFile()) { // the file stays listed; the patch waits for its bank
        slot->dump = std::move(dump);
        slot->loaded = true;
        instrumentPatch = newBank * kPrograms + newProgram;
        return true;
    }
    if (newBank != bank)
        SwitchBank(newBank);
    slot->dump = std::move(dump);
    slot->loaded = true;
    ShowProgram(newProgram);
    UpdateEntry(program);
    return true;
}

void PatchBank::SwitchBank(int newBank) {
    if (!IsBank(newBank))
        return;
    if (ShowingFile()) {
        fileDumps.clear();
        // A row of the file is no program of the bank; the instrument's patch is, when it
        // came in while the file was listed.
        program = instrumentPatch / kPrograms == newBank ? instrumentPatch % kPrograms : -1;
        instrumentPatch = -1;
    }
    if (engine) {
        for (int i = 0; i < kBankCount; ++i)
            engine->SetParameterValue(kFirstBankButtonId + i, i == newBank ? 1 : 0);
    }
    bank = newBank;
    Refresh();
}

void PatchBank::ShowProgram(int row) {
    PatchSlot* slot = Slot(bank, row);
    if (!slot)
        return;
    program = row;
    if (engine)
        engine->LoadPatchDump(slot->dump);
    SelectRow(engine, row);
}

void PatchBank::ShowFile(std::vector<std::vector<uint8_t>> dumps) {
    if (dumps.empty())
        return;
    if (engine) {
        for (int i = 0; i < kBankCount; ++i)
            engine->SetParameterValue(kFirstBankButtonId + i, 0);
    }
    fileDumps = std::move(dumps);
    instrumentPatch = IsBank(bank) && IsProgram(program) ? bank * kPrograms + program : -1;
    bank = -1;
    program = -1;
    if (Listbox* list = ListOf(engine)) {
        list->Clear();
        for (size_t row = 0; row < fileDumps.size(); ++row)
            list->AddRow(FileRowText(static_cast<int>(row), fileDumps[row]));
    }
    ShowFileRow(0);
}

void PatchBank::ShowFileRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= fileDumps.size())
        return;
    program = row;
    if (engine)
        engine->LoadPatchDump(fileDumps[static_cast<size_t>(row)]);
    SelectRow(engine, row);
}

const std::vector<uint8_t>* PatchBank::ShownDump() const {
    if (ShowingFile())
        return program >= 0 && static_cast<size_t>(program) < fileDumps.size()
                   ? &fileDumps[static_cast<size_t>(program)]
                   : nullptr;
    if (!IsBank(bank) || !IsProgram(program))
        return nullptr;
    const PatchSlot& slot = slots[static_cast<size_t>(bank * kPrograms + program)];
    return slot.loaded && !slot.dump.empty() ? &slot.dump : nullptr;
}

void PatchBank::UpdateEntry(int row) {
    PatchSlot* slot = Slot(bank, row);
    Listbox* list = ListOf(engine);
    if (slot && list)
        list->ReplaceRow(row, PatchRowText(row, *slot));
}

void PatchBank::Refresh() {
    Listbox* list = ListOf(engine);
    if (!list)
        return;
    list->Clear();
    if (IsBank(bank)) {
        for (int row = 0; row < kPrograms; ++row) {
            if (const PatchSlot* slot = Slot(bank, row))
                list->AddRow(PatchRowText(row, *slot));
        }
    }
    if (program >= 0)
        SelectRow(engine, program);
}
