#pragma once

#include "engine/PatchBank.h"
#include "engine/PatchDump.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// What the librarian saves and opens, and what it tells the user about it: pure
// functions over the cache and a file's bytes, apart from the dialogs and the window.

// The dumps chosen for a file, one after another as received, and how many patches
// were meant: loaded ones are saved, the others counted as missing.
struct SaveSelection {
    Bytes data;
    int saved = 0;
    int total = 0;
};

// The loaded dumps of `bank`, in program order.
SaveSelection SelectBank(const std::vector<PatchSlot>& slots, int bank);
// Every loaded dump of the cache, in patch order.
SaveSelection SelectAll(const std::vector<PatchSlot>& slots);
// The dumps of an opened file, as they were listed.
SaveSelection SelectDumps(const std::vector<Bytes>& dumps);

// "Saved 87 of 100 patches of bank 1 to strings.syx." (`source` may be empty: "Saved
// 350 of 400 patches to all.syx."); with nothing saved, why nothing was written.
std::string SavedText(const SaveSelection& selection, const std::string& source, const std::string& fileName);
// "1 patch", "87 patches".
std::string Patches(std::size_t count);
// The reason a save failed, for the status line and the message box.
std::string SaveFailedText(const std::string& fileName, const std::string& reason);

// The patches of a .syx file as the shared reader finds them.
struct PatchFile {
    std::vector<Bytes> dumps;
    std::map<int, int> olderFormats; // dumps of each format before 0x6F, by format
    std::size_t skipped = 0;         // other messages, short dumps, cut-off messages and stray bytes
};

PatchFile ReadPatchFile(const Bytes& data);

// The lines that say what was opened (the older format noted), or why nothing was.
std::vector<std::string> OpenedText(const PatchFile& file, const std::string& fileName);

// Reads a whole file of at most 16 MB; false with the reason in `error` otherwise.
bool ReadFileBytes(const std::filesystem::path& path, Bytes& data, std::string& error);

// A file's name for a status line: the last part of the path, with characters outside
// ASCII, which status lines cannot show, as '?'.
std::string DisplayName(const std::filesystem::path& path);
