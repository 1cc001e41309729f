#pragma once

#include "engine/PatchDump.h"

#include <string>

// What tells patches apart in the library: pure functions over whole dump messages.

// Hex SHA-256 of the dump's unpacked bytes without the name: the sound. Two dumps of
// one sound under two names, or in two slots, share it.
std::string SoundFingerprint(const Bytes& dump);

// Hex SHA-256 of the whole message without its patch number: one row of the library
// per distinct value, so the same patch seen in another slot or file is the same row.
std::string DumpIdentity(const Bytes& dump);

// A dump the library keeps: a patch dump long enough to decode, not the
// identification reply (which shares the dump's header).
bool IsLibraryDump(const Bytes& dump);

// A place that is a slot of the instrument ("1:07"), not a file.
bool IsSlotPlace(const std::string& place);
