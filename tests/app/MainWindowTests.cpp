// The main window with the whole front panel in it, on real windows under Wine: menus,
// placement, shortcuts and the About box, control changes, patch dumps, the patch list,
// scaling, panning, real frame drags and what the screen shows.
#include "app/AboutBox.h"
#include "app/Settings.h"
#include "app/Version.h"
#include "controls/Knob.h"
#include "controls/KnobMath.h"
#include "controls/Listbox.h"
#include "controls/MainPanel.h"
#include "controls/SimplePanel.h"
#include "controls/StatusPanel.h"
#include "editor/PanelLayout.h"
#include "engine/Parameter.h"
#include "engine/PatchDump.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tests/app/MainWindowTest.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pointer.h"

#include <array>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Box = std::array<LONG, 4>; // left, top, width, height

Box Placed(HWND window) {
    const RECT r = RectInParent(window);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
Box At(const PanelRect& r) {
    return {r.left, r.top, r.width, r.height};
}

std::wstring ListText(HWND list, int row) {
    wchar_t text[128] = L"";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    return text;
}

// A factory dump that says it is patch `number`.
Bytes FactoryDump(int index, int number) {
    Bytes dump = LoadFactoryBank().at(static_cast<size_t>(index));
    dump[9] = static_cast<uint8_t>(number & 0x7F);
    dump[10] = static_cast<uint8_t>(number >> 7);
    return dump;
}

// Where the main panel's pixel (x, y) lands in the main window's client area.
constexpr int kPanelTop = 26;

// One main window made the way the entry point makes it, shared by the whole suite: a
// top-level window under Wine takes long to come and go.
class MainWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        SetTheInstance(instance);
        RegisterMainWindowClass(instance, L"SHARED");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
        GetSettings().DynamicScale = 0;
        app = new RecordingApp(instance); // the program never deletes its App either
        SetTheApp(app);
        window = app->CreateMainWindow(L"SHARED", L"Tavren");
        SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
        app->InitMainWindow();
        ShowWindow(window, SW_SHOWNORMAL);
    }
    // The suite ends as the program does: Exit destroys the window and ends the loop.
    static void TearDownTestSuite() {
        PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(RunMessageLoop(GetModuleHandleW(nullptr)), 0);
        EXPECT_FALSE(IsWindow(window));
        SetTheApp(nullptr);
    }
    // Each test starts with the panel at its natural size, wholly on the screen.
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        GetSettings().DynamicScale = 0;
        Place(1920, kPanelTop + 869);
        app->sent.clear();
        app->banksLoaded.clear();
        app->selected.clear();
        app->programChanges.clear();
        app->status.clear();
    }
    // Sizes the window so that its client area is `width` x `height`, from the screen's left.
    static void Place(int width, int height) {
        RECT r = {0, 0, width, height};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
        MoveWindow(window, r.left, 0, r.right - r.left, r.bottom - r.top, TRUE);
        SetForegroundWindow(window);
        PumpMessages();
    }
    static HWND Control(int id) { return app->engine->FindParameter(id)->GetControl()->hwnd; }
    static int Value(int id) { return app->engine->FindParameter(id)->GetValue(); }
    static HWND List() { return app->engine->patchList->listWindow; }
    static std::vector<int> BankButtons() { return {Value(1200), Value(1201), Value(1202), Value(1203)}; }

    static RecordingApp* app;
    static HWND window;
};
RecordingApp* MainWindow::app = nullptr;
HWND MainWindow::window = nullptr;

// The texts of a menu's items with "|" between them; a separator is empty.
std::wstring Items(HMENU menu) {
    std::wstring items;
    wchar_t text[128];
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        items += (i > 0 ? L"|" : L"") + std::wstring(text);
    }
    return items;
}

