// The patch library in the application, for real under Wine: what goes in from the
// instrument, files and writes; the library window through its menu command, its search,
// filters, keys and buttons; files it cannot use; Import Folder, cancelled, and killed
// part-way in a tavren.exe of its own.
#include "app/LibraryWindow.h"
#include "engine/DumpPacker.h"
#include "midi/SimulatedPatches.h"
#include "resources/ResourceIds.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/support/LibraryFile.h"
#include "tests/support/PatchVariants.h"
#include "tests/support/Pointer.h"
#include "tests/support/ProgramProcess.h"
#include "tests/support/ScratchFolder.h"

#include <commctrl.h>

#include <cctype>
#include <chrono>

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Answers the next message box or dialog of this process with `button` once it shows.
void AnswerDialogWith(int button) {
    static int answer;
    answer = button;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (HWND dialog = FindWindowW(L"#32770", nullptr)) {
            KillTimer(nullptr, timer);
            PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        }
    });
}

class LibraryAppTest : public DeviceLinkFixture {
  public:
    void SetUp() override {
        SetEnvironmentVariableW(L"TAVREN_LIBRARY", file.wstring().c_str());
        DeviceLinkFixture::SetUp();
    }
    void TearDown() override {
        delete app->libraryWindow; // the program keeps its window to the end; a test's goes with the test
        app->libraryWindow = nullptr;
        app->library.Close();
        SetEnvironmentVariableW(L"TAVREN_LIBRARY", nullptr);
        DeviceLinkFixture::TearDown();
    }
    // Asked once the window is idle, when what was seen has gone in.
    int64_t Number(const std::string& sql) const { return PumpMessages(), LibraryFile(file).Number(sql); }
    std::vector<std::string> Texts(const std::string& sql) const {
        return PumpMessages(), LibraryFile(file).Texts(sql);
    }

