// tavren.exe in demo mode, watched from outside: what its list shows, and what the
// simulated instrument received, as its log tells.
#include "engine/ParameterTable.h"
#include "midi/SimulatedPatches.h"
#include "tests/support/Pointer.h"
#include "tests/support/TavrenProcess.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\Quillmer\\Tavren";

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = L"";
            GetClassNameW(child, name, 64);
            if (_wcsicmp(name, s->className) == 0)
                s->found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string RowText(HWND list, int row) {
    wchar_t text[128] = L"";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    return std::string(text, text + wcslen(text));
}

std::string ExpectedRow(int patch) {
    char number[8];
    std::snprintf(number, sizeof(number), "%02d : ", patch % 100);
    return number + GeneratedPatchName(patch);
}

std::vector<std::string> LogLines(const std::wstring& path) {
    std::ifstream in(std::string(path.begin(), path.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::wstring StoredText(const wchar_t* name) {
    wchar_t text[256] = L"";
    DWORD size = sizeof(text);
    RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

TEST(DemoProgram, StartsWithTheInstrumentsBankAndSendsWhatTheUserDoes) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey); // no port remembered: the demo ports are taken
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring log = std::wstring(folder) + L"tavren-demo-test.log";
    DeleteFileW(log.c_str());

    TavrenProcess program(
        TAVREN_EXE_NAME, SW_SHOWNORMAL,
        {{L"TAVREN_DEMO", L"1"}, {L"TAVREN_DEMO_PATCH", L"123"}, {L"TAVREN_DEMO_LOG", log}});
    ASSERT_NE(program.window, nullptr);
    const std::vector<HWND> lists = ChildrenOfClass(program.window, L"LISTBOX");
    ASSERT_EQ(lists.size(), 1u);
    const HWND list = lists[0];

    // Recognized, patch 123 selected, its bank loaded: every row named.
    EXPECT_TRUE(PumpUntil([&] { return RowText(list, 99) == ExpectedRow(199); }, 20000));
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(RowText(list, row), ExpectedRow(100 + row));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 23);
    std::vector<std::string> received = LogLines(log);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0], "F0 00 20 32 00 01 24 00 77 7E 03 F7");
    EXPECT_EQ(received[1], "F0 00 20 32 00 01 24 00 77 7B 00 F7");

    // A double click on a row switches the instrument to that patch of bank 1.
    const int shown = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)) + 2;
    RECT row;
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&row));
    POINT point = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(list, &point);
    DoubleClickAt(point);
    PumpUntil([&] { return LogLines(log).back() == "B0 00 01"; }, 3000);
    received = LogLines(log);
    ASSERT_GE(received.size(), 2u);
    char programChange[8];
    std::snprintf(programChange, sizeof(programChange), "C0 %02X", shown);
    EXPECT_EQ(received[received.size() - 2], programChange);
    EXPECT_EQ(received.back(), "B0 00 01");

    // A knob dragged upwards sends its controller number and a new value.
    const std::vector<HWND> knobs = ChildrenOfClass(program.window, L"KNOB");
    ASSERT_FALSE(knobs.empty());
    const POINT centre = CentreOf(knobs[0]);
    MovePointerTo(centre);
    PressLeftButton();
    MovePointerTo(POINT{centre.x, centre.y - 40});
    ReleaseLeftButton();
    PumpUntil([&] { return LogLines(log).back().rfind("B0 ", 0) == 0; }, 3000);
    const std::string edit = LogLines(log).back();
    ASSERT_EQ(edit.size(), 8u) << edit;
    const int id = std::stoi(edit.substr(3, 2), nullptr, 16);
    const int value = std::stoi(edit.substr(6, 2), nullptr, 16);
    ASSERT_NE(FindParameterRow(id), nullptr) << edit;
    EXPECT_EQ(FindParameterRow(id)->kind, ControlKind::Knob);
    EXPECT_GT(value, 0);

    EXPECT_EQ(program.Close(), 0u);
    EXPECT_EQ(StoredText(L"MIDIInDevice"), L"Tavren Demo Pro~800");
    EXPECT_EQ(StoredText(L"MIDIOutDevice"), L"Tavren Demo Pro~800");
    DeleteFileW(log.c_str());
}

} // namespace
