// Start tavren.exe itself, as a user would, and look at its window and at what it
// leaves in the registry.
#include "resources/ResourceIds.h"
#include "tests/app/UpdateServer.h"
#include "tests/support/TavrenProcess.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\Quillmer\\Tavren";

// tavren.exe from the folder it is built in.
class Program : public TavrenProcess {
  public:
    explicit Program(int showCommand = SW_SHOWNORMAL) : TavrenProcess(TAVREN_EXE_NAME, showCommand) {}
};

void WriteDword(const wchar_t* name, DWORD value) {
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

// A fresh key holding only the placement a previous run would have left.
void StoreOnlyPlacement(int x, int y, int width, int height, int cmdShow = SW_SHOWNORMAL) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    WriteDword(L"InitX", static_cast<DWORD>(x));
    WriteDword(L"InitY", static_cast<DWORD>(y));
    WriteDword(L"InitW", static_cast<DWORD>(width));
    WriteDword(L"InitH", static_cast<DWORD>(height));
    WriteDword(L"CmdShow", static_cast<DWORD>(cmdShow));
}

bool ReadDword(const wchar_t* name, DWORD& value) {
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search = {processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && IsWindowVisible(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(Program, FirstRunOpens800By600AndLeavesAllThirteenValues) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    Program program;
    ASSERT_TRUE(program.started);
    ASSERT_NE(program.window, nullptr);
    EXPECT_EQ(TopLevelWindows(program.info.dwProcessId), std::vector<HWND>{program.window});
    // It has the class's menu bar; its items are checked in the main window tests, as
    // Wine does not read another process's menus.
    EXPECT_NE(GetMenu(program.window), nullptr);
    RECT rect;
    GetWindowRect(program.window, &rect);
    EXPECT_EQ(rect.right - rect.left, 800);
    EXPECT_EQ(rect.bottom - rect.top, 600);
    EXPECT_EQ(program.Close(), 0u);

    struct Expected {
        const wchar_t* name;
        DWORD value;
    };
    const Expected dwords[] = {{L"InitW", 800},      {L"InitH", 600},          {L"KnobMode", 0},
                               {L"DynamicScale", 1}, {L"CmdShow", 1},          {L"UpdateCheck", 1},
                               {L"EchoMIDI", 0},     {L"RolloverTooltips", 1}, {L"ModifyValueTooltips", 1}};
    for (const Expected& e : dwords) {
        DWORD value = 0xDEADBEEF;
        EXPECT_TRUE(ReadDword(e.name, value)) << e.name;
        EXPECT_EQ(value, e.value) << e.name;
    }
    // The system chose the position; the program remembers where the window was.
    DWORD x = 0, y = 0;
    EXPECT_TRUE(ReadDword(L"InitX", x));
    EXPECT_TRUE(ReadDword(L"InitY", y));
    EXPECT_EQ(static_cast<LONG>(x), rect.left);
    EXPECT_EQ(static_cast<LONG>(y), rect.top);
    for (const wchar_t* name : {L"MIDIInDevice", L"MIDIOutDevice"}) {
        DWORD type = 0, bytes = 0;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, nullptr, &bytes),
                  ERROR_SUCCESS)
            << name;
        EXPECT_EQ(type, DWORD(REG_SZ));
        EXPECT_EQ(bytes, 2u); // the empty string and its terminating zero
    }
}

