// tavren.exe started as a process and watched from outside: its window, the registry,
// its update check, and in demo mode its list and what the simulated instrument received.
#include "engine/ParameterTable.h"
#include "midi/SimulatedPatches.h"
#include "resources/ResourceIds.h"
#include "tests/support/Pointer.h"
#include "tests/support/ProgramProcess.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\Quillmer\\Tavren";

void WriteDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

DWORD ReadDword(const wchar_t* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool HasLoaded(HANDLE process, const wchar_t* library) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes))
        return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        wchar_t name[MAX_PATH] = L"";
        if (GetModuleBaseNameW(process, modules[i], name, MAX_PATH) && _wcsicmp(name, library) == 0)
            return true;
    }
    return false;
}

// The start-up check asks the server once and tells in the status panel; the menu
// command tells in a message box as well.
TEST(Program, FirstRunChecksForUpdatesOpens800By600AndExitSavesEveryValue) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    TestHttpServer server;
    server.Serve({200, "<tavren><versions><current><build>9999</build></current></versions></tavren>"});
    Program program;
    ASSERT_NE(program.window, nullptr);
    EXPECT_NE(GetMenu(program.window), nullptr); // Wine does not read another process's menus
    // The libraries of the file dialogs, the browser and the update check, and all they
    // bring, are loaded when first called.
    for (const wchar_t* library : {L"comdlg32.dll", L"shell32.dll", L"wininet.dll", L"winspool.drv"})
        EXPECT_FALSE(HasLoaded(program.info.hProcess, library)) << library;
    RECT rect;
    GetWindowRect(program.window, &rect);
    EXPECT_EQ(rect.right - rect.left, 800);
    EXPECT_EQ(rect.bottom - rect.top, 600);
    PumpUntil([] { return false; }, 3000); // timer 3 fires after a second; a second check would show
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_TRUE(HasLoaded(program.info.hProcess, L"wininet.dll"));
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << "no message box";
    PostMessageW(program.window, WM_COMMAND, IDM_CHECK_UPDATES, 0);
    HWND box = nullptr;
    PumpUntil([&box] { return (box = FindWindowW(L"#32770", L"Update status")) != nullptr; }, 10000);
    ASSERT_NE(box, nullptr);
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512); // a message box's text
    EXPECT_STREQ(text, L"A new version is available. Please visit "
                       L"https://www.quillmer.example/tavren to get the latest version");
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    SetWindowPos(program.window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const HWND knob = Descendant(program.window, L"KNOB");
    RECT scaled = {}, natural = {};
    GetWindowRect(knob, &scaled);
    SendMessageW(program.window, WM_COMMAND, IDM_DYNAMIC_SCALING, 0);
    GetWindowRect(knob, &natural);
    EXPECT_NE(scaled.right - scaled.left, natural.right - natural.left) << "the panel's own size, at once";
    PostMessageW(program.window, WM_COMMAND, IDM_ROTARY_KNOBS, 0);
    ASSERT_EQ(program.Close(IDM_EXIT), 0u);
    std::wstring saved;
    for (const wchar_t* name :
         {L"InitX", L"InitY", L"InitW", L"InitH", L"CmdShow", L"KnobMode", L"DynamicScale", L"UpdateCheck",
          L"EchoMIDI", L"RolloverTooltips", L"ModifyValueTooltips", L"MidiChannel"})
        saved += std::wstring(name) + L"=" + std::to_wstring(ReadDword(name)) + L" ";
    EXPECT_EQ(saved, L"InitX=150 InitY=120 InitW=800 InitH=600 CmdShow=1 KnobMode=1 DynamicScale=0 "
                     L"UpdateCheck=1 EchoMIDI=0 RolloverTooltips=1 ModifyValueTooltips=1 MidiChannel=1 ");
    for (const wchar_t* name : {L"MIDIInDevice", L"MIDIOutDevice"}) {
        DWORD type = 0, bytes = 0;
        RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, nullptr, &bytes);
        EXPECT_EQ(type * 10 + bytes, REG_SZ * 10 + 2u)
            << name << ": the empty string and its terminating zero";
    }
}

