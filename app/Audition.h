#pragma once

#include "engine/PatchDump.h"

#include <functional>
#include <optional>
#include <vector>

// Audition: the patch on the panel played on the instrument without writing its memory,
// as the control changes that moving every knob and switch to its place would send.

// One control change B0 id value per knob and switch (54; the bank buttons are no
// sound), in table order. `panelValue` gives a control's value; the controller value is
// the one a user edit sends (the parameter's ToMidi), kept to 0..127. A control
// without a value is left out.
std::vector<Bytes> AuditionMessages(const std::function<std::optional<int>(int id)>& panelValue);