    // The library window's list and controls.
    HWND Control(int id) const { return GetDlgItem(app->libraryWindow->hwnd(), id); }
    int Rows() const {
        return static_cast<int>(SendMessageW(app->libraryWindow->List(), LVM_GETITEMCOUNT, 0, 0));
    }
    std::string Cell(int row, int column) const {
        wchar_t text[260] = L"";
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 260;
        SendMessageW(app->libraryWindow->List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return std::string(text, text + wcslen(text));
    }
    void Type(int id, const wchar_t* text) const { SetWindowTextW(Control(id), text); } // EN_CHANGE as typing
    void Choose(int id, int item) const {
        SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(app->libraryWindow->hwnd(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Control(id)));
    }
    void Select(std::initializer_list<int> rows) const {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(app->libraryWindow->List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        for (int row : rows) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(app->libraryWindow->List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&state));
        }
    }
    void Press(UINT key) const {
        HWND list = app->libraryWindow->List();
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, key, 0);
        SendMessageW(list, WM_KEYUP, key, 0);
        PumpMessages();
    }
    void Click(int button) const {
        SendMessageW(Control(button), BM_CLICK, 0, 0);
        PumpMessages();
    }
    std::vector<std::string> SelectedNames() const {
        std::vector<std::string> names;
        for (int row = -1;
             (row = static_cast<int>(SendMessageW(app->libraryWindow->List(), LVM_GETNEXTITEM,
                                                  static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
            names.push_back(Cell(row, LibraryView::kName));
        return names;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < Rows(); ++row)
            names.push_back(Cell(row, LibraryView::kName));
        return names;
    }

    ScratchFolder folder{"tavren-library-" +
                         std::string(testing::UnitTest::GetInstance()->current_test_info()->name())};
    fs::path file = folder / "library.sqlite3";
};

TEST_F(LibraryAppTest, WhatIsReceivedOpenedAndSavedGoesInAndAWrittenSlotIsKeptFirst) {
    Connect();
    app->LoadBank(0);
    EXPECT_EQ(Number("SELECT count(*) FROM patches"), 100);
    EXPECT_EQ(Texts("SELECT p.name FROM sightings s JOIN patches p ON p.id = s.patch WHERE place = '0:42'"),
              std::vector<std::string>{ReadPatchName(device.instrument.Patch(42))});
    ASSERT_TRUE(app->SaveBank(folder / "bank.syx"));
    std::string error;
    ASSERT_TRUE(app->OpenPatchFile(folder / "bank.syx", error)) << error;
    EXPECT_EQ(Number("SELECT count(*) FROM sightings WHERE place LIKE '%bank.syx'"), 200)
        << "saved, then opened";
    EXPECT_EQ(Number("SELECT count(*) FROM patches"), 100) << "seen again: sightings, not rows";

    // 1:07 is not cached here: what it holds is asked for and kept before it is written over.
    const Bytes before = device.instrument.Patch(107);
    const Bytes mine = Renamed(before, "Written Over");
    const RestoreResult result = app->WriteToInstrument({mine}, [](const std::string&) { return true; });
    EXPECT_TRUE(result.AllVerified());
    EXPECT_EQ(device.instrument.Patch(107), mine);
    EXPECT_EQ(Texts("SELECT p.name FROM sightings s JOIN patches p ON p.id = s.patch WHERE place = '1:07'"
                    " ORDER BY s.id"),
              (std::vector<std::string>{ReadPatchName(before), "Written Over"}));
    EXPECT_EQ(Number("SELECT count(*) FROM patches WHERE dump = (SELECT dump FROM patches WHERE name = '" +
                     ReadPatchName(before) + "')"),
              1);
}

TEST_F(LibraryAppTest, TheWindowFromTheMenuFiltersAsYouTypeSortsAndActsOnTheSelection) {
    wchar_t item[64] = L"";
    GetMenuStringW(GetMenu(window), IDM_LIBRARY, item, 64, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"&Library...\tCtrl+L");
    Connect();
    app->LoadBank(0);
    SendMessageW(window, WM_COMMAND, IDM_LIBRARY, 0);
    PumpMessages();
    ASSERT_NE(app->libraryWindow, nullptr);
    ASSERT_TRUE(IsWindowVisible(app->libraryWindow->hwnd()));
    EXPECT_EQ(Rows(), 100);

    std::vector<std::string> names;
    for (int n = 0; n < 100; ++n)
        names.push_back(ReadPatchName(device.instrument.Patch(n)));
    for (const wchar_t* search : {L"ORGAN", L"brass", L"i", L"no such patch"}) {
        Type(IDC_LIBRARY_SEARCH, search);
        const std::string needle = Lower(std::string(search, search + wcslen(search)));
        const auto expected = std::count_if(names.begin(), names.end(), [&](const std::string& name) {
            return Lower(name).find(needle) != std::string::npos;
        });
        EXPECT_EQ(Rows(), expected) << needle;
        for (const std::string& name : Names())
            EXPECT_NE(Lower(name).find(needle), std::string::npos) << name << " shown for " << needle;
    }
    Type(IDC_LIBRARY_SEARCH, L"");
    Type(IDC_LIBRARY_SLOT, L"0:07");
    EXPECT_EQ(Names(), std::vector<std::string>{names[7]}) << "what has been in 0:07";
    Type(IDC_LIBRARY_SLOT, L"");

    // A click on the Name column's header sorts by name; another turns the order round.
    HWND header = reinterpret_cast<HWND>(SendMessageW(app->libraryWindow->List(), LVM_GETHEADER, 0, 0));
    RECT column = {};
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&column));
    POINT middle = {(column.left + column.right) / 2, (column.top + column.bottom) / 2};
    ClientToScreen(header, &middle);
    std::vector<std::string> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    std::vector<std::string> chosenFirst;
    for (int click = 0; click < 2; ++click) {
        if (click == 1) {
            Select({0, 1});
            chosenFirst = {Cell(1, LibraryView::kName), Cell(0, LibraryView::kName)};
        }
        Sleep(GetDoubleClickTime() + 50); // two clicks, not a double click
        SetForegroundWindow(app->libraryWindow->hwnd());
        MovePointerTo(middle);
        PressLeftButton();
        ReleaseLeftButton();
        PumpUntil([&] { return Names().front() == (click == 0 ? sorted.front() : sorted.back()); }, 3000);
        EXPECT_EQ(Names().front(), click == 0 ? sorted.front() : sorted.back()) << "click " << click;
    }
    // The selection follows its patches to the far end, and nothing else is left marked.
    EXPECT_EQ(SelectedNames(), chosenFirst);
    EXPECT_TRUE(IsWindowVisible(app->libraryWindow->List()));

    // Space makes the selected patches favourites, and again not.
    Select({0, 1});
    const std::vector<std::string> chosen = {Cell(0, 0), Cell(1, 0)};
    Press(VK_SPACE);
    EXPECT_EQ(Number("SELECT count(*) FROM patches WHERE favourite = 1"), 2);
    Choose(IDC_LIBRARY_SHOW, 1); // Favourites
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, LibraryView::kFavourite), "*");
    Select({0, 1});
    Press(VK_SPACE);
    EXPECT_EQ(Number("SELECT count(*) FROM patches WHERE favourite = 1"), 0);
    Choose(IDC_LIBRARY_SHOW, 0);

    // Tags and notes through their dialog, found by the search.
    Select({2});
    const std::string tagged = Cell(2, 0);
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (HWND dialog = FindWindowW(L"#32770", L"Tags and Notes")) {
            KillTimer(nullptr, timer);
            SetDlgItemTextW(dialog, IDC_LIBRARY_TAGS, L"warm, Pad ,");
            SetDlgItemTextW(dialog, IDC_LIBRARY_NOTES, L"for the intro");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    Click(IDC_LIBRARY_EDIT_TAGS);
    Type(IDC_LIBRARY_SEARCH, L"INTRO");
    EXPECT_EQ(Names(), std::vector<std::string>{tagged});
    EXPECT_EQ(Cell(0, LibraryView::kTags), "Pad, warm");
    Type(IDC_LIBRARY_SEARCH, L"");

    // Shown on the panel as the base of an edit.
    Select({5});
    const std::string shown = Cell(5, 0);
    Click(IDC_LIBRARY_ON_PANEL);
    EXPECT_EQ(ReadPatchName(app->edit.BuildDump(0)), shown);

    // Auditioned: the panel shows it and plays it as control changes, nothing written.
    device.ClearReceived();
    Click(IDC_LIBRARY_AUDITION);
    EXPECT_EQ(std::count_if(device.Received().begin(), device.Received().end(),
                            [](const Bytes& message) { return message.size() == 3 && message[0] == 0xB0; }),
              54);
    EXPECT_EQ(std::count_if(device.Received().begin(), device.Received().end(), IsPatchDump), 0);

    // Exported through the save dialog: the selected patches in one file, as received.
    Select({0, 1, 2});
    const std::vector<std::string> exported = {Cell(0, 0), Cell(1, 0), Cell(2, 0)};
    AnswerNextFileDialog((folder / "export.syx").wstring());
    Click(IDC_LIBRARY_EXPORT);
    std::vector<std::string> read;
    for (const Bytes& dump : ReadPatchFile(folder.Read("export.syx")).dumps)
        read.push_back(ReadPatchName(dump));
    EXPECT_EQ(read, exported);

    // Removed after the question, with their sightings; No keeps them.
    Select({3, 4});
    AnswerDialogWith(IDNO);
    Press(VK_DELETE);
    EXPECT_EQ(Rows(), 100);
    AnswerDialogWith(IDYES);
    Press(VK_DELETE);
    EXPECT_EQ(Rows(), 98);
    EXPECT_EQ(Number("SELECT count(*) FROM patches"), 98);
    EXPECT_EQ(Number("SELECT count(*) FROM sightings WHERE patch NOT IN (SELECT id FROM patches)"), 0);

    // What the instrument sends while the window is open shows up in it.
    app->patchBank.slots.assign(PatchBank::kSlots, PatchSlot{});
    app->LoadBank(1);
    PumpMessages();
    EXPECT_EQ(Rows(), 198);
}