TEST_F(MainWindow, HasItsMenusAndShortcutsAndKeepsRow25BetweenItsPanels) {
    HMENU bar = GetMenu(window);
    EXPECT_EQ(Items(bar), L"&File|&MIDI|&Patch|&Settings|&Help");
    const wchar_t* menus[] = {
        L"&Open Patch File...\tCtrl+O|&Save Bank As...\tCtrl+S|Save &All Patches As...||E&xit",
        L"&Reinitialize MIDI||MIDI &Input Device|MIDI &Output Device",
        L"&Audition On Instrument\tCtrl+Enter||&Write To Instrument...|Write &File To Instrument...",
        L"&Rotary Knob Control|&Dynamic Screen Scaling", L"&Check For Updates||More Info ...|&About ..."};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Items(GetSubMenu(bar, i)), menus[i]);
    EXPECT_EQ(GetSubMenu(GetSubMenu(bar, 1), 2), app->inputDeviceMenu);
    // About: characters with Alt (no FVIRTKEY), so they match what is typed; the rest Ctrl+key.
    ACCEL keys[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(
                  LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TAVREN)), keys, 8),
              5);
    const ACCEL expected[] = {{FALT, '?', IDM_ABOUT},
                              {FALT, '/', IDM_ABOUT},
                              {FVIRTKEY | FCONTROL, 'O', IDM_OPEN_PATCH_FILE},
                              {FVIRTKEY | FCONTROL, 'S', IDM_SAVE_BANK},
                              {FVIRTKEY | FCONTROL, VK_RETURN, IDM_AUDITION}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::tie(keys[i].fVirt, keys[i].key, keys[i].cmd),
                  std::tie(expected[i].fVirt, expected[i].key, expected[i].cmd))
            << i;

    MoveWindow(window, 50, 60, 1000, 700, TRUE);
    PumpMessages();
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(Placed(app->topBar->hwnd), (Box{0, 0, client.right, 25}));
    EXPECT_EQ(Placed(app->editorPanel->hwnd), (Box{0, 26, client.right, client.bottom - 26}));
}

TEST_F(MainWindow, StoresItsPlacementAndKeepsItWhenMaximizedOrMinimized) {
    MoveWindow(window, 30, 40, 820, 610, TRUE);
    PumpMessages();
    RECT normal;
    GetWindowRect(window, &normal);
    for (int show : {SW_SHOWNORMAL, SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE, SW_RESTORE}) {
        ShowWindow(window, show);
        PumpMessages();
        const Settings& s = GetSettings();
        EXPECT_EQ(s.CmdShow, show == SW_MAXIMIZE ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL) << show;
        EXPECT_EQ((Box{s.InitX, s.InitY, s.InitW, s.InitH}), (Box{normal.left, normal.top, 820, 610}))
            << show;
    }
}

TEST_F(MainWindow, ShowsStatusLinesAndSendsWhatTheControlsChange) {
    app->ShowStatus("Caf\xE9"); // widened as signed characters
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(std::u16string{u'C', u'a', u'f', char16_t(0xFFE9)}));
    EXPECT_FALSE(app->CheckDevice(false));
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(u"Error: MIDI Device not responding"));
    StatusPanel* panel = app->engine->statusPanel;
    panel->maxLines = 4; // as the panel starts, before any rescale
    for (const char* text : {"one", "two", "two", "three", "four", "five"})
        app->ShowStatus(text);
    EXPECT_EQ(std::vector<std::wstring>(panel->lines.begin(), panel->lines.end()),
              (std::vector<std::wstring>{L"two", L"three", L"four", L"five"}));

    // A bank button asks for its bank; the other controls send a control change.
    app->ControlChanged(1201, 1);
    EXPECT_EQ(BankButtons(), (std::vector<int>{0, 1, 0, 0}));
    EXPECT_EQ(app->banksLoaded, std::vector<int>{1});
    const struct {
        int id, value;
        std::vector<Bytes> sent;
    } cases[] = {
        {1201, 1, {}},
        {15, 200, {{0xB0, 15, 100}}}, // CUTOFF: 0..255 halves to 0..127
        {15, 255, {{0xB0, 15, 127}}},
        {54, 1, {{0xB0, 54, 64}}},  // OSC A SYNC on
        {74, 1, {{0xB0, 74, 127}}}, // LFO-mod to FREQ AB on
        {4242, 7, {}},              // no parameter has the ID
    };
    for (const auto& c : cases) {
        app->sent.clear();
        app->ControlChanged(c.id, c.value);
        EXPECT_EQ(app->sent, c.sent) << c.id << " " << c.value;
    }
}

