#include "library/PatchLibrary.h"

#include "app/LibraryFiles.h"
#include "library/PatchFingerprint.h"
#include "library/Statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <set>

namespace {

const char kSchema[] = R"(
CREATE TABLE patches (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    dump BLOB NOT NULL,
    format INTEGER NOT NULL,
    fingerprint TEXT NOT NULL,
    identity TEXT NOT NULL UNIQUE,
    first_seen TEXT NOT NULL,
    last_seen TEXT NOT NULL,
    last_place TEXT NOT NULL,
    favourite INTEGER NOT NULL DEFAULT 0 CHECK (favourite IN (0, 1)),
    notes TEXT NOT NULL DEFAULT ''
);
CREATE INDEX patches_by_fingerprint ON patches (fingerprint);
CREATE TABLE tags (
    patch INTEGER NOT NULL REFERENCES patches (id) ON DELETE CASCADE,
    tag TEXT NOT NULL,
    PRIMARY KEY (patch, tag)
);
CREATE TABLE sightings (
    id INTEGER PRIMARY KEY,
    patch INTEGER NOT NULL REFERENCES patches (id) ON DELETE CASCADE,
    place TEXT NOT NULL,
    seen TEXT NOT NULL
);
CREATE INDEX sightings_by_patch ON sightings (patch);
CREATE INDEX sightings_by_place ON sightings (place, seen);
)";

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

PatchLibrary::~PatchLibrary() {
    Close();
}

void PatchLibrary::Close() {
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void PatchLibrary::Fail(const std::string& what, int code) {
    const int primary = code & 0xFF;
    std::string why;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        why = "is damaged";
    else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        why = "is locked by another program";
    else if (primary == SQLITE_READONLY || primary == SQLITE_PERM)
        why = "is read-only";
    else if (primary == SQLITE_FULL)
        why = "could not grow: the disk is full";
    else
        why = what + " failed (" + sqlite3_errstr(code) + ")";
    error_ =
        "The library " + fileName_ + " " + why + ": Tavren works without it and leaves the file as it is.";
    Close();
}

bool PatchLibrary::Execute(const char* sql) {
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        Fail("a change", code);
        return false;
    }
    return true;
}

bool PatchLibrary::Begin() {
    return db_ != nullptr && Execute("BEGIN IMMEDIATE");
}

