#include "app/App.h"
#include "app/Settings.h"
#include "controls/SimplePanel.h"
#include "resources/ResourceIds.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

bool IsChecked(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(MainWindowTest, HasTheTitleClassAndMenuBar) {
    Open();
    wchar_t text[100];
    GetWindowTextW(window, text, 100);
    EXPECT_STREQ(text, L"Tavren");
    GetClassNameW(window, text, 100);
    EXPECT_STREQ(text, L"TEMPLATE");
    EXPECT_EQ(app->GetHwnd(), window);

    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(MenuText(bar, 0), L"&File");
    EXPECT_EQ(MenuText(bar, 1), L"&MIDI");
    EXPECT_EQ(MenuText(bar, 2), L"&Patch");
    EXPECT_EQ(MenuText(bar, 3), L"&Settings");
    EXPECT_EQ(MenuText(bar, 4), L"&Help");

    // Item texts, shortcuts after a tab; 0 for a separator.
    const struct {
        int menu;
        std::vector<std::pair<std::wstring, UINT>> items;
    } menus[] = {
        {0,
         {{L"&Open Patch File...\tCtrl+O", IDM_OPEN_PATCH_FILE},
          {L"&Save Bank As...\tCtrl+S", IDM_SAVE_BANK},
          {L"Save &All Patches As...", IDM_SAVE_ALL},
          {L"", 0},
          {L"E&xit", IDM_EXIT}}},
        {2,
         {{L"&Audition On Instrument\tCtrl+Enter", IDM_AUDITION},
          {L"", 0},
          {L"&Write To Instrument...", IDM_WRITE_PATCH},
          {L"Write &File To Instrument...", IDM_WRITE_FILE}}},
    };
    for (const auto& m : menus) {
        HMENU menu = GetSubMenu(bar, m.menu);
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(m.items.size()));
        for (size_t i = 0; i < m.items.size(); ++i) {
            EXPECT_EQ(MenuText(menu, static_cast<int>(i)), m.items[i].first);
            EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), m.items[i].second);
        }
    }

    // The two device menus land after the separator, input first.
    HMENU midi = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(midi), 4);
    EXPECT_EQ(MenuText(midi, 0), L"&Reinitialize MIDI");
    EXPECT_EQ(GetMenuItemID(midi, 0), UINT(IDM_REINIT_MIDI));
    EXPECT_EQ(GetMenuState(midi, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(MenuText(midi, 2), L"MIDI &Input Device");
    EXPECT_EQ(GetSubMenu(midi, 2), app->inputDeviceMenu);
    EXPECT_EQ(MenuText(midi, 3), L"MIDI &Output Device");
    EXPECT_EQ(GetSubMenu(midi, 3), app->outputDeviceMenu);

    HMENU options = GetSubMenu(bar, 3);
    EXPECT_EQ(MenuText(options, 0), L"&Rotary Knob Control");
    EXPECT_EQ(GetMenuItemID(options, 0), UINT(IDM_ROTARY_KNOBS));
    EXPECT_EQ(MenuText(options, 1), L"&Dynamic Screen Scaling");
    EXPECT_EQ(GetMenuItemID(options, 1), UINT(IDM_DYNAMIC_SCALING));

    HMENU help = GetSubMenu(bar, 4);
    ASSERT_EQ(GetMenuItemCount(help), 4);
    EXPECT_EQ(MenuText(help, 0), L"&Check For Updates");
    EXPECT_EQ(GetMenuItemID(help, 0), UINT(IDM_CHECK_UPDATES));
    EXPECT_EQ(MenuText(help, 2), L"More Info ...");
    EXPECT_EQ(GetMenuItemID(help, 2), UINT(IDM_MORE_INFO));
    EXPECT_EQ(MenuText(help, 3), L"&About ...");
    EXPECT_EQ(GetMenuItemID(help, 3), UINT(IDM_ABOUT));
}

TEST_F(MainWindowTest, ClassAndFontsAreAsTheProgramRegistersThem) {
    Open();
    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), ULONG_PTR(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)),
              GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
              LoadCursorW(nullptr, IDC_ARROW));
    // The large icon is the program's icon group 107, the small one group 108.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)),
              LoadIconW(instance, MAKEINTRESOURCEW(IDI_TAVREN)));
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)),
              LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL)));

    const std::pair<HFONT, LONG> fonts[] = {
        {app->GetSmallFont(), 14}, {app->GetMediumFont(), 18}, {app->GetLargeFont(), 22}};
    for (const auto& [font, height] : fonts) {
        LOGFONTW lf = {};
        ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), int(sizeof(lf))) << height;
        EXPECT_EQ(lf.lfHeight, height);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfWeight, 300);
        EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
        EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH);
        EXPECT_STREQ(lf.lfFaceName, L"Arial");
    }
}

