#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Safe replacement of a whole file, for everything that saves patches: the bytes go to
// a temporary file beside the target, are flushed to the disk, and the temporary file
// is renamed over the target only when it is complete. A failure (disk full, no
// permission, a folder that vanished) leaves the previous file as it was and removes
// the temporary file. Portable: Windows (rename-over included) and POSIX systems.

// The outcome of a write: true when it succeeded, otherwise `error` says why in words.
struct WriteResult {
    std::string error;
    explicit operator bool() const { return error.empty(); }
};

// Writes `data` to `path`, replacing a file of that name whole or not at all. A folder
// or a read-only file of that name is left alone.
WriteResult WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& data);