// Types a key with modifiers held, as real input: all down in order, then up in reverse.
void Type(const std::vector<WORD>& keys) {
    for (WORD key : keys)
        keybd_event(static_cast<BYTE>(key), static_cast<BYTE>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), 0, 0);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        keybd_event(static_cast<BYTE>(*key), static_cast<BYTE>(MapVirtualKeyW(*key, MAPVK_VK_TO_VSC)),
                    KEYEVENTF_KEYUP, 0);
}

// Reads an About box once and closes it with OK, Escape and Enter in turn.
int gAboutBoxes = 0;
int gTicks = 0;
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowW(L"#32770", L"About Tavren");
    if (about == nullptr || GetPropW(about, L"seen") != nullptr)
        return;
    SetPropW(about, L"seen", about);
    wchar_t text[1024] = L"";
    GetDlgItemTextW(about, IDC_ABOUT_TEXT, text, 1024);
    EXPECT_EQ(text, AboutText());
    const int press = gAboutBoxes++ % 3;
    if (press == 0) {
        SendMessageW(GetDlgItem(about, IDCANCEL), BM_CLICK, 0, 0); // the OK button
    } else { // the dialog manager turns these keys into commands as it reads them
        PostMessageW(GetFocus(), WM_KEYDOWN, press == 1 ? VK_ESCAPE : VK_RETURN, 0);
    }
}
void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD) {
    if (FindWindowW(L"#32770", L"About Tavren") == nullptr || ++gTicks > 20)
        PostQuitMessage(0);
}

TEST_F(MainWindow, AltQuestionMarkAndAltSlashOpenTheAboutBoxEvenFromTheList) {
    // "?" is Shift+/; the shortcuts match the character with Alt held.
    const struct {
        std::vector<WORD> keys;
        HWND focus;
        int boxes;
    } cases[] = {{{VK_MENU, VK_SHIFT, VK_OEM_2}, window, 1},
                 {{VK_MENU, VK_OEM_2}, window, 1},
                 {{VK_SHIFT, VK_OEM_2}, window, 0}, // typing
                 {{VK_MENU, VK_OEM_2}, List(), 1}};
    for (const auto& c : cases) {
        const int before = gAboutBoxes;
        gTicks = 0;
        SetForegroundWindow(window);
        SetFocus(c.focus);
        PumpMessages();
        Type(c.keys);
        UINT_PTR closer = SetTimer(nullptr, 0, 50, CloseAboutBox);
        UINT_PTR ender = SetTimer(nullptr, 0, 600, EndLoop);
        RunMessageLoop(GetModuleHandleW(nullptr));
        KillTimer(nullptr, closer);
        KillTimer(nullptr, ender);
        EXPECT_EQ(gAboutBoxes - before, c.boxes)
            << c.keys.size() << " keys, in the list: " << (c.focus != window);
        EXPECT_LE(gTicks, 20) << "the About box did not close";
    }
    const std::wstring head = L"Tavren, " TAVREN_WIDEN(TAVREN_VERSION_TEXT) L", ";
    EXPECT_EQ(AboutText().substr(0, head.size()), head);
    EXPECT_EQ(AboutText().substr(AboutText().find(L"\r\n")),
              L"\r\n2026 Quillmer\r\n\r\ntavren@quillmer.example\r\n" TAVREN_WIDEN(
                  TAVREN_WEB_PAGE) L"\r\n\r\n"
                                   L"For feedback or suggestions please email me\r\n\r\n"
                                   L"NOTE: This is a beta version that has not gone through any significant "
                                   L"testing\r\n"
                                   L"Please back up all patches before using this program\r\n");
}

// A drag of the left button as a person makes it: the system's move or size loop runs
// it, and a timer inside that loop moves the pointer, notes what is on screen half-way
// and lets go.
struct Drag {
    POINT to;
    int step = 0;
    bool controlsVisible = false;
    int sizingState = -1;
} gDrag;

void SendPointer(DWORD flags, POINT at) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

