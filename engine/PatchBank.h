#pragma once

#include <cstdint>
#include <vector>

class IHost;

// One patch of the instrument's memory as the editor has received it.
struct PatchSlot {
    bool loaded = false;       // a dump has been received for this patch
    std::vector<uint8_t> dump; // the whole dump message, header and final F7 included
};

// The editor's memory of the instrument's 400 patches (4 banks of 100) with the
// current bank and program; -1 means none chosen yet.
class PatchBank {
  public:
    static constexpr int kBanks = 4;
    static constexpr int kPrograms = 100;
    static constexpr int kSlots = kBanks * kPrograms;

    IHost* host = nullptr;
    int bank = -1;
    int program = -1;
    std::vector<PatchSlot> slots = std::vector<PatchSlot>(kSlots); // slot bank * 100 + program
};
