// The front panel without the mouse and for a screen reader, on the real main window under
// Wine: Tab and the keys through the system's input queue, the tooltips, what a reader
// asks of each control in this process and from another one, and a window at 144 DPI.
#include "app/Settings.h"
#include "controls/ControlTips.h"
#include "controls/Listbox.h"
#include "controls/SimplePanel.h"
#include "controls/StatusPanel.h"
#include "engine/Parameter.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tests/app/MainWindowTest.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pointer.h"
#include "tests/support/ProgramProcess.h"

#include <oleacc.h>

#include <string>
#include <vector>

namespace {

const IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const VARIANT kSelf = [] {
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}();

// What a screen reader reads of a window: role, name, value and state.
struct Reading {
    long role = -1;
    std::wstring name, value;
    long state = 0;
};

Reading Read(HWND window) {
    Reading reading;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        object == nullptr)
        return reading;
    VARIANT answer = {};
    if (object->get_accRole(kSelf, &answer) == S_OK && answer.vt == VT_I4)
        reading.role = answer.lVal;
    if (object->get_accState(kSelf, &answer) == S_OK && answer.vt == VT_I4)
        reading.state = answer.lVal;
    BSTR text = nullptr;
    if (object->get_accName(kSelf, &text) == S_OK && text) {
        reading.name = text;
        SysFreeString(text);
    }
    text = nullptr;
    if (object->get_accValue(kSelf, &text) == S_OK && text) {
        reading.value = text;
        SysFreeString(text);
    }
    object->Release();
    return reading;
}

// What screen readers are told, in the order it happens.
std::vector<std::pair<DWORD, HWND>> gEvents;
void CALLBACK NoteEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_CLIENT)
        gEvents.emplace_back(event, window);
}

class Access : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        window = OpenMainWindow(app = NewApp(), SW_SHOWNORMAL);
        RECT r = {0, 0, 1920, 26 + 869};
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
        MoveWindow(window, r.left, 0, r.right - r.left, r.bottom - r.top, TRUE);
        // Every factory patch listed in bank 0, the first on the panel as the base of an edit.
        app->patchBank.SwitchBank(0);
        const std::vector<std::vector<uint8_t>> factory = LoadFactoryBank();
        for (int program = 99; program >= 0; --program)
            app->patchBank.StoreDump(0, program, factory.at(static_cast<size_t>(program)));
    }
    static void TearDownTestSuite() {
        DestroyWindow(window);
        PumpMessages();
        SetTheApp(nullptr);
    }
    void SetUp() override {
        SetForegroundWindow(window);
        GetSettings().RolloverTooltips = 1;
        GetSettings().ModifyValueTooltips = 1;
        app->sent.clear();
        app->programChanges.clear();
    }
    // Types `keys` and lets the program's message loop take them, shortcuts first.
    static void Keys(const std::vector<WORD>& keys) {
        static HACCEL shortcuts = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TAVREN));
        Type(keys);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 60;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!TranslateAcceleratorW(window, shortcuts, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            Sleep(5);
        }
    }
    static HWND Control(int id) { return app->engine->FindParameter(id)->GetControl()->hwnd; }
    static int Value(int id) { return app->engine->FindParameter(id)->GetValue(); }
    static HWND List() { return app->engine->patchList->listWindow; }
    static int Selected() { return static_cast<int>(SendMessageW(List(), LB_GETCURSEL, 0, 0)); }

    static RecordingApp* app;
    static HWND window;
};
RecordingApp* Access::app = nullptr;
HWND Access::window = nullptr;