bool ControlsVisible(App* app) {
    return IsWindowVisible(app->engine->patchList->listWindow) &&
           IsWindowVisible(app->engine->FindParameter(15)->GetControl()->hwnd);
}

void CALLBACK DragStep(HWND, UINT, UINT_PTR, DWORD) {
    if (gDrag.step == 0) {
        SendPointer(0, gDrag.to);
    } else if (gDrag.step == 3) {
        gDrag.controlsVisible = ControlsVisible(TheApp());
        gDrag.sizingState = TheApp()->sizingState;
        SendPointer(MOUSEEVENTF_LEFTUP, gDrag.to);
    }
    ++gDrag.step;
}

TEST_F(MainWindow, DraggingABorderHidesListAndControlsUntilReleaseTheTitleBarNothing) {
    BOOL fullDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    GetSettings().DynamicScale = 1;
    MoveWindow(window, 100, 100, 1000, 700, TRUE);
    PumpMessages();
    for (LRESULT hit : {HTCAPTION, HTRIGHT}) {
        RECT before, after;
        GetWindowRect(window, &before);
        const POINT from = hit == HTCAPTION
                               ? POINT{before.left + 300, before.top + GetSystemMetrics(SM_CYFRAME) +
                                                              GetSystemMetrics(SM_CYCAPTION) / 2}
                               : POINT{before.right - 2, before.top + 300};
        ASSERT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y)), hit);
        gDrag = Drag{hit == HTCAPTION ? POINT{from.x + 50, from.y + 30} : POINT{from.x + 150, from.y}};
        MovePointerTo(from);
        UINT_PTR timer = SetTimer(nullptr, 0, 30, DragStep);
        SendPointer(MOUSEEVENTF_LEFTDOWN, from);
        PumpUntil([] { return gDrag.step > 3; }, 5000);
        PumpMessages();
        KillTimer(nullptr, timer);
        GetWindowRect(window, &after);
        EXPECT_EQ(gDrag.controlsVisible, hit == HTCAPTION) << hit;
        EXPECT_EQ(gDrag.sizingState, hit == HTCAPTION ? kSizingEntered : kSizingResizing) << hit;
        EXPECT_FALSE(EqualRect(&before, &after)) << hit << ": the window did not follow the drag";
        EXPECT_TRUE(ControlsVisible(app)) << hit;
        EXPECT_EQ(app->sizingState, kSizingIdle) << hit;
    }
    // The border drag rescaled the panel to the new width.
    RECT editor;
    GetClientRect(app->editorPanel->hwnd, &editor);
    EXPECT_EQ(app->engine->panel->currentWidth, editor.right);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullDrag, nullptr, 0);
}

TEST_F(MainWindow, EveryWindowStandsAtItsDesignPlaceAndEveryLeverShowsItsValue) {
    const HWND panel = app->engine->panel->hwnd;
    EXPECT_EQ(Placed(panel), (Box{0, 0, 1920, 869}));
    EXPECT_EQ(Placed(List()), At(PanelLayout::Get().PatchList()));
    EXPECT_EQ(Placed(app->engine->statusPanel->hwnd), (Box{45, 700, 207, 135}));
    for (const ParameterRow& row : ParameterTable())
        EXPECT_EQ(Placed(Control(row.id)), At(PanelLayout::ControlWindow(row))) << row.id;
    std::vector<RECT> windows;
    for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        windows.push_back(RectInParent(child));
    ASSERT_EQ(windows.size(), 60u);
    for (size_t i = 0; i < windows.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            RECT common;
            EXPECT_FALSE(IntersectRect(&common, &windows[i], &windows[j])) << i << " overlaps " << j;
        }

    // The keyboard switch shows the lever at the bottom; every lever switch shows its
    // lever up when on, down when off.
    EXPECT_LT(MeanDifference(CaptureClient(Control(60)), 0, 0, 24, 75, LoadBitmapPixels(IDB_LEVER_BOTTOM), 0,
                             0, 24, 75),
              2.0);
    const Pixels images[] = {LoadBitmapPixels(IDB_SWITCH_DOWN), LoadBitmapPixels(IDB_SWITCH_UP)};
    for (const ParameterRow& row : ParameterTable()) {
        if (row.kind != ControlKind::TwoState || row.clickToggles)
            continue;
        for (int value : {1, 0}) {
            app->engine->FindParameter(row.id)->SetValue(value);
            UpdateWindow(Control(row.id));
            EXPECT_LT(
                MeanDifference(CaptureClient(Control(row.id)), 0, 0, 24, 60, images[value], 0, 0, 24, 60),
                2.0)
                << row.label << " at " << value;
        }
    }
}

