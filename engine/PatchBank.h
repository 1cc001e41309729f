#pragma once

#include <cstdint>
#include <vector>

class IHost;
class Pro800Engine;

// One patch of the instrument's memory as the editor has received it.
struct PatchSlot {
    bool loaded = false;       // a dump has been received for this patch
    std::vector<uint8_t> dump; // the whole dump message, header and final F7 included
};

// The editor's memory of the instrument's 400 patches (4 banks of 100) with the
// current bank and program; -1 means none chosen yet. The 100 rows of the patch list
// always belong to the current bank.
class PatchBank {
  public:
    static constexpr int kBanks = 4;
    static constexpr int kPrograms = 100;
    static constexpr int kSlots = kBanks * kPrograms;

    static bool IsBank(int number) { return number >= 0 && number < kBanks; }
    static bool IsProgram(int number) { return number >= 0 && number < kPrograms; }

    // Keeps a received dump and makes it the current patch: switches the bank buttons
    // and the list to its bank, shows it and selects its row; while a file is listed,
    // only keeps it and remembers it as the instrument's patch. False, changing nothing,
    // for a patch outside the 400.
    bool StoreDump(int newBank, int newProgram, std::vector<uint8_t> dump);
    // Rewrites the row of `row` in the current bank; nothing before a bank is chosen.
    void UpdateEntry(int row);
    // Rebuilds the 100 rows of the current bank and selects the current program's row.
    void Refresh();
    // Makes `newBank` current: only its bank button on, the list rebuilt for it.
    void SwitchBank(int newBank);
    // Makes `row` of the current bank the current program, shows its dump (a slot not
    // loaded changes nothing) and selects its row.
    void ShowProgram(int row);
    // The slot of (bank, program), or null outside the 400.
    PatchSlot* Slot(int slotBank, int slotProgram);

    // Lists the dumps of an opened file instead of a bank: no bank current, no bank
    // button on, the cache untouched; the first row is shown. Choosing a bank
    // (SwitchBank) lists the cache again, with the instrument's patch selected when it
    // is of that bank.
    void ShowFile(std::vector<std::vector<uint8_t>> dumps);
    bool ShowingFile() const { return !fileDumps.empty(); }
    // Makes row `row` of the opened file current and shows it; nothing is sent.
    void ShowFileRow(int row);
    // The dump of the row shown (of the file or of the cache); null when there is none.
    const std::vector<uint8_t>* ShownDump() const;

    IHost* host = nullptr;
    Pro800Engine* engine = nullptr; // names rows, shows patches and holds the list; not owned
    int bank = -1;
    int program = -1;
    std::vector<PatchSlot> slots = std::vector<PatchSlot>(kSlots); // slot bank * 100 + program
    std::vector<std::vector<uint8_t>> fileDumps;                   // the opened file's rows, if listed
    int instrumentPatch = -1; // while a file is listed: the instrument's patch, -1 for none
};
