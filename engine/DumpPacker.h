#pragma once

#include "engine/PatchDump.h"

#include <cstdint>
#include <vector>

// The sending side of the patch dump format: the simulated instrument answers with it,
// and the editor builds the dump of a patch it stores or saves.

// All unpacked bytes of a dump's 7-in-8 packed data (the final F7 is not data).
std::vector<uint8_t> UnpackPatchData(const Bytes& dump);

// A whole dump message for patch number n: header, dump command, the two number bytes,
// the packed data (a group header before every seven bytes), F7.
Bytes PackPatchDump(int patchNumber, const std::vector<uint8_t>& unpacked);

// The dump as firmware 1.3.7 and later keeps a patch it loads in an older format: in
// format 0x6F, 210 bytes, the LFO amount without its old dead zone, the name in a field
// of 16 bytes padded with NUL, and the settings older formats lack at their defaults
// (LFO AT 0, voice spread 0, key tracking from C4, glide by time, pitch bend range 12
// semitones). A dump in format 0x6F, or too short to decode, comes back unchanged.
Bytes UpgradeToFormat6F(const Bytes& dump);

// The identification reply: the dump header with patch number 510 and one packed group
// whose unpacked byte 5 and bit 0 of byte 6 hold the current patch (0 to 511).
Bytes BuildIdentificationReply(int currentPatch);