TEST_F(MainWindow, APatchDumpSetsEveryControlAndAStoredOneBecomesTheCurrentPatchOfItsBank) {
    const Bytes dump = FactoryDump(23, 123);
    ASSERT_TRUE(app->engine->LoadPatchDump(dump));
    EXPECT_EQ(app->status, std::vector<std::string>{"Loading 1:23:" + ReadPatchName(dump)});
    const std::vector<DecodedValue> values = DecodeParameters(dump).value();
    for (const DecodedValue& decoded : values)
        EXPECT_EQ(Value(decoded.id), decoded.value) << decoded.id;
    // Short by one byte: nothing changes, nothing is said.
    EXPECT_FALSE(app->engine->LoadPatchDump(Bytes(dump.begin(), dump.begin() + 184)));
    EXPECT_EQ(app->status.size(), 1u);
    for (const DecodedValue& decoded : values)
        EXPECT_EQ(Value(decoded.id), decoded.value) << decoded.id;
    app->engine->SetParameterValue(15, 300);
    EXPECT_EQ(Value(15), 255) << "a knob shows at most its maximum";
    EXPECT_TRUE(app->sent.empty()) << "values set by the program are not sent";

    PatchBank& bank = app->patchBank;
    bank.SwitchBank(0);
    const Bytes stored = FactoryDump(4, 4);
    EXPECT_FALSE(bank.StoreDump(4, 0, stored));
    EXPECT_FALSE(bank.StoreDump(2, 100, stored));
    EXPECT_EQ(bank.bank, 0);
    ASSERT_TRUE(bank.StoreDump(2, 7, stored));
    EXPECT_EQ(std::make_pair(bank.bank, bank.program), std::make_pair(2, 7));
    EXPECT_EQ(BankButtons(), (std::vector<int>{0, 0, 1, 0}));
    const std::string name = ReadPatchName(stored);
    EXPECT_EQ(ListText(List(), 7), L"07 : " + std::wstring(name.begin(), name.end()));
    EXPECT_EQ(ListText(List(), 6), L"06 : [not loaded]");
    EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 7);
    EXPECT_EQ(app->status.back(), "Loading 0:4:" + name);
    Bytes unnamed = LoadFactoryBank().at(9);
    unnamed[183] = 0x00;
    ASSERT_TRUE(bank.StoreDump(2, 7, unnamed));
    EXPECT_EQ(ListText(List(), 7), L"07 : [Unnamed]") << "a second dump replaces the first";

    // Rows paint red, the selected one white.
    UpdateWindow(List());
    const Pixels list = CaptureClient(List());
    auto count = [&](int row, DWORD colour) {
        RECT r;
        SendMessageW(List(), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += list.At(x, y) == colour;
        return n;
    };
    EXPECT_EQ(std::make_pair(count(7, 0xFFFFFF) > 20, count(7, 0xFF0000)), std::make_pair(true, 0));
    EXPECT_EQ(std::make_pair(count(6, 0xFF0000) > 20, count(6, 0xFFFFFF)), std::make_pair(true, 0));
}