TEST_F(MainWindowTest, OptionChecksFollowTheSettings) {
    GetSettings().KnobMode = 1;
    GetSettings().DynamicScale = 0;
    Open();
    EXPECT_TRUE(IsChecked(app->mainMenu, IDM_ROTARY_KNOBS));
    EXPECT_FALSE(IsChecked(app->mainMenu, IDM_DYNAMIC_SCALING));
    GetSettings().KnobMode = 0;
    GetSettings().DynamicScale = 1;
    SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
    EXPECT_FALSE(IsChecked(app->mainMenu, IDM_ROTARY_KNOBS));
    EXPECT_TRUE(IsChecked(app->mainMenu, IDM_DYNAMIC_SCALING));
}

TEST_F(MainWindowTest, PanelsFillTheClientAreaWithRow25Between) {
    Open();
    MoveWindow(window, 50, 60, 1000, 700, TRUE);
    PumpMessages();
    RECT client;
    GetClientRect(window, &client);
    RECT bar, editor;
    GetWindowRect(app->topBar->hwnd, &bar);
    GetWindowRect(app->editorPanel->hwnd, &editor);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&editor), 2);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.right, client.right);
    EXPECT_EQ(bar.bottom, 25);
    EXPECT_EQ(editor.left, 0);
    EXPECT_EQ(editor.top, 26);
    EXPECT_EQ(editor.right, client.right);
    EXPECT_EQ(editor.bottom, client.bottom);
    EXPECT_EQ(app->patchBank.slots.size(), 400u);
    EXPECT_EQ(app->GetPatchBank(), &app->patchBank);
    EXPECT_EQ(app->patchBank.bank, -1);
    EXPECT_EQ(app->patchBank.program, -1);
}

TEST_F(MainWindowTest, MovingAndResizingStoreThePlacement) {
    Open();
    MoveWindow(window, 70, 80, 900, 650, TRUE);
    PumpMessages();
    Settings& settings = GetSettings();
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(settings.InitX, rect.left);
    EXPECT_EQ(settings.InitY, rect.top);
    EXPECT_EQ(settings.InitW, 900);
    EXPECT_EQ(settings.InitH, 650);
    EXPECT_EQ(settings.CmdShow, 1);
}

TEST_F(MainWindowTest, MaximizingAndMinimizingKeepTheLastNormalPlacement) {
    Open();
    MoveWindow(window, 30, 40, 820, 610, TRUE);
    PumpMessages();
    Settings& settings = GetSettings();
    RECT normal;
    GetWindowRect(window, &normal);

    ShowWindow(window, SW_MAXIMIZE);
    PumpMessages();
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(settings.CmdShow, 3);
    EXPECT_EQ(settings.InitX, normal.left);
    EXPECT_EQ(settings.InitY, normal.top);
    EXPECT_EQ(settings.InitW, 820);
    EXPECT_EQ(settings.InitH, 610);

    ShowWindow(window, SW_RESTORE);
    PumpMessages();
    EXPECT_EQ(settings.CmdShow, 1);
    ShowWindow(window, SW_MINIMIZE);
    PumpMessages();
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(settings.CmdShow, 1);
    EXPECT_EQ(settings.InitX, normal.left);
    EXPECT_EQ(settings.InitY, normal.top);
    EXPECT_EQ(settings.InitW, 820);
    EXPECT_EQ(settings.InitH, 610);
}

