// The patch library: fingerprints, recording, the files it refuses and leaves alone,
// tags and favourites, a slot's history, the window's view and the folder import, on
// real database files and the real factory bank.
#include "engine/DumpPacker.h"
#include "library/FolderImport.h"
#include "library/LibraryView.h"
#include "library/PatchFingerprint.h"
#include "library/PatchLibrary.h"
#include "library/Sha256.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/LibraryFile.h"
#include "tests/support/PatchVariants.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>

namespace {

namespace fs = std::filesystem;

LibraryView::Query Find(std::string text, bool favourites = false, bool duplicates = false, int format = 0,
                        LibraryView::Seen seen = LibraryView::Seen::Anywhere,
                        std::optional<std::vector<int64_t>> history = std::nullopt) {
    return {std::move(text), favourites, duplicates, format, seen, std::move(history)};
}

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

class LibraryTest : public testing::Test {
  public:
    void SetUp() override { ASSERT_TRUE(library.Open(file)) << library.Error(); }
    // A row of the library by name; fails the test when there is none.
    LibraryEntry Entry(const std::string& name) {
        for (const LibraryEntry& entry : library.Entries())
            if (entry.name == name)
                return entry;
        ADD_FAILURE() << "no patch " << name;
        return {};
    }
    int64_t Query(const std::string& sql) { return LibraryFile(file).Number(sql); }