TEST_F(MainWindow, TheListAsksForRealRowsOnly) {
    app->patchBank.SwitchBank(1);
    const int program = app->patchBank.program;
    app->patchBank.slots[103] = PatchSlot{true, FactoryDump(3, 103)};
    auto notify = [&](int code) {
        return SendMessageW(app->engine->panel->hwnd, WM_COMMAND, MAKEWPARAM(1002, code),
                            reinterpret_cast<LPARAM>(List()));
    };
    // Nothing selected: the list answers LB_ERR, which names no patch.
    SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(notify(LBN_SELCHANGE), 0);
    EXPECT_EQ(notify(LBN_DBLCLK), 1);
    EXPECT_TRUE(app->selected.empty());
    EXPECT_TRUE(app->programChanges.empty());

    // A click on an unloaded row asks for it; the list leaves the program alone.
    RECT row;
    SendMessageW(List(), LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&row));
    SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 5, row.top + 5));
    SendMessageW(List(), WM_LBUTTONUP, 0, MAKELPARAM(row.left + 5, row.top + 5));
    PumpMessages();
    EXPECT_EQ(app->selected, (std::vector<std::pair<int, int>>{{1, 5}}));
    EXPECT_EQ(app->patchBank.program, program);

    // A loaded row is shown from the cache and nothing is asked.
    SendMessageW(List(), LB_SETCURSEL, 3, 0);
    EXPECT_EQ(notify(LBN_SELCHANGE), 0);
    EXPECT_EQ(app->selected.size(), 1u);
    EXPECT_EQ(app->patchBank.program, 3);
    EXPECT_EQ(app->status.back().rfind("Loading 1:3:", 0), 0u);
    EXPECT_EQ(notify(LBN_DBLCLK), 1);
    EXPECT_EQ(app->programChanges, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST_F(MainWindow, DynamicScalingFollowsTheWidthRoundsAndReturnsToNaturalSizeOnce) {
    GetSettings().DynamicScale = 1;
    Pro800Engine& engine = *app->engine;
    for (double factor : {0.5, 0.75, 1.25}) {
        engine.Resize(static_cast<int>(1920 * factor), 600);
        EXPECT_TRUE(ScaleApplied());
        EXPECT_EQ(engine.panel->currentWidth, static_cast<int>(1920 * factor));
        EXPECT_EQ(engine.panel->currentHeight, static_cast<int>(869 * factor));
        for (const ParameterRow& row : ParameterTable()) {
            const int x = static_cast<int>(row.x * factor + 0.5);
            const int y = static_cast<int>(row.y * factor + 0.5);
            const POINT expected = row.kind == ControlKind::Knob ? Knob::WindowOrigin(x, y) : POINT{x, y};
            const RECT placed = RectInParent(Control(row.id));
            EXPECT_EQ(std::make_pair(placed.left, placed.top), std::make_pair(expected.x, expected.y))
                << row.id << " at " << factor;
        }
    }
    engine.Resize(960, 600);
    // 105 and 55 at 0.5 round up to 53 and 28; the status panel keeps four lines.
    EXPECT_EQ(Placed(Control(1201)), (Box{53, 25, 22, 22}));
    EXPECT_EQ(RectInParent(Control(1200)).left, 28);
    EXPECT_EQ(Placed(engine.statusPanel->hwnd), (Box{22, 350, 104, 67}));
    EXPECT_EQ(engine.statusPanel->maxLines, 4);
    EXPECT_EQ(Placed(List()), (Box{25, 57, 100, 285}));
    EXPECT_EQ(SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0), 16);
    EXPECT_EQ(Placed(Control(15)), (Box{590, 110, 43, 43}));
    // What the panel no longer covers is drawn anew: no knob is left behind there.
    PumpMessages();
    const Pixels shot = CaptureClient(app->editorPanel->hwnd);
    EXPECT_EQ(shot.At(1222, 261), shot.At(1500, 700));

    GetSettings().DynamicScale = 0;
    engine.Resize(960, 600);
    EXPECT_FALSE(ScaleApplied());
    EXPECT_EQ(Placed(Control(15)), (Box{1184, 223, 77, 77}));
    EXPECT_EQ(Placed(engine.panel->hwnd), (Box{0, 0, 1920, 869}));
    EXPECT_EQ(engine.statusPanel->maxLines, 9);
    EXPECT_EQ(SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0), 30);
    MoveWindow(Control(15), 0, 0, 77, 77, FALSE);
    engine.Resize(960, 600);
    EXPECT_EQ(RectInParent(Control(15)).left, 0) << "natural size is restored once";
    MoveWindow(Control(15), 1184, 223, 77, 77, FALSE);
}