TEST(Program, OpensAsItWasLeft) {
    const int offScreen = GetSystemMetrics(SM_CXVIRTUALSCREEN) + 4000;
    const struct {
        const char* what;
        int x, cmdShow, showCommand;
        bool maximized;
        LONG left, width, height; // -1: not checked
    } cases[] = {
        {"where it was", 120, SW_SHOWNORMAL, SW_SHOWNORMAL, false, 120, 900, 650},
        {"off every monitor", offScreen, SW_SHOWNORMAL, SW_SHOWNORMAL, false, -1, 1280, 800},
        {"maximized", 100, 3, SW_SHOWNORMAL, true, -1, -1, -1},
        // Without a show command of its own the program is told SW_SHOWDEFAULT.
        {"maximized, from a command line", 100, 3, TavrenProcess::kFromCommandLine, true, -1, -1, -1},
        // SW_HIDE, say, from a hand-edited registry would leave no window to close.
        {"a show state it never writes", 100, SW_HIDE, SW_SHOWNORMAL, false, -1, 900, -1},
    };
    for (const auto& c : cases) {
        StoreOnlyPlacement(c.x, 90, c.x == offScreen ? 640 : 900, c.x == offScreen ? 480 : 650, c.cmdShow);
        Program program(c.showCommand);
        ASSERT_NE(program.window, nullptr) << c.what;
        EXPECT_EQ(IsZoomed(program.window) != FALSE, c.maximized) << c.what;
        RECT rect;
        GetWindowRect(program.window, &rect);
        EXPECT_LT(rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN)) << c.what;
        EXPECT_TRUE(c.left < 0 || rect.left == c.left) << c.what << ": left " << rect.left;
        EXPECT_TRUE(c.width < 0 || rect.right - rect.left == c.width)
            << c.what << ": width " << rect.right - rect.left;
        EXPECT_TRUE(c.height < 0 || rect.bottom - rect.top == c.height)
            << c.what << ": height " << rect.bottom - rect.top;
        program.Close();
        DWORD cmdShow = 0, width = 0;
        if (c.maximized) {
            EXPECT_TRUE(ReadDword(L"CmdShow", cmdShow) && ReadDword(L"InitW", width)) << c.what;
            EXPECT_EQ(cmdShow, 3u) << c.what << ": it stays maximized";
            EXPECT_EQ(width, 900u) << c.what;
        }
    }
}

TEST(Program, ChecksForUpdatesOnceAfterStartingWithoutAMessageBoxUnlessSwitchedOff) {
    for (DWORD updateCheck : {1, 0}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        WriteDword(L"UpdateCheck", updateCheck);
        UpdateServer server;
        server.Serve({200, "<tavren><versions><current><build>9999</build></current></versions></tavren>"});
        Program program;
        ASSERT_NE(program.window, nullptr);
        // Timer 3 fires a second after start-up; two more let a second check show itself.
        PumpUntil([] { return false; }, 3000);
        EXPECT_EQ(server.Requests(), static_cast<int>(updateCheck)) << updateCheck;
        EXPECT_EQ(TopLevelWindows(program.info.dwProcessId), std::vector<HWND>{program.window})
            << "the new version is told in the status panel only";
        EXPECT_EQ(program.Close(), 0u);
    }
}

TEST(Program, ExitClosesItAndSavesWhatTheRunChanged) {
    StoreOnlyPlacement(100, 100, 900, 650);
    Program program;
    ASSERT_NE(program.window, nullptr);
    SetWindowPos(program.window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (WPARAM command : {IDM_ROTARY_KNOBS, IDM_DYNAMIC_SCALING, IDM_EXIT})
        PostMessageW(program.window, WM_COMMAND, command, 0);
    DWORD exitCode = STILL_ACTIVE;
    ASSERT_EQ(WaitForSingleObject(program.info.hProcess, 15000), WAIT_OBJECT_0);
    GetExitCodeProcess(program.info.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const struct {
        const wchar_t* name;
        DWORD value;
    } saved[] = {{L"InitX", 150}, {L"InitY", 120}, {L"InitW", 900}, {L"KnobMode", 1}, {L"DynamicScale", 0}};
    for (const auto& e : saved) {
        DWORD value = 0xDEADBEEF;
        EXPECT_TRUE(ReadDword(e.name, value)) << e.name;
        EXPECT_EQ(value, e.value) << e.name;
    }
}

} // namespace
