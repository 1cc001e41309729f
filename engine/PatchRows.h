#pragma once

#include "engine/PatchBank.h"

#include <string>

// The texts of the patch list, kept apart from the list window so that they are the
// same natively and under Windows.

// The list's item string for `program`: "%02d : " followed by the patch name of a
// loaded slot, nothing for a loaded slot without a dump, "[not loaded]" otherwise.
std::string PatchRowText(int program, const PatchSlot& slot);

// What the owner-drawn list paints for `row`: "%-2d " followed by the patch name when
// the row is a loaded patch of the current bank.
std::string PatchRowLabel(int row, const PatchBank* bank);