TEST_F(Access, TabGoesRoundThePanelInReadingOrderThenTheListShowingARingUntilAClick) {
    SetFocus(window);
    const struct {
        std::vector<WORD> keys;
        HWND from, to;
    } cases[] = {{{VK_TAB}, window, Control(1200)},
                 {{VK_TAB}, Control(1203), Control(8)},
                 {{VK_SHIFT, VK_TAB}, Control(8), Control(1203)},
                 {{VK_TAB}, Control(41), List()},
                 {{VK_TAB}, List(), Control(1200)},
                 {{VK_SHIFT, VK_TAB}, Control(16), Control(15)}};
    for (const auto& c : cases) {
        SetFocus(c.from);
        Keys(c.keys);
        EXPECT_EQ(GetFocus(), c.to) << c.keys.size() << " keys from " << c.from;
    }
    UpdateWindow(Control(15));
    EXPECT_EQ(CaptureClient(Control(15)).At(0, 0), 0x40C0FFu) << "the ring shows on the focused knob";
    SendMessageW(Control(15), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(38, 38));
    SendMessageW(Control(15), WM_LBUTTONUP, 0, MAKELPARAM(38, 38));
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(GetFocus(), Control(15));
    EXPECT_NE(CaptureClient(Control(15)).At(0, 0), 0x40C0FFu) << "a click hides it";
}

TEST_F(Access, KeysTurnKnobsAndMoveLeversAsTheMouseDoesAndRepeatsAreOneStep) {
    app->engine->SetParameterValue(15, 100);
    SetFocus(Control(15));
    const size_t steps = app->history.Size();
    const std::pair<std::vector<WORD>, int> knob[] = {
        {{VK_UP}, 101},    {{VK_RIGHT}, 102}, {{VK_SHIFT, VK_UP}, 106}, {{VK_LEFT}, 105},
        {{VK_PRIOR}, 131}, {{VK_NEXT}, 105},  {{VK_END}, 255},          {{VK_HOME}, 0}};
    for (const auto& [keys, value] : knob) {
        Keys(keys);
        EXPECT_EQ(Value(15), value) << keys.back();
        EXPECT_EQ(app->sent.back(), (std::vector<uint8_t>{0xB0, 15, static_cast<uint8_t>(value >> 1)}));
    }
    EXPECT_EQ(app->history.Size(), steps + 1) << "keys within a second of each other are one step";

    const struct {
        int id;
        std::vector<WORD> keys;
        int from, to;
    } levers[] = {{59, {VK_UP}, 0, 1},    {59, {VK_DOWN}, 0, 0},  {60, {VK_UP}, 2, 2},
                  {54, {VK_SPACE}, 1, 0}, {54, {VK_SPACE}, 0, 1}, {1201, {VK_SPACE}, 0, 1}};
    for (const auto& l : levers) {
        app->engine->SetParameterValue(l.id, l.from);
        SetFocus(Control(l.id));
        app->sent.clear();
        Keys(l.keys);
        EXPECT_EQ(Value(l.id), l.to) << l.id;
        EXPECT_EQ(app->sent.size(), l.from != l.to && l.id < 1200 ? 1u : 0u) << l.id;
    }
    EXPECT_EQ(Value(1200), 0) << "the bank button pressed is the only one lit";
}

TEST_F(Access, TheListTakesArrowsEnterAndLettersAndCtrlArrowsStepFromAnywhere) {
    SendMessageW(List(), LB_SETCURSEL, 0, 0);
    SetFocus(List());
    Keys({VK_DOWN});
    EXPECT_EQ(app->patchBank.program, 1) << "shown as a click shows it";
    Keys({VK_RETURN});
    EXPECT_EQ(app->programChanges, (std::vector<std::pair<int, int>>{{0, 1}}));
    Keys({'D'});
    Keys({'O'});
    EXPECT_EQ(Selected(), 64) << "Dog's Bark";
    SetFocus(Control(15));
    const struct {
        std::vector<WORD> keys;
        int row;
        size_t programChanges;
    } steps[] = {{{VK_CONTROL, VK_RIGHT}, 65, 1}, {{VK_CONTROL, VK_SHIFT, VK_LEFT}, 64, 2}};
    for (const auto& s : steps) {
        Keys(s.keys);
        EXPECT_EQ(std::make_pair(Selected(), app->patchBank.program), std::make_pair(s.row, s.row));
        EXPECT_EQ(app->programChanges.size(), s.programChanges);
    }
    EXPECT_EQ(app->programChanges.back(), std::make_pair(0, 64));
}

