#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

class PatchLibrary;

// Import Folder: every .syx file below a folder goes into the library, a slice of files
// at a time, each slice in one transaction, so that an import stopped at any point leaves
// whole files in and the rest out. Files that hold no patch dump are counted, not fatal.
class FolderImport {
  public:
    // Lists the .syx files below `folder` (any case of the extension), in name order;
    // folders it may not read are passed over.
    explicit FolderImport(const std::filesystem::path& folder);

    // Imports files until `budget` has passed or none is left; false when the library
    // failed (its Error() says why), which ends the import.
    bool Step(PatchLibrary& library, std::chrono::milliseconds budget);
    bool Finished() const { return next_ >= files_.size() || failed_; }

    std::size_t Total() const { return files_.size(); }
    std::size_t Done() const { return next_; }
    // "Importing: 120 of 1000 files."
    std::string ProgressText() const;
    // "Imported 998 files: 1,000 patches, 12 new; 2 files held no patch." and so on.
    std::string SummaryText(bool cancelled) const;

    std::size_t patches = 0;       // dumps read from files
    std::size_t added = 0;         // new rows of the library
    std::size_t notPatchFiles = 0; // read, but without a patch dump
    std::size_t unreadable = 0;    // could not be read

  private:
    std::vector<std::filesystem::path> files_;
    std::size_t next_ = 0;
    bool failed_ = false;
};