bool PatchLibrary::End(bool ok) {
    if (db_ == nullptr)
        return false;
    if (ok)
        return Execute("COMMIT");
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool PatchLibrary::Finish(int code, const std::string& what) {
    if (code == 0)
        return End(true);
    End(false);
    Fail(what, code);
    return false;
}

bool PatchLibrary::Open(const std::filesystem::path& path) {
    Close();
    error_.clear();
    fileName_ = DisplayName(path);
    std::error_code ignored;
    const bool exists = std::filesystem::exists(path, ignored);
    if (!exists && path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ignored);
    const std::string name = path.u8string();
    const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    int code = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        Fail("opening", code);
        if (!exists)
            error_ = "Could not make the library " + fileName_ + ": Tavren works without it.";
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_extended_result_codes(db_, 1);

    int64_t version = 0, application = 0, tables = 0;
    {
        Statement read(db_, "SELECT (SELECT user_version FROM pragma_user_version),"
                            " (SELECT application_id FROM pragma_application_id),"
                            " (SELECT count(*) FROM sqlite_master)");
        if (read.Step()) {
            version = read.Int(0), application = read.Int(1), tables = read.Int(2);
        } else {
            Fail("reading", read.code != 0 ? read.code : sqlite3_errcode(db_));
            return false;
        }
    }
    const bool ours = application == kApplicationId || (application == 0 && tables == 0);
    if (!ours) {
        error_ = "The library " + fileName_ +
                 " is not a Tavren library: Tavren works without it and leaves the file as it is.";
        Close();
        return false;
    }
    if (version > kSchemaVersion) {
        error_ = "The library " + fileName_ +
                 " was made by a newer Tavren: Tavren works without it and leaves the file as it is.";
        Close();
        return false;
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        Fail("opening", SQLITE_READONLY);
        return false;
    }
    {
        // A damaged page anywhere is found now, before anything is written.
        Statement check(db_, "PRAGMA quick_check(1)");
        const bool answered = check.Step();
        if (!answered || check.Text(0) != "ok") {
            Fail("checking", answered || check.code == 0 ? SQLITE_CORRUPT : check.code);
            return false;
        }
    }
    if (version == 0 && !CreateSchema())
        return false;
    // The whole library is read when its window opens: it is kept in memory, and read
    // through a mapping of the file rather than a call per page.
    if (!Execute("PRAGMA journal_mode = WAL") || !Execute("PRAGMA synchronous = NORMAL") ||
        !Execute("PRAGMA foreign_keys = ON") || !Execute("PRAGMA cache_size = -32768") ||
        !Execute("PRAGMA mmap_size = 268435456"))
        return false;
    return true;
}

bool PatchLibrary::CreateSchema() {
    if (!Begin())
        return false;
    const std::string sql = std::string(kSchema) +
                            "PRAGMA application_id = " + std::to_string(kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    return End(Execute(sql.c_str()));
}

std::optional<int> PatchLibrary::Record(const std::vector<Bytes>& dumps, const std::string& place,
                                        const std::string& when) {
    return Record(std::vector<Seen>{{dumps, place}}, when);
}

std::optional<int> PatchLibrary::Record(const std::vector<Seen>& seen, const std::string& when) {
    if (db_ == nullptr || !Begin())
        return std::nullopt;
    Statement find(db_, "SELECT id FROM patches WHERE identity = ?1");
    Statement again(db_, "UPDATE patches SET last_seen = ?2, last_place = ?3 WHERE id = ?1");
    Statement insert(db_, "INSERT INTO patches (name, dump, format, fingerprint, identity, first_seen,"
                          " last_seen, last_place) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6, ?7)");
    Statement sighting(db_, "INSERT INTO sightings (patch, place, seen) VALUES (?1, ?2, ?3)");
    int added = 0;
    int code = 0;
    for (const Statement* statement : {&find, &again, &insert, &sighting})
        code = code != 0 ? code : statement->code;
    for (const Seen& one : seen) {
        for (const Bytes& dump : one.dumps) {
            if (code != 0)
                break;
            if (!IsLibraryDump(dump))
                continue;
            const std::string identity = DumpIdentity(dump);
            int64_t id = 0;
            find.Bind(1, identity);
            if (find.Step())
                id = find.Int(0);
            code = find.code;
            find.Reset();
            if (code == 0 && id != 0) {
                again.Bind(1, id).Bind(2, when).Bind(3, one.place).Run();
                code = again.code;
            } else if (code == 0) {
                insert.Bind(1, ReadPatchName(dump))
                    .Bind(2, dump)
                    .Bind(3, ReadFormatVersion(dump).value_or(0))
                    .Bind(4, SoundFingerprint(dump))
                    .Bind(5, identity)
                    .Bind(6, when)
                    .Bind(7, one.place)
                    .Run();
                code = insert.code;
                id = sqlite3_last_insert_rowid(db_);
                ++added;
            }
            if (code == 0) {
                sighting.Bind(1, id).Bind(2, one.place).Bind(3, when).Run();
                code = sighting.code;
            }
        }
    }
    if (!Finish(code, "recording a patch"))
        return std::nullopt;
    return added;
}

std::vector<LibraryEntry> PatchLibrary::Entries() {
    std::vector<LibraryEntry> entries;
    if (db_ == nullptr)
        return entries;
    // Three plain reads joined here, in id order: the window opens on ten thousand
    // patches at once.
    {
        Statement count(db_, "SELECT count(*) FROM patches");
        entries.reserve(count.Step() ? static_cast<std::size_t>(count.Int(0)) : 0);
    }
    Statement rows(db_, "SELECT id, name, notes, format, substr(fingerprint, 1, 16), last_place, last_seen,"
                        " favourite FROM patches ORDER BY id");
    while (rows.Step()) {
        LibraryEntry& entry = entries.emplace_back();
        entry.id = rows.Int(0);
        entry.name = rows.Text(1);
        entry.notes = rows.Text(2);
        entry.format = static_cast<int>(rows.Int(3));
        entry.sound = std::strtoull(rows.Text(4).c_str(), nullptr, 16);
        entry.lastPlace = rows.Text(5);
        entry.lastSeen = rows.Text(6);
        entry.favourite = rows.Int(7) != 0;
    }
    const auto find = [&entries](int64_t id) -> LibraryEntry* {
        auto at =
            std::lower_bound(entries.begin(), entries.end(), id,
                             [](const LibraryEntry& entry, int64_t wanted) { return entry.id < wanted; });
        return at != entries.end() && at->id == id ? &*at : nullptr;
    };
    Statement tags(db_, "SELECT patch, tag FROM tags ORDER BY patch, tag");
    while (tags.Step()) {
        if (LibraryEntry* entry = find(tags.Int(0)))
            entry->tags += (entry->tags.empty() ? "" : ", ") + tags.Text(1);
    }
    Statement places(
        db_, "SELECT patch, max(place GLOB '[0-9]:[0-9][0-9]'), max(NOT place GLOB '[0-9]:[0-9][0-9]')"
             " FROM sightings GROUP BY patch");
    while (places.Step()) {
        if (LibraryEntry* entry = find(places.Int(0))) {
            entry->onInstrument = places.Int(1) != 0;
            entry->inFile = places.Int(2) != 0;
        }
    }
    for (const Statement* read : {&rows, &tags, &places}) {
        if (read->code != 0) {
            Fail("reading", read->code);
            return {};
        }
    }
    MarkDuplicates(entries);
    return entries;
}

void PatchLibrary::MarkDuplicates(std::vector<LibraryEntry>& entries) {
    // A sound in more than one row, or a name given to more than one sound: neighbours
    // once sorted by sound, and by name and sound.
    std::vector<LibraryEntry*> order;
    order.reserve(entries.size());
    for (LibraryEntry& entry : entries)
        order.push_back(&entry);
    const auto mark = [&order](auto same) {
        for (std::size_t i = 1; i < order.size(); ++i)
            if (same(*order[i - 1], *order[i]))
                order[i - 1]->duplicate = order[i]->duplicate = true;
    };
    std::sort(order.begin(), order.end(),
              [](const LibraryEntry* a, const LibraryEntry* b) { return a->sound < b->sound; });
    mark([](const LibraryEntry& a, const LibraryEntry& b) { return a.sound == b.sound; });
    std::sort(order.begin(), order.end(), [](const LibraryEntry* a, const LibraryEntry* b) {
        return a->name != b->name ? a->name < b->name : a->sound < b->sound;
    });
    // Within one name, every row is a duplicate when its first and last sound differ.
    for (std::size_t first = 0; first < order.size();) {
        std::size_t last = first;
        while (last + 1 < order.size() && order[last + 1]->name == order[first]->name)
            ++last;
        if (order[first]->sound != order[last]->sound)
            for (std::size_t i = first; i <= last; ++i)
                order[i]->duplicate = true;
        first = last + 1;
    }
}

std::vector<int64_t> PatchLibrary::History(const std::string& place) {
    std::vector<int64_t> ids;
    if (db_ == nullptr)
        return ids;
    Statement rows(db_, "SELECT patch FROM sightings WHERE place = ?1 GROUP BY patch"
                        " ORDER BY max(seen) DESC, max(id) DESC");
    rows.Bind(1, place);
    while (rows.Step())
        ids.push_back(rows.Int(0));
    if (rows.code != 0)
        Fail("reading", rows.code);
    return ids;
}

std::vector<Bytes> PatchLibrary::Dumps(const std::vector<int64_t>& ids) {
    std::vector<Bytes> dumps;
    for (int64_t id : ids) {
        if (db_ == nullptr)
            break;
        Statement row(db_, "SELECT dump FROM patches WHERE id = ?1");
        row.Bind(1, id);
        if (row.Step())
            dumps.push_back(row.Blob(0));
        else if (row.code != 0)
            Fail("reading", row.code);
    }
    return dumps;
}

std::vector<std::string> PatchLibrary::Tags(int64_t id) {
    std::vector<std::string> tags;
    if (db_ == nullptr)
        return tags;
    Statement rows(db_, "SELECT tag FROM tags WHERE patch = ?1 ORDER BY tag");
    rows.Bind(1, id);
    while (rows.Step())
        tags.push_back(rows.Text(0));
    return tags;
}

bool PatchLibrary::SetFavourite(const std::vector<int64_t>& ids, bool favourite) {
    if (!Begin())
        return false;
    int code = 0;
    for (int64_t id : ids) {
        Statement set(db_, "UPDATE patches SET favourite = ?2 WHERE id = ?1");
        if (!set.Bind(1, id).Bind(2, favourite ? 1 : 0).Run() && (code = set.code) != 0)
            break;
    }
    return Finish(code, "a change");
}

bool PatchLibrary::SetTagsAndNotes(const std::vector<int64_t>& ids, const std::vector<std::string>& tags,
                                   const std::string& notes) {
    std::set<std::string> kept;
    for (const std::string& tag : tags)
        if (std::string trimmed = Trim(tag); !trimmed.empty())
            kept.insert(trimmed);
    if (!Begin())
        return false;
    int code = 0;
    for (int64_t id : ids) {
        Statement clear(db_, "DELETE FROM tags WHERE patch = ?1");
        clear.Bind(1, id).Run();
        Statement note(db_, "UPDATE patches SET notes = ?2 WHERE id = ?1");
        note.Bind(1, id).Bind(2, notes).Run();
        code = clear.code != 0 ? clear.code : note.code;
        for (const std::string& tag : kept) {
            if (code != 0)
                break;
            Statement add(db_, "INSERT INTO tags (patch, tag) SELECT id, ?2 FROM patches WHERE id = ?1");
            add.Bind(1, id).Bind(2, tag).Run();
            code = add.code;
        }
        if (code != 0)
            break;
    }
    return Finish(code, "a change");
}

bool PatchLibrary::Remove(const std::vector<int64_t>& ids) {
    if (!Begin())
        return false;
    int code = 0;
    for (int64_t id : ids) {
        for (const char* sql : {"DELETE FROM tags WHERE patch = ?1", "DELETE FROM sightings WHERE patch = ?1",
                                "DELETE FROM patches WHERE id = ?1"}) {
            Statement remove(db_, sql);
            remove.Bind(1, id).Run();
            if ((code = remove.code) != 0)
                break;
        }
        if (code != 0)
            break;
    }
    return Finish(code, "a change");
}

int64_t PatchLibrary::CountPatches() {
    if (db_ == nullptr)
        return 0;
    Statement count(db_, "SELECT count(*) FROM patches");
    return count.Step() ? count.Int(0) : 0;
}

int64_t PatchLibrary::CountSightings() {
    if (db_ == nullptr)
        return 0;
    Statement count(db_, "SELECT count(*) FROM sightings");
    return count.Step() ? count.Int(0) : 0;
}

std::string PatchLibrary::Now() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc = {};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