TEST_F(Access, NamesShowOnRestValuesWhileChangingAndTheStatusLinesWhole) {
    ASSERT_TRUE(PumpUntil([] { return app->tips != nullptr; })) << "made once the window has been shown";
    auto rests = [](HWND control) {
        MovePointerTo(POINT{10, 1000});
        MovePointerTo(CentreOf(control));
        return PumpUntil([&] { return IsWindowVisible(app->tips->rollover) != FALSE; }, 1500);
    };
    EXPECT_TRUE(rests(Control(15)));
    EXPECT_EQ(WindowText(app->tips->rollover), L"CUTOFF");
    const std::wstring longLine = L"Wrote and verified 3 patches of bank 2, from 2:00 to 2:02.";
    app->ShowStatus("First line");
    app->ShowStatus(std::string(longLine.begin(), longLine.end()));
    EXPECT_TRUE(rests(app->engine->statusPanel->hwnd));
    EXPECT_NE(WindowText(app->tips->rollover).find(L"First line\r\n" + longLine), std::wstring::npos);

    app->engine->SetParameterValue(15, 100);
    SetFocus(Control(15));
    Keys({VK_UP});
    EXPECT_TRUE(IsWindowVisible(app->tips->value));
    EXPECT_EQ(WindowText(app->tips->value), L"CUTOFF: 101");
    // Changes faster than the tip is drawn: it catches up with the last one.
    for (int value = 0; value <= 200; ++value) {
        app->engine->SetParameterValue(15, value);
        app->ControlChanged(15, value);
    }
    EXPECT_TRUE(PumpUntil([] { return WindowText(app->tips->value) == L"CUTOFF: 200"; }, 400));
    EXPECT_TRUE(PumpUntil([] { return !IsWindowVisible(app->tips->value); }, 1500)) << "gone after 0.5 s";

    // Both settings off from the menu: neither tip shows.
    SendMessageW(window, WM_COMMAND, IDM_ROLLOVER_TIPS, 0);
    SendMessageW(window, WM_COMMAND, IDM_VALUE_TIPS, 0);
    EXPECT_EQ(GetSettings().RolloverTooltips + GetSettings().ModifyValueTooltips, 0);
    EXPECT_EQ(GetMenuState(GetMenu(window), IDM_VALUE_TIPS, MF_BYCOMMAND) & MF_CHECKED, 0u);
    SetFocus(Control(15));
    Keys({VK_UP});
    EXPECT_FALSE(IsWindowVisible(app->tips->value));
    EXPECT_FALSE(rests(Control(16)));
    SendMessageW(window, WM_COMMAND, IDM_ROLLOVER_TIPS, 0);
}

TEST_F(Access, EveryControlTellsAScreenReaderItsRoleNameAndValueAndItsChanges) {
    gEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, NoteEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    const struct {
        int id, value;
        long role;
        const wchar_t* name;
        const wchar_t* text;
        long state;
    } cases[] = {{15, 161, ROLE_SYSTEM_SLIDER, L"Filter: CUTOFF", L"161", 0},
                 {59, 1, ROLE_SYSTEM_GROUPING, L"LFO: LFO TARGET", L"A", 0},
                 {54, 1, ROLE_SYSTEM_CHECKBUTTON, L"Oscillator A: OSC A SYNC", L"SYNC", STATE_SYSTEM_CHECKED},
                 {74, 0, ROLE_SYSTEM_CHECKBUTTON, L"LFO-Mod: LFO-MOD DEST FREQ AB", L"Off", 0},
                 {1202, 1, ROLE_SYSTEM_PUSHBUTTON, L"Patch: BANK 3", L"", STATE_SYSTEM_PRESSED}};
    for (const auto& c : cases) {
        app->engine->SetParameterValue(c.id, c.value);
        const Reading r = Read(Control(c.id));
        EXPECT_EQ(r.role, c.role) << c.id;
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.value, c.text) << c.id;
        EXPECT_EQ(r.state & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED), c.state) << c.id;
    }
    app->ShowStatus("Patch 0:07 Mini Lead");
    const Reading status = Read(app->engine->statusPanel->hwnd);
    EXPECT_EQ(std::make_pair(status.role, status.name),
              std::make_pair(long{ROLE_SYSTEM_STATICTEXT}, std::wstring(L"Patch 0:07 Mini Lead")));

    // Turned from the keyboard, the knob says that it has the focus and then its new value.
    SetFocus(window);
    PumpMessages();
    gEvents.clear();
    SetFocus(Control(15));
    Keys({VK_UP});
    PumpMessages();
    UnhookWinEvent(hook);
    EXPECT_EQ(Read(Control(15)).value, L"162");
    EXPECT_NE(Read(Control(15)).state & STATE_SYSTEM_FOCUSED, 0);
    using Events = std::vector<std::pair<DWORD, HWND>>;
    const Events expected = {{EVENT_OBJECT_FOCUS, Control(15)}, {EVENT_OBJECT_VALUECHANGE, Control(15)}};
    EXPECT_EQ(Events(gEvents.begin(), gEvents.begin() + std::min<std::ptrdiff_t>(2, gEvents.size())),
              expected);
}