TEST(Program, OpensAsItWasLeft) {
    const int offScreen = GetSystemMetrics(SM_CXVIRTUALSCREEN) + 4000;
    const struct {
        const char* what;
        int x, cmdShow, showCommand;
        LONG left, width, height; // -1: not checked
    } cases[] = {
        {"where it was", 120, SW_SHOWNORMAL, SW_SHOWNORMAL, 120, 900, 650},
        {"off every monitor", offScreen, SW_SHOWNORMAL, SW_SHOWNORMAL, -1, 1280, 800},
        {"maximized", 100, SW_SHOWMAXIMIZED, SW_SHOWNORMAL, -1, -1, -1},
        // Without a show command of its own the program is told SW_SHOWDEFAULT.
        {"maximized, from a command line", 100, SW_SHOWMAXIMIZED, Program::kFromCommandLine, -1, -1, -1},
        // SW_HIDE, say, from a hand-edited registry would leave no window to close.
        {"a show state it never writes", 100, SW_HIDE, SW_SHOWNORMAL, -1, 900, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        const bool large = c.x != offScreen, maximized = c.cmdShow == SW_SHOWMAXIMIZED;
        for (auto [name, value] : {std::pair{L"InitX", c.x},
                                   {L"InitY", 90},
                                   {L"InitW", large ? 900 : 640},
                                   {L"InitH", large ? 650 : 480},
                                   {L"CmdShow", c.cmdShow}})
            WriteDword(name, static_cast<DWORD>(value));
        Program program(c.showCommand);
        ASSERT_NE(program.window, nullptr);
        EXPECT_EQ(IsZoomed(program.window) != FALSE, maximized);
        RECT r;
        GetWindowRect(program.window, &r);
        EXPECT_LT(r.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_TRUE((c.left < 0 || r.left == c.left) && (c.width < 0 || r.right - r.left == c.width) &&
                    (c.height < 0 || r.bottom - r.top == c.height))
            << r.left << " " << r.right - r.left << "x" << r.bottom - r.top;
        program.Close();
        if (maximized) { // it stays maximized, with the size it has when restored
            EXPECT_EQ(ReadDword(L"CmdShow"), DWORD(SW_SHOWMAXIMIZED));
            EXPECT_EQ(ReadDword(L"InitW"), 900u);
        }
    }
}

TEST(DemoProgram, StartsWithTheInstrumentsBankAndSendsWhatTheUserDoes) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey); // no port remembered: the demo ports are taken
    WriteDword(L"UpdateCheck", 0);
    TestHttpServer server; // which the update check, switched off, never asks
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring log = std::wstring(folder) + L"tavren-demo-test.log";
    DeleteFileW(log.c_str());
    Program program(SW_SHOWNORMAL,
                    {{L"TAVREN_DEMO", L"1"}, {L"TAVREN_DEMO_PATCH", L"123"}, {L"TAVREN_DEMO_LOG", log}});
    const HWND list = Descendant(program.window, L"LISTBOX");
    ASSERT_NE(list, nullptr);
    const auto row = [list](int index) { return ListRow(list, index); };

    EXPECT_TRUE(PumpUntil([&] { return row(99) == "99 : " + GeneratedPatchName(199); }, 20000));
    EXPECT_EQ(row(5), "05 : " + GeneratedPatchName(105));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 23);
    std::vector<std::string> received = LogLines(log);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0], "F0 00 20 32 00 01 24 00 77 7E 03 F7");
    EXPECT_EQ(received[1], "F0 00 20 32 00 01 24 00 77 7B 00 F7");

    const int shown = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)) + 2;
    RECT rect;
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    DoubleClickAt(point);
    PumpUntil([&] { return LogLines(log).back() == "B0 00 01"; }, 3000);
    received = LogLines(log);
    char programChange[8];
    std::snprintf(programChange, sizeof(programChange), "C0 %02X", shown);
    EXPECT_EQ(std::vector<std::string>(received.end() - 2, received.end()),
              (std::vector<std::string>{programChange, "B0 00 01"}));

    const POINT centre = CentreOf(Descendant(program.window, L"KNOB"));
    MovePointerTo(centre);
    PressLeftButton();
    MovePointerTo(POINT{centre.x, centre.y - 40});
    ReleaseLeftButton();
    PumpUntil([&] { return LogLines(log).back().rfind("B0 ", 0) == 0; }, 3000);
    const std::string edit = LogLines(log).back();
    ASSERT_EQ(edit.size(), 8u) << edit;
    const ParameterRow* knob = FindParameterRow(std::stoi(edit.substr(3, 2), nullptr, 16));
    ASSERT_NE(knob, nullptr) << edit;
    EXPECT_EQ(knob->kind, ControlKind::Knob);
    EXPECT_GT(std::stoi(edit.substr(6, 2), nullptr, 16), 0);

    EXPECT_EQ(program.Close(), 0u);
    EXPECT_EQ(server.Requests(), 0);
    for (const wchar_t* name : {L"MIDIInDevice", L"MIDIOutDevice"}) {
        wchar_t text[64] = L"";
        DWORD size = sizeof(text);
        RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
        EXPECT_STREQ(text, L"Tavren Demo Pro~800");
    }
    DeleteFileW(log.c_str());
}

} // namespace

