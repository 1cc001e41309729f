#pragma once

#include "engine/PatchDump.h"
#include "library/LibraryEntry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// The patch library: every patch the program has seen, in an SQLite database file, with
// where and when it was seen, favourites, tags and notes. Every change is one
// transaction. A file it cannot use (damaged, locked, read-only, not its own, or of a
// newer schema) is left exactly as it is: the library stays closed and says why.
class PatchLibrary {
  public:
    static constexpr int kSchemaVersion = 1;
    static constexpr int kApplicationId = 0x54617672; // "Tavr", in the file's header

    PatchLibrary() = default;
    ~PatchLibrary();
    PatchLibrary(const PatchLibrary&) = delete;
    PatchLibrary& operator=(const PatchLibrary&) = delete;

    // Opens the file, making it and its folder when there is none. False with the
    // reason, a line for the status panel, in Error().
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    // Why the library is closed: the last failure, for the status panel.
    const std::string& Error() const { return error_; }

    // Records the dumps seen at `place` ("1:07" or a file's path) at `when`, in one
    // transaction: a row for each patch not known yet, a sighting for every dump. Dumps
    // that are no patch dumps are left out. The number of new rows, or nothing when the
    // database failed (it is closed then, and nothing of this call is in).
    std::optional<int> Record(const std::vector<Bytes>& dumps, const std::string& place,
                              const std::string& when);
    // The same for several places at once, in one transaction: all of them or none.
    struct Seen {
        std::vector<Bytes> dumps;
        std::string place;
    };
    std::optional<int> Record(const std::vector<Seen>& seen, const std::string& when);

    // Every patch, in the order of their rows, with duplicates marked.
    std::vector<LibraryEntry> Entries();
    // The patches seen at `place`, the latest sighting first.
    std::vector<int64_t> History(const std::string& place);
    // The dumps of `ids` as received, in that order; unknown ids are left out.
    std::vector<Bytes> Dumps(const std::vector<int64_t>& ids);
    // The tags of one patch, sorted.
    std::vector<std::string> Tags(int64_t id);
    bool SetFavourite(const std::vector<int64_t>& ids, bool favourite);
    // Replaces the tags and notes of each patch of `ids`. Tags are trimmed, empty ones
    // dropped.
    bool SetTagsAndNotes(const std::vector<int64_t>& ids, const std::vector<std::string>& tags,
                         const std::string& notes);
    // Removes the patches with their tags and sightings.
    bool Remove(const std::vector<int64_t>& ids);
    // Counts of rows: patches, sightings.
    int64_t CountPatches();
    int64_t CountSightings();

    // The time now as ISO 8601 UTC, "2026-12-07T19:50:00Z".
    static std::string Now();

  private:
    static void MarkDuplicates(std::vector<LibraryEntry>& entries);
    bool Execute(const char* sql);
    // Ends a transaction begun by Begin: committed when `ok`, rolled back otherwise.
    bool Begin();
    bool End(bool ok);
    // Ends it after statements that answered `code`: committed at 0, otherwise rolled back
    // and the library given up with the reason, as `what` failed.
    bool Finish(int code, const std::string& what);
    // Closes the library after a failure, keeping the reason for Error().
    void Fail(const std::string& what, int code);
    bool CreateSchema();

    sqlite3* db_ = nullptr;
    std::string fileName_;
    std::string error_;
};