// The main window moved to a screen of 144 DPI, and back: the fonts grow by half, the
// window takes the place suggested, and nothing overlaps.
TEST_F(Access, FontsAndTheStripAboveThePanelFollowTheWindowsDpi) {
    auto height = [](HFONT font) {
        LOGFONTW described = {};
        GetObjectW(font, sizeof described, &described);
        return std::abs(described.lfHeight);
    };
    const struct {
        int dpi;
        std::vector<LONG> fonts;
        LONG strip;
    } cases[] = {{144, {21, 27, 33}, 38}, {96, {14, 18, 22}, 25}};
    for (const auto& c : cases) {
        RECT suggested = {40, 30, 40 + 1400, 30 + 800};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpMessages();
        RECT placed;
        GetWindowRect(window, &placed);
        EXPECT_TRUE(EqualRect(&placed, &suggested)) << c.dpi;
        EXPECT_EQ((std::vector<LONG>{height(app->GetSmallFont()), height(app->GetMediumFont()),
                                     height(app->GetLargeFont())}),
                  c.fonts);
        const RECT strip = RectInParent(app->topBar->hwnd), editor = RectInParent(app->editorPanel->hwnd);
        EXPECT_EQ(strip.bottom - strip.top, c.strip);
        EXPECT_GT(editor.top, strip.bottom - 1) << "the panel starts below the strip";
        const RECT list = RectInParent(List()), status = RectInParent(app->engine->statusPanel->hwnd);
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &list, &status));
        EXPECT_GE(app->engine->statusPanel->lineHeight, height(app->GetSmallFont()));
        const LRESULT row = SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0);
        EXPECT_GT(row, height(app->GetSmallFont())) << "a row holds the list's smallest font";
    }
}

// tavren.exe in a process of its own, started at 144 DPI: a screen reader in this process
// reads its knobs, and its strip above the panel has grown by half.
TEST(AccessProgram, AnotherProcessReadsTheControlsOfTheProgramAt144Dpi) {
    HKEY desktop = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &desktop, nullptr);
    const DWORD dpi = 144;
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    Program program(SW_SHOWNORMAL, {{L"TAVREN_DEMO", L"1"}});
    RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);
    ASSERT_TRUE(program.started);
    const std::vector<HWND> knobs = Descendants(program.window, L"KNOB");
    ASSERT_EQ(knobs.size(), 32u);
    int named = 0;
    for (HWND knob : knobs) {
        const Reading r = Read(knob);
        EXPECT_EQ(r.role, ROLE_SYSTEM_SLIDER);
        EXPECT_FALSE(r.value.empty());
        named += r.name == L"Filter: CUTOFF";
    }
    EXPECT_EQ(named, 1);
    const std::vector<HWND> panels = Descendants(program.window, L"SIMPLEPANEL");
    ASSERT_FALSE(panels.empty());
    RECT strip;
    GetClientRect(panels.front(), &strip);
    EXPECT_EQ(strip.bottom, 38) << "25 rows at 96 DPI";
}

} // namespace