    ScratchFolder folder{"tavren-library-" +
                         std::string(testing::UnitTest::GetInstance()->current_test_info()->name())};
    fs::path file = folder / "library.sqlite3";
    PatchLibrary library;
    std::vector<std::vector<uint8_t>> bank = LoadFactoryBank();
};

TEST(Sha256Test, KnownVectorsWholeAndInPieces) {
    const struct {
        std::string message;
        int repeat;
        const char* digest;
    } cases[] = {
        {"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a", 1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"0123456701234567012345670123456701234567012345670123456701234567", 10,
         "594847328451bdfa85056225462cc1d867d877fb388df0ce35f25ab5562bfbb5"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> whole;
        for (int i = 0; i < c.repeat; ++i)
            whole.insert(whole.end(), c.message.begin(), c.message.end());
        EXPECT_EQ(Sha256::Hex(whole), c.digest) << c.message.substr(0, 8) << " x " << c.repeat;
        Sha256 pieces; // pieces of 1, 2, 3 ... bytes cross the block boundaries everywhere
        std::size_t at = 0;
        for (std::size_t size = 1; at < whole.size(); ++size) {
            const std::size_t take = std::min(size, whole.size() - at);
            pieces.Update(whole.data() + at, take);
            at += take;
        }
        std::string hex;
        for (uint8_t byte : pieces.Finish()) {
            static const char kDigits[] = "0123456789abcdef";
            hex += kDigits[byte >> 4];
            hex += kDigits[byte & 15];
        }
        EXPECT_EQ(hex, c.digest) << c.message.substr(0, 8) << " in pieces";
    }
}

TEST(FingerprintTest, TheSoundIgnoresNameAndSlotAndTheIdentityOnlyTheSlot) {
    const std::vector<std::vector<uint8_t>> bank = LoadFactoryBank();
    const std::vector<uint8_t>& organ = bank[0];
    const struct {
        const char* what;
        std::vector<uint8_t> other;
        bool sameSound, sameRow;
    } cases[] = {
        {"the same dump", organ, true, true},
        {"another slot", Numbered(organ, 307), true, true},
        {"another name", Renamed(organ, "Church"), true, false},
        {"a name of 16 characters", Renamed(organ, "Sixteen Letters!"), true, false},
        {"another knob value", Retuned(organ, static_cast<uint8_t>(UnpackPatchData(organ)[6] ^ 0x40)), false,
         false},
        {"another factory patch", bank[1], false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SoundFingerprint(c.other) == SoundFingerprint(organ), c.sameSound) << c.what;
        EXPECT_EQ(DumpIdentity(c.other) == DumpIdentity(organ), c.sameRow) << c.what;
        EXPECT_EQ(SoundFingerprint(c.other).size(), 64u);
    }
    std::vector<std::string> sounds;
    for (const auto& dump : bank)
        sounds.push_back(SoundFingerprint(dump));
    std::sort(sounds.begin(), sounds.end());
    EXPECT_EQ(std::unique(sounds.begin(), sounds.end()) - sounds.begin(), 100) << "100 factory sounds";
}

TEST(FingerprintTest, OnlyWholePatchDumpsGoIn) {
    const std::vector<uint8_t> organ = LoadFactoryBank()[0];
    std::vector<uint8_t> cut(organ.begin(), organ.begin() + 120);
    std::vector<uint8_t> unended(organ.begin(), organ.end() - 1);
    std::vector<uint8_t> reply = {0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x78, 0x7E, 0x03};
    reply.resize(organ.size(), 0);
    reply.back() = 0xF7;
    EXPECT_TRUE(IsLibraryDump(organ));
    for (const auto& bad : {cut, unended, reply, Text("not a dump")})
        EXPECT_FALSE(IsLibraryDump(bad));
}

TEST_F(LibraryTest, APatchSeenAgainAddsASightingNotARow) {
    EXPECT_EQ(library.Record(bank, "0:00", "2026-01-01T10:00:00Z"), 100);
    EXPECT_EQ(library.Record({bank[7]}, "2:07", "2026-01-02T10:00:00Z"), 0)
        << "the same patch in another slot";
    EXPECT_EQ(library.Record({Renamed(bank[7], "Mine")}, "C:\\mine.syx", "2026-01-03T10:00:00Z"), 1);
    EXPECT_EQ(library.Record({Text("junk"), bank[8]}, "0:08", "2026-01-04T10:00:00Z"), 0) << "junk left out";
    EXPECT_EQ(library.CountPatches(), 101);
    EXPECT_EQ(library.CountSightings(), 103);
    const LibraryEntry seventh = Entry(ReadPatchName(bank[7]));
    EXPECT_EQ(seventh.lastPlace, "2:07");
    EXPECT_EQ(seventh.lastSeen, "2026-01-02T10:00:00Z");
    EXPECT_TRUE(seventh.onInstrument);
    EXPECT_FALSE(seventh.inFile);
    EXPECT_TRUE(seventh.duplicate) << "its sound is also called Mine";
    EXPECT_TRUE(Entry("Mine").inFile);
    EXPECT_FALSE(Entry(ReadPatchName(bank[9])).duplicate);
    EXPECT_EQ(library.Dumps({seventh.id}), std::vector<std::vector<uint8_t>>{bank[7]})
        << "the first dump kept";
    EXPECT_EQ(Query("SELECT count(*) FROM patches WHERE first_seen = '2026-01-01T10:00:00Z'"), 100);
    EXPECT_EQ(Query("SELECT format FROM patches WHERE id = 1"), 0x6F);
    EXPECT_EQ(Query("PRAGMA user_version"), PatchLibrary::kSchemaVersion);
    // The file is there for sqlite3 to read while the program keeps it open.
    EXPECT_EQ(Query("SELECT count(*) FROM sightings WHERE place = '0:08'"), 1);
}

TEST_F(LibraryTest, OneNameOnTwoSoundsIsADuplicateToo) {
    library.Record({bank[3], Retuned(bank[3], 1)}, "0:03", "2026-01-01T10:00:00Z");
    library.Record({bank[4]}, "0:04", "2026-01-01T10:00:00Z");
    int duplicates = 0;
    for (const LibraryEntry& entry : library.Entries())
        duplicates += entry.duplicate;
    EXPECT_EQ(duplicates, 2);
}

TEST_F(LibraryTest, FilesItCannotUseAreLeftAsTheyAre) {
    library.Record(bank, "0:00", "2026-01-01T10:00:00Z");
    library.Close();
    std::vector<uint8_t> good = folder.Read("library.sqlite3");
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string sql; // run on a copy of the good file first
        const char* says;
    } cases[] = {
        {"not a database", Text(std::string(5000, 'x')), "", "is damaged"},
        {"cut short", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 3)),
         "", "is damaged"},
        {"a newer schema", {}, "PRAGMA user_version = 7", "was made by a newer Tavren"},
        {"another program's", {}, "PRAGMA application_id = 42", "is not a Tavren library"},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("case-") + c.what + ".sqlite3";
        if (!c.sql.empty()) {
            folder.Write(name, good);
            sqlite3* db = nullptr;
            sqlite3_open((folder / name).string().c_str(), &db);
            sqlite3_exec(db, c.sql.c_str(), nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else {
            folder.Write(name, c.bytes);
        }
        const std::vector<uint8_t> before = folder.Read(name);
        PatchLibrary refused;
        EXPECT_FALSE(refused.Open(folder / name)) << c.what;
        EXPECT_NE(refused.Error().find(c.says), std::string::npos) << c.what << ": " << refused.Error();
        EXPECT_NE(refused.Error().find("Tavren works without it"), std::string::npos);
        EXPECT_FALSE(refused.Record({bank[0]}, "0:00", "2026-01-01T10:00:00Z")) << c.what;
        EXPECT_EQ(folder.Read(name), before) << c.what << " was changed";
        EXPECT_FALSE(fs::exists(folder / (name + "-wal"))) << c.what;
    }
}

TEST_F(LibraryTest, ALockedFileStopsTheLibraryAndKeepsWhatTheOtherWrites) {
    sqlite3* other = nullptr;
    sqlite3_open(file.string().c_str(), &other);
    ASSERT_EQ(
        sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE patches SET notes = 'x'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_FALSE(library.Record({bank[0]}, "0:00", "2026-01-01T10:00:00Z"));
    EXPECT_NE(library.Error().find("is locked by another program"), std::string::npos) << library.Error();
    EXPECT_FALSE(library.IsOpen());
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Query("SELECT count(*) FROM patches"), 0);
}

TEST_F(LibraryTest, FavouritesTagsNotesAndRemovalWithItsSightings) {
    library.Record({bank[0], bank[1], bank[2]}, "0:00", "2026-01-01T10:00:00Z");
    library.Record({bank[1]}, "x.syx", "2026-01-01T11:00:00Z");
    const int64_t a = Entry(ReadPatchName(bank[0])).id, b = Entry(ReadPatchName(bank[1])).id;
    ASSERT_TRUE(library.SetFavourite({a, b}, true));
    ASSERT_TRUE(library.SetTagsAndNotes({b}, {" pad ", "warm", "", "pad"}, "for the intro"));
    EXPECT_EQ(library.Tags(b), (std::vector<std::string>{"pad", "warm"}));
    const LibraryEntry second = Entry(ReadPatchName(bank[1]));
    EXPECT_EQ(second.tags, "pad, warm");
    EXPECT_EQ(second.notes, "for the intro");
    EXPECT_TRUE(second.favourite && second.onInstrument && second.inFile);
    ASSERT_TRUE(library.SetFavourite({a}, false));
    EXPECT_FALSE(Entry(ReadPatchName(bank[0])).favourite);
    ASSERT_TRUE(library.Remove({b}));
    EXPECT_EQ(library.CountPatches(), 2);
    EXPECT_EQ(library.CountSightings(), 2);
    EXPECT_EQ(Query("SELECT count(*) FROM tags"), 0);
    EXPECT_EQ(Query("SELECT count(*) FROM sightings WHERE patch NOT IN (SELECT id FROM patches)"), 0);
    library.Record({bank[1]}, "0:01", "2026-01-02T10:00:00Z");
    EXPECT_EQ(Entry(ReadPatchName(bank[1])).tags, "") << "a removed patch comes back as new";
}

TEST_F(LibraryTest, ASlotsHistoryIsNewestFirst) {
    library.Record({Numbered(bank[5], 107)}, "1:07", "2026-01-01T10:00:00Z");
    library.Record({Numbered(bank[6], 107)}, "1:07", "2026-01-02T10:00:00Z");
    library.Record({Numbered(bank[5], 107)}, "1:07", "2026-01-03T10:00:00Z");
    library.Record({Numbered(bank[7], 107)}, "1:07", "2026-01-03T10:00:00Z"); // same second, later
    library.Record({bank[8]}, "0:08", "2026-01-04T10:00:00Z");
    std::vector<std::string> names;
    for (int64_t id : library.History("1:07"))
        names.push_back(library.Dumps({id}).empty() ? "" : ReadPatchName(library.Dumps({id})[0]));
    EXPECT_EQ(names, (std::vector<std::string>{ReadPatchName(bank[7]), ReadPatchName(bank[5]),
                                               ReadPatchName(bank[6])}));
}

TEST(LibraryViewTest, SearchFiltersAndSorting) {
    std::vector<LibraryEntry> entries(5);
    const char* names[] = {"Organ I", "Brass", "organ pad", "Bells", "Sub Bass"};
    for (int i = 0; i < 5; ++i) {
        entries[i].id = i + 1;
        entries[i].name = names[i];
        entries[i].format = i == 4 ? 0x6E : 0x6F;
        entries[i].lastSeen = "2026-01-0" + std::to_string(i + 1) + "T10:00:00Z";
        entries[i].onInstrument = i < 3;
        entries[i].inFile = i >= 2;
    }
    entries[1].tags = "ORGANIC, warm";
    entries[3].notes = "like an organ";
    entries[3].favourite = entries[4].favourite = true;
    entries[4].duplicate = true;
    LibraryView view;
    view.SetEntries(entries);
    const auto shown = [&view] {
        std::vector<int64_t> ids;
        for (int row = 0; row < view.Count(); ++row)
            ids.push_back(view.Row(row).id);
        return ids;
    };
    const struct {
        LibraryView::Query query;
        std::vector<int64_t> ids;
    } cases[] = {
        {Find(""), {1, 2, 3, 4, 5}},
        {Find("ORGAN"), {1, 2, 3, 4}}, // name, tags and notes, any case
        {Find("organ", true), {4}},
        {Find("", false, true), {5}},
        {Find("", false, false, 0x6E), {5}},
        {Find("", false, false, 0, LibraryView::Seen::OnInstrument), {1, 2, 3}},
        {Find("", false, false, 0, LibraryView::Seen::InFiles), {3, 4, 5}},
        {Find("", false, false, 0, LibraryView::Seen::Anywhere, std::vector<int64_t>{4, 9, 1}), {4, 1}},
        {Find("zzz"), {}},
    };
    for (const auto& c : cases) {
        view.SetQuery(c.query);
        EXPECT_EQ(shown(), c.ids) << "search '" << c.query.text << "'";
    }
    view.SetQuery(Find(""));
    view.SortBy(LibraryView::kName);
    EXPECT_EQ(shown(), (std::vector<int64_t>{4, 2, 1, 3, 5}));
    view.SortBy(LibraryView::kName);
    EXPECT_EQ(shown(), (std::vector<int64_t>{5, 3, 1, 2, 4}));
    view.SortBy(LibraryView::kSeen);
    EXPECT_EQ(shown(), (std::vector<int64_t>{5, 4, 3, 2, 1})) << "newest first";
    view.SortBy(LibraryView::kFavourite);
    EXPECT_EQ(view.Cell(0, LibraryView::kFavourite), "*");
    EXPECT_EQ(view.Cell(0, LibraryView::kSeen), "2026-01-04 10:00");
    EXPECT_EQ(view.RowOf(5), 1) << "favourites first, then by id";
    EXPECT_EQ(view.Formats(), (std::vector<int>{0x6E, 0x6F}));
}

TEST_F(LibraryTest, AFolderImportTakesEverySyxFileBelowAndCountsTheOthers) {
    fs::create_directories(folder / "import" / "deeper" / "deepest");
    std::vector<uint8_t> firstHalf, secondHalf;
    for (int i = 0; i < 100; ++i)
        (i < 50 ? firstHalf : secondHalf)
            .insert((i < 50 ? firstHalf : secondHalf).end(), bank[i].begin(), bank[i].end());
    folder.Write("import/a.syx", firstHalf);
    folder.Write("import/deeper/B.SYX", secondHalf);
    folder.Write("import/deeper/deepest/mine.syx", Renamed(bank[0], "Mine"));
    folder.Write("import/deeper/notes.syx", Text("these are notes, not patches"));
    folder.Write("import/readme.txt", bank[1]);
    FolderImport import(folder / "import");
    EXPECT_EQ(import.Total(), 4u);
    while (!import.Finished())
        ASSERT_TRUE(import.Step(library, std::chrono::milliseconds(0)));
    EXPECT_EQ(import.patches, 101u);
    EXPECT_EQ(import.added, 101u);
    EXPECT_EQ(import.notPatchFiles, 1u);
    EXPECT_EQ(import.SummaryText(false), "Imported 4 files: 101 patches, 101 new; 1 file held no patch.");
    EXPECT_EQ(Entry("Mine").lastPlace, (folder / "import" / "deeper" / "deepest" / "mine.syx").u8string());

    FolderImport again(folder / "import");
    ASSERT_TRUE(again.Step(library, std::chrono::milliseconds(60000)));
    EXPECT_TRUE(again.Finished());
    EXPECT_EQ(again.added, 0u);
    EXPECT_EQ(library.CountPatches(), 101);
    EXPECT_EQ(library.CountSightings(), 202);
    EXPECT_EQ(FolderImport(folder / "no such folder").Total(), 0u);
}

} // namespace
