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

TEST_F(MainWindowTest, HasTheTitleMenusIconsAndFonts) {
    Open();
    wchar_t text[100];
    GetWindowTextW(window, text, 100);
    EXPECT_STREQ(text, L"Tavren");
    EXPECT_EQ(app->GetHwnd(), window);
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    // Item texts, shortcuts after a tab; an empty text for a separator.
    const struct {
        UINT menu, position;
        const wchar_t* text;
        UINT command;
    } items[] = {
        {0, 0, L"&Open Patch File...\tCtrl+O", IDM_OPEN_PATCH_FILE},
        {0, 1, L"&Save Bank As...\tCtrl+S", IDM_SAVE_BANK},
        {0, 2, L"Save &All Patches As...", IDM_SAVE_ALL},
        {0, 3, L"", 0},
        {0, 4, L"E&xit", IDM_EXIT},
        {1, 0, L"&Reinitialize MIDI", IDM_REINIT_MIDI},
        {2, 0, L"&Audition On Instrument\tCtrl+Enter", IDM_AUDITION},
        {2, 1, L"", 0},
        {2, 2, L"&Write To Instrument...", IDM_WRITE_PATCH},
        {2, 3, L"Write &File To Instrument...", IDM_WRITE_FILE},
        {3, 0, L"&Rotary Knob Control", IDM_ROTARY_KNOBS},
        {3, 1, L"&Dynamic Screen Scaling", IDM_DYNAMIC_SCALING},
        {4, 0, L"&Check For Updates", IDM_CHECK_UPDATES},
        {4, 2, L"More Info ...", IDM_MORE_INFO},
        {4, 3, L"&About ...", IDM_ABOUT},
    };
    const int counts[] = {5, 4, 4, -1, 4}; // items in each menu; Settings is not checked
    for (int menu = 0; menu < 5; ++menu)
        EXPECT_TRUE(counts[menu] < 0 || GetMenuItemCount(GetSubMenu(bar, menu)) == counts[menu]) << menu;
    for (const auto& item : items) {
        HMENU menu = GetSubMenu(bar, static_cast<int>(item.menu));
        EXPECT_EQ(MenuText(menu, item.position), item.text);
        EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(item.position)), item.command) << item.text;
    }
    // The two device menus land after the separator, input first.
    HMENU midi = GetSubMenu(bar, 1);
    EXPECT_EQ(GetSubMenu(midi, 2), app->inputDeviceMenu);
    EXPECT_EQ(GetSubMenu(midi, 3), app->outputDeviceMenu);

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
}

TEST_F(MainWindowTest, MovingAndResizingStoreThePlacementMaximizingAndMinimizingKeepIt) {
    Open();
    MoveWindow(window, 30, 40, 820, 610, TRUE);
    PumpMessages();
    Settings& settings = GetSettings();
    RECT normal;
    GetWindowRect(window, &normal);
    for (int show : {SW_SHOWNORMAL, SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE}) {
        ShowWindow(window, show);
        PumpMessages();
        EXPECT_EQ(settings.CmdShow, show == SW_MAXIMIZE ? 3 : 1) << show;
        EXPECT_EQ(settings.InitX, normal.left) << show;
        EXPECT_EQ(settings.InitY, normal.top) << show;
        EXPECT_EQ(settings.InitW, 820) << show;
        EXPECT_EQ(settings.InitH, 610) << show;
    }
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

TEST_F(MainWindowTest, StatusLinesAreWidenedSignedAndWithoutMidiTheDeviceCheckSaysSo) {
    Open();
    app->ShowStatus("Caf\xE9");
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(std::u16string{u'C', u'a', u'f', char16_t(0xFFE9)}));
    EXPECT_FALSE(app->CheckDevice(false));
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(u"Error: MIDI Device not responding"));
}

} // namespace