TEST_F(MainWindowTest, SizingStateFollowsMovesAndResizes) {
    Open();
    SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_EQ(app->sizingState, kSizingEntered);
    SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(app->sizingState, kSizingIdle); // a pure move never resizes

    SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(window, nullptr, 0, 0, 850, 620, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(app->sizingState, kSizingResizing);
    SetWindowPos(window, nullptr, 0, 0, 860, 630, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(app->sizingState, kSizingResizing);
    SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(app->sizingState, kSizingIdle);
}

// Closes the About box as soon as it appears and counts it.
int gAboutBoxesSeen = 0;
HWND gWindowToClose = nullptr;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowW(L"#32770", L"About Tavren");
    if (about != nullptr) {
        wchar_t text[512] = L"";
        GetDlgItemTextW(about, IDC_ABOUT_TEXT, text, 512);
        if (std::wstring(text).find(L"Please back up all patches before using this program") !=
            std::wstring::npos)
            ++gAboutBoxesSeen;
        SendMessageW(about, WM_COMMAND, IDOK, 0);
    }
}

void CALLBACK CloseMainWindow(HWND, UINT, UINT_PTR, DWORD) {
    if (gWindowToClose != nullptr && FindWindowW(L"#32770", L"About Tavren") == nullptr) {
        DestroyWindow(gWindowToClose);
        gWindowToClose = nullptr;
    }
}

// Types a key on the keyboard, with the given modifiers held, as real input.
void Type(WORD key, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD vk, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers)
        add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Types the keys with the main window in front and runs the program's message loop
// until the About box has come and gone; answers how many About boxes were seen.
// `focus` is the window that has the keyboard focus: the main window or one of its children.
int AboutBoxesAfterTyping(HWND window, WORD key, std::initializer_list<WORD> modifiers,
                          HWND focus = nullptr) {
    gAboutBoxesSeen = 0;
    gWindowToClose = window;
    SetForegroundWindow(window);
    SetFocus(focus != nullptr ? focus : window);
    PumpMessages();
    Type(key, modifiers);
    UINT_PTR closer = SetTimer(nullptr, 0, 50, CloseAboutBox);
    UINT_PTR ender = SetTimer(nullptr, 0, 600, CloseMainWindow);
    RunMessageLoop(GetModuleHandleW(nullptr));
    KillTimer(nullptr, closer);
    KillTimer(nullptr, ender);
    return gAboutBoxesSeen;
}

TEST_F(MainWindowTest, AltQuestionMarkAndAltSlashOpenTheAboutBox) {
    // "?" is Shift+/ on the keyboard; the accelerators match the character with Alt held.
    Open();
    EXPECT_EQ(AboutBoxesAfterTyping(window, VK_OEM_2, {VK_MENU, VK_SHIFT}), 1) << "Alt+?";
    Open();
    EXPECT_EQ(AboutBoxesAfterTyping(window, VK_OEM_2, {VK_MENU}), 1) << "Alt+/";
    // Without Alt the same keys are plain typing.
    Open();
    EXPECT_EQ(AboutBoxesAfterTyping(window, VK_OEM_2, {VK_SHIFT}), 0) << "?";
    // With the focus in a list box (as the patch list will be) the shortcut still works.
    Open();
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE, 10, 40, 200, 200, window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(AboutBoxesAfterTyping(window, VK_OEM_2, {VK_MENU}, list), 1) << "list box";
    window = nullptr;
}

TEST(Accelerators, AreAltWithTheCharactersQuestionMarkAndSlashForAboutAndTheLibrarianKeys) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TAVREN));
    ASSERT_NE(table, nullptr);
    // About: character accelerators, Alt only, no FVIRTKEY, so they match the typed
    // character. The librarian's: Ctrl with a key.
    const ACCEL expected[] = {
        {FALT, '?', IDM_ABOUT},
        {FALT, '/', IDM_ABOUT},
        {FVIRTKEY | FCONTROL, 'O', IDM_OPEN_PATCH_FILE},
        {FVIRTKEY | FCONTROL, 'S', IDM_SAVE_BANK},
        {FVIRTKEY | FCONTROL, VK_RETURN, IDM_AUDITION},
    };
    ACCEL entries[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 8), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].fVirt, expected[i].fVirt) << i;
        EXPECT_EQ(entries[i].key, expected[i].key) << i;
        EXPECT_EQ(entries[i].cmd, expected[i].cmd) << i;
    }
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndEndsTheLoop) {
    Open();
    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(RunMessageLoop(GetModuleHandleW(nullptr)), 0);
    EXPECT_FALSE(IsWindow(window));
    window = nullptr;
}

TEST_F(MainWindowTest, ShowStatusDropsRepeatsAndWidensSigned) {
    Open();
    StatusFilter& filter = TheStatusFilter();
    app->ShowStatus("Checking for updates...");
    uint32_t first = filter.LastCrc();
    EXPECT_EQ(first, StatusTextCrc(u"Checking for updates..."));
    app->ShowStatus("Checking for updates...");
    EXPECT_EQ(filter.LastCrc(), first);
    app->ShowStatus("Caf\xE9");
    EXPECT_EQ(filter.LastCrc(), StatusTextCrc(std::u16string{u'C', u'a', u'f', char16_t(0xFFE9)}));
}

TEST_F(MainWindowTest, WithoutMidiTheDeviceCheckSaysSo) {
    Open();
    EXPECT_FALSE(app->CheckDevice(false));
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(u"Error: MIDI Device not responding"));
}

} // namespace