TEST_F(LibraryAppTest, AFileItCannotUseIsSaidOnceAndLeftAsItIsWhileTheProgramWorksOn) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"garbage", std::vector<uint8_t>(8192, 0x5A), "is damaged"},
        {"a newer schema", {}, "was made by a newer Tavren"},
    };
    for (const auto& c : cases) {
        const fs::path path = folder / (std::string(c.what) + ".sqlite3");
        if (c.bytes.empty()) {
            PatchLibrary newer;
            ASSERT_TRUE(newer.Open(path));
            newer.Close();
            LibraryFile(path).Number("PRAGMA user_version = 9");
        } else {
            folder.Write(path.filename().string(), c.bytes);
        }
        const std::vector<uint8_t> before = folder.Read(path.filename().string());
        SetEnvironmentVariableW(L"TAVREN_LIBRARY", path.wstring().c_str());
        app->library.Close();
        app->libraryTried = false;
        app->status.clear();
        app->patchBank.slots.assign(PatchBank::kSlots, PatchSlot{});
        Connect();
        app->LoadBank(0);
        EXPECT_TRUE(Loaded(0) && Loaded(99)) << c.what << ": the bank loads all the same";
        EXPECT_EQ(
            std::count_if(app->status.begin(), app->status.end(),
                          [&](const std::string& line) { return line.find(c.says) != std::string::npos; }),
            1)
            << c.what;
        SendMessageW(window, WM_COMMAND, IDM_LIBRARY, 0);
        EXPECT_EQ(Rows(), 0);
        EXPECT_NE(app->library.Error().find("Tavren works without it"), std::string::npos);
        EXPECT_EQ(folder.Read(path.filename().string()), before) << c.what;
    }
}

