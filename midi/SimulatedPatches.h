#pragma once

#include "engine/PatchDump.h"

#include <vector>

// The 400 patches of the simulated instrument, slot n = bank * 100 + program: bank 0 is
// the real factory bank, banks 1 to 3 are patches made from it with other settings and
// names, valid dumps of data format 0x6F that the decoder reads like the real ones.
std::vector<Bytes> SimulatedPatches();

// The real factory bank, split into its 100 dumps.
std::vector<Bytes> FactoryBankDumps();

// The name that generated patch n (100 to 399) carries, at most 15 characters.
std::string GeneratedPatchName(int patchNumber);
