#pragma once

#include "engine/PatchBank.h"

#include <string>

// The texts of the patch list, kept apart from the list window so that they are the
// same natively and under Windows.

// The list's item string for `program`: "%02d : " followed by the patch name of a
// loaded slot, nothing for a loaded slot without a dump, "[not loaded]" otherwise.
std::string PatchRowText(int program, const PatchSlot& slot);

// The item string of row `row` of an opened file: as for the instrument's rows, with the
// dump's own program number (the row number when the dump carries none).
std::string FileRowText(int row, const std::vector<uint8_t>& dump);

// What the owner-drawn list paints for `row`: "%-2d " followed by the patch name when
// the row is a loaded patch of the current bank or a row of the opened file, whose
// number is then the dump's program.
std::string PatchRowLabel(int row, const PatchBank* bank);

// The patch name that row `row` shows; empty for a row without a loaded patch.
std::string PatchRowName(int row, const PatchBank* bank);

// The row whose patch name starts with `prefix` (ignoring case), searched from `from`
// through the `rows` rows and round to the top; -1 when none does.
int FindRowByName(const PatchBank* bank, int rows, int from, const std::string& prefix);