TEST_F(MainWindow, PanningAndTheWheelKeepThePanelOverItsParent) {
    Place(1280, kPanelTop + 600);
    const HWND panel = app->engine->panel->hwnd;
    const struct {
        int top, delta, keys, expected;
    } wheel[] = {{0, 120, 0, 0},
                 {-100, 120, 0, -88},
                 {-100, -120, MK_CONTROL, -124},
                 {-100, 120, MK_SHIFT, -94},
                 {-260, -120, 0, -269}};
    for (const auto& turn : wheel) {
        SetWindowPos(panel, nullptr, 0, turn.top, 1920, 869, SWP_NOZORDER);
        const POINT at = ScreenPoint(panel, 400, 400);
        SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(turn.keys, turn.delta), MAKELPARAM(at.x, at.y));
        EXPECT_EQ(RectInParent(panel).top, turn.expected) << turn.top << " " << turn.delta;
    }
    // A pan follows the pointer from where the middle button went down.
    SetWindowPos(panel, nullptr, 0, 0, 1920, 869, SWP_NOZORDER);
    MoveCursorTo(panel, 1200, 300);
    SendMessageW(panel, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1200, 300));
    for (const auto& [cursorX, expectedLeft] : {std::pair{1000, -200}, {100, -640}, {1900, 0}}) {
        MoveCursorTo(app->editorPanel->hwnd, cursorX, 300);
        SendMessageW(panel, WM_MOUSEMOVE, MK_MBUTTON, 0);
        EXPECT_EQ(RectInParent(panel).left, expectedLeft) << cursorX;
    }
    SendMessageW(panel, WM_MBUTTONUP, 0, 0);
    EXPECT_FALSE(app->engine->panel->panning);
    SetWindowPos(panel, nullptr, 0, 0, 1920, 869, SWP_NOZORDER);
}

TEST_F(MainWindow, AFactoryPatchShowsOnTheWholeFrontPanel) {
    ASSERT_TRUE(app->patchBank.StoreDump(0, 1, LoadFactoryBank().at(1)));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const Pixels shot = CaptureClient(window);
    const Pixels panel = LoadBitmapPixels(IDB_PANEL);

    // The frames and titles of OSCILLATOR A where no control stands.
    EXPECT_LT(MeanDifference(shot, 278, kPanelTop + 14, 40, 150, panel, 278, 14, 40, 150), 1.0);

    // The knob that the patch turns furthest shows the sprite frame of its value,
    // painted through its mask onto the panel.
    const Pixels strip = LoadBitmapPixels(IDB_KNOB_STRIP);
    const Pixels mask = LoadBitmapPixels(IDB_KNOB_MASK);
    const ParameterRow* knob = nullptr;
    for (const ParameterRow& row : ParameterTable())
        if (row.kind == ControlKind::Knob && (!knob || Value(row.id) > Value(knob->id)))
            knob = &row;
    ASSERT_GT(Value(knob->id), 150);
    auto knobDifference = [&](int value) {
        const int frame = KnobFrame(value, 0, knob->maxValue, 0, 126);
        const PanelRect image = PanelLayout::KnobImage(*knob);
        Pixels expected{image.width, image.height, {}};
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                expected.data.push_back(
                    (panel.At(image.left + x, image.top + y) & mask.At(frame * 67 + x, y)) |
                    strip.At(frame * 67 + x, y));
        return MeanDifference(shot, image.left, kPanelTop + image.top, image.width, image.height, expected, 0,
                              0, image.width, image.height);
    };
    EXPECT_LT(knobDifference(Value(knob->id)), 1.0) << knob->name;
    EXPECT_GT(knobDifference(0), 5.0) << knob->name;

    // The list selects row 1 in white; the status panel says which patch was loaded.
    EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(app->engine->statusPanel->lines.back(), L"Loading 0:1:Classical Brass");
    int white = 0;
    for (int y = kPanelTop + 115 + 35; y < kPanelTop + 115 + 70; ++y)
        for (int x = 50; x < 250; ++x)
            white += shot.At(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 20);
}

} // namespace