namespace {

// The demo instrument switched on after the start, unplugged and plugged in again
// through TAVREN_DEMO_PLUG, as the system announces it: found, left alone while gone,
// and identified again when it is back.
TEST(DemoProgram, AnInstrumentPluggedInLaterIsFoundAndOneUnpluggedLeftAlone) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    WriteDword(L"UpdateCheck", 0);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring log = std::wstring(folder) + L"tavren-plug-test.log";
    const std::wstring plug = std::wstring(folder) + L"tavren-plug-test.txt";
    const auto setPlug = [&plug](const char* word) {
        std::ofstream(std::string(plug.begin(), plug.end())) << word;
    };
    DeleteFileW(log.c_str());
    setPlug("0\n");
    Program program(SW_SHOWNORMAL, {{L"TAVREN_DEMO", L"1"},
                                    {L"TAVREN_DEMO_PATCH", L"123"},
                                    {L"TAVREN_DEMO_LOG", log},
                                    {L"TAVREN_DEMO_PLUG", plug}});
    const HWND list = Descendant(program.window, L"LISTBOX");
    ASSERT_NE(list, nullptr);
    PumpUntil([] { return false; }, 500);
    EXPECT_TRUE(LogLines(log).empty()) << "nothing reaches an instrument that is not there";
    setPlug("1");
    EXPECT_TRUE(PumpUntil([&] { return ListRow(list, 99) == "99 : " + GeneratedPatchName(199); }, 15000))
        << ListRow(list, 99);
    const std::size_t before = LogLines(log).size();
    EXPECT_EQ(LogLines(log).at(0), "F0 00 20 32 00 01 24 00 77 7E 03 F7");

    setPlug("0");
    PumpUntil([] { return false; }, 600);
    const POINT centre = CentreOf(Descendant(program.window, L"KNOB"));
    MovePointerTo(centre);
    PressLeftButton();
    MovePointerTo(POINT{centre.x, centre.y - 30});
    ReleaseLeftButton();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(LogLines(log).size(), before) << "an edit is not sent to an instrument that is gone";
    setPlug("1");
    EXPECT_TRUE(PumpUntil(
        [&] {
            const std::vector<std::string> lines = LogLines(log);
            return lines.size() > before && lines[before] == "F0 00 20 32 00 01 24 00 77 7E 03 F7";
        },
        5000))
        << "identified again when it is back";
    EXPECT_EQ(program.Close(), 0u);
    DeleteFileW(log.c_str());
    DeleteFileW(plug.c_str());
}

} // namespace