TEST_F(LibraryAppTest, AnImportTakesTheFolderAndCountsFilesThatAreNoPatchesAndCancelStopsIt) {
    fs::create_directories(folder / "syx" / "more");
    for (int i = 0; i < 300; ++i)
        folder.Write("syx/" + std::string(i % 2 ? "more/" : "") + "p" + std::to_string(i) + ".syx",
                     Renamed(device.instrument.Patch(i % 100), "Imported " + std::to_string(i)));
    folder.Write("syx/notes.syx", {'h', 'i'});
    ASSERT_TRUE(app->StartImport(folder / "syx"));
    EXPECT_NE(app->importProgress, nullptr) << "a progress bar while it runs";
    EXPECT_FALSE(app->StartImport(folder / "syx")) << "one at a time";
    EXPECT_TRUE(PumpUntil([&] { return app->folderImport == nullptr; }, 60000));
    EXPECT_EQ(app->status.back(), "Imported 301 files: 300 patches, 300 new; 1 file held no patch.");
    EXPECT_EQ(app->importProgress, nullptr);
    EXPECT_EQ(Number("SELECT count(*) FROM patches"), 300);

    // A slice with no time left still takes one file, so the cancel comes part-way however
    // fast this machine reads the folder.
    ASSERT_TRUE(app->StartImport(folder / "syx"));
    ASSERT_TRUE(app->folderImport->Step(app->library, std::chrono::milliseconds(0)));
    SendMessageW(window, WM_COMMAND, IDM_IMPORT_CANCEL, 0);
    EXPECT_EQ(app->folderImport, nullptr);
    EXPECT_EQ(app->status.back().rfind("Import cancelled after 1 of 301 files: ", 0), 0u)
        << app->status.back();
    EXPECT_LT(Number("SELECT count(*) FROM sightings"), 302);
    EXPECT_FALSE(app->StartImport(folder / "nothing here"));
    EXPECT_EQ(app->status.back(), "There is no folder nothing here: nothing was imported.");
}

// tavren.exe imports a folder through its menu and dialog and is killed part-way: the
// file opens, is whole, and every file's patches are in with their sightings or not at all.
TEST(LibraryProgramTest, AnImportKilledPartWayLeavesAWholeFileAndNoPatchHalfIn) {
    ScratchFolder folder{"tavren-library-killed"};
    fs::create_directories(folder / "syx");
    const std::vector<uint8_t> organ = FactoryBankDumps().front();
    constexpr int kFiles = 1500, kPerFile = 3;
    for (int i = 0; i < kFiles; ++i) {
        std::vector<uint8_t> data;
        for (int j = 0; j < kPerFile; ++j) {
            const std::vector<uint8_t> dump =
                Renamed(organ, "K" + std::to_string(i) + "-" + std::to_string(j));
            data.insert(data.end(), dump.begin(), dump.end());
        }
        folder.Write("syx/f" + std::to_string(i) + ".syx", data);
    }
    const fs::path file = folder / "library.sqlite3";
    const LibraryFile library(file);
    Program program(SW_SHOWNORMAL, {{L"TAVREN_LIBRARY", file.wstring()}});
    ASSERT_TRUE(program.started && program.window != nullptr);
    PostMessageW(program.window, WM_COMMAND, IDM_IMPORT_FOLDER, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            // Typed once the dialog is up and shown, as a person would.
            dialog = FindWindowW(L"#32770", L"Import Folder");
            wchar_t typed[MAX_PATH] = L"";
            if (dialog != nullptr && IsWindowVisible(dialog))
                SetDlgItemTextW(dialog, IDC_IMPORT_PATH, (folder / "syx").wstring().c_str());
            return dialog != nullptr && GetDlgItemTextW(dialog, IDC_IMPORT_PATH, typed, MAX_PATH) > 0;
        },
        10000));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return library.Number("SELECT count(*) FROM sightings") > 30; }, 30000))
        << "dialog " << IsWindow(dialog) << " file " << fs::exists(file) << " sightings "
        << library.Number("SELECT count(*) FROM sightings") << " patches "
        << library.Number("SELECT count(*) FROM patches");
    TerminateProcess(program.info.hProcess, 9);
    WaitForSingleObject(program.info.hProcess, 10000);

    EXPECT_EQ(library.Texts("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    const int64_t files = library.Number("SELECT count(DISTINCT place) FROM sightings");
    EXPECT_GT(files, 0);
    EXPECT_LT(files, kFiles) << "killed part-way";
    EXPECT_EQ(library.Number("SELECT count(*) FROM patches"), files * kPerFile);
    EXPECT_EQ(library.Number("SELECT count(*) FROM sightings"), files * kPerFile);
    EXPECT_EQ(library.Number("SELECT count(*) FROM patches WHERE id NOT IN (SELECT patch FROM sightings)"),
              0);
    EXPECT_EQ(library.Number(
                  "SELECT count(*) FROM (SELECT place FROM sightings GROUP BY place HAVING count(*) <> " +
                  std::to_string(kPerFile) + ")"),
              0)
        << "a file half in";
}

} // namespace
