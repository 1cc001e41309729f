// The main window with the whole front panel in it, on real windows under Wine: placement,
// shortcuts and the About box, a status line, patch dumps, the patch list, scaling, a real
// frame drag and what the screen shows.
#include "app/AboutBox.h"
#include "app/Settings.h"
#include "controls/Knob.h"
#include "controls/KnobMath.h"
#include "controls/KnobSprites.h"
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
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Box = std::array<LONG, 4>; // left, top, width, height

Box Placed(HWND window) {
    const RECT r = RectInParent(window);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// A factory dump that says it is patch `number`.
Bytes FactoryDump(int index, int number) {
    Bytes dump = LoadFactoryBank().at(static_cast<size_t>(index));
    dump[9] = static_cast<uint8_t>(number & 0x7F);
    dump[10] = static_cast<uint8_t>(number >> 7);
    return dump;
}

// Where the main panel's top row lands in the main window's client area.
constexpr int kPanelTop = 26;

// One main window shared by the whole suite: a top-level window under Wine takes long to
// come and go.
class MainWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() { window = OpenMainWindow(app = NewApp(), SW_SHOWNORMAL); }
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
        app->selected.clear();
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
    // The front panel painted as one window: its knobs' and switches' windows are left out
    // of the repaint, the panel and the rest are not, and each control shows as it draws
    // itself. Answers what the panel shows.
    Pixels DrawnAsOne(const char* how) const {
        for (const ParameterRow& row : ParameterTable())
            EXPECT_FALSE(GetUpdateRect(Control(row.id), nullptr, FALSE)) << how << ": " << row.id;
        EXPECT_TRUE(GetUpdateRect(app->engine->panel->hwnd, nullptr, FALSE)) << how;
        EXPECT_TRUE(GetUpdateRect(List(), nullptr, FALSE)) << how;
        PumpMessages();
        const Pixels shot = CaptureClient(app->editorPanel->hwnd);
        for (const ParameterRow& row : ParameterTable())
            RedrawWindow(Control(row.id), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(CaptureClient(app->editorPanel->hwnd).data == shot.data) << how;
        return shot;
    }
    static std::wstring Row(int row) {
        wchar_t text[128] = L"";
        SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        return text;
    }

    static RecordingApp* app;
    static HWND window;
};
RecordingApp* MainWindow::app = nullptr;
HWND MainWindow::window = nullptr;

// Below the top bar's 25 rows, the editor panel fills the client area; the placement stored
// is the normal one, while maximized or minimized too.
TEST_F(MainWindow, KeepsRow25BetweenItsPanelsAndStoresItsNormalPlacement) {
    MoveWindow(window, 30, 40, 820, 610, TRUE);
    PumpMessages();
    RECT client, normal;
    GetClientRect(window, &client);
    GetWindowRect(window, &normal);
    EXPECT_EQ(Placed(app->topBar->hwnd), (Box{0, 0, client.right, 25}));
    EXPECT_EQ(Placed(app->editorPanel->hwnd), (Box{0, 26, client.right, client.bottom - 26}));
    for (int show : {SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE, SW_RESTORE}) {
        ShowWindow(window, show);
        PumpMessages();
        const Settings& s = GetSettings();
        EXPECT_EQ(s.CmdShow, show == SW_MAXIMIZE ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL) << show;
        EXPECT_EQ((Box{s.InitX, s.InitY, s.InitW, s.InitH}), (Box{normal.left, normal.top, 820, 610}))
            << show;
    }
}

TEST_F(MainWindow, SaysWhenTheDeviceDoesNotRespond) {
    EXPECT_FALSE(app->CheckDevice(false));
    EXPECT_EQ(TheStatusFilter().LastCrc(), StatusTextCrc(u"Error: MIDI Device not responding"));
}

// Reads an About box and closes it, with OK or Escape in turn; ends the loop once none shows.
int gAboutBoxes = 0, gTicks = 0;
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowW(L"#32770", L"About Tavren");
    if (about != nullptr && GetPropW(about, L"seen") == nullptr) {
        SetPropW(about, L"seen", about);
        wchar_t text[1024] = L"";
        GetDlgItemTextW(about, IDC_ABOUT_TEXT, text, 1024);
        EXPECT_EQ(text, AboutText());
        if (gAboutBoxes++ % 2 == 0)
            SendMessageW(GetDlgItem(about, IDCANCEL), BM_CLICK, 0, 0); // the OK button
        else // the dialog manager turns the key into a command as it reads it
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
    if ((about == nullptr && gTicks > 10) || ++gTicks > 40)
        PostQuitMessage(0);
}

TEST_F(MainWindow, AltQuestionMarkAndAltSlashOpenTheAboutBoxEvenFromTheList) {
    // "?" is Shift+/; the shortcuts match the character with Alt held.
    const struct {
        std::vector<WORD> keys;
        HWND focus;
        int boxes;
    } cases[] = {{{VK_MENU, VK_SHIFT, VK_OEM_2}, window, 1},
                 {{VK_SHIFT, VK_OEM_2}, window, 0}, // typing
                 {{VK_MENU, VK_OEM_2}, List(), 1}};
    for (const auto& c : cases) {
        const int before = gAboutBoxes;
        gTicks = 0;
        SetForegroundWindow(window);
        SetFocus(c.focus);
        PumpMessages();
        Type(c.keys);
        UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseAboutBox);
        RunMessageLoop(GetModuleHandleW(nullptr));
        KillTimer(nullptr, timer);
        EXPECT_EQ(gAboutBoxes - before, c.boxes)
            << c.keys.size() << " keys, in the list: " << (c.focus != window);
        EXPECT_LE(gTicks, 40) << "the About box did not close";
    }
}

// A drag of the left button on the right border as a person makes it: the system's size loop
// runs it, and a timer inside that loop moves the pointer, notes what is on screen half-way
// and lets go.
POINT gDragTo;
int gDragStep = 0;
bool gShownWhileDragging = true;

void SendPointer(DWORD flags, POINT at) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}
bool ControlsVisible() {
    return IsWindowVisible(TheApp()->engine->patchList->listWindow) &&
           IsWindowVisible(TheApp()->engine->FindParameter(15)->GetControl()->hwnd);
}
void CALLBACK DragStep(HWND, UINT, UINT_PTR, DWORD) {
    if (gDragStep == 0) {
        SendPointer(0, gDragTo);
    } else if (gDragStep == 3) {
        gShownWhileDragging = ControlsVisible() || TheApp()->sizingState != kSizingResizing;
        SendPointer(MOUSEEVENTF_LEFTUP, gDragTo);
    }
    ++gDragStep;
}

TEST_F(MainWindow, DraggingABorderHidesListAndControlsUntilReleaseAndRescales) {
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0); // the window follows the pointer
    GetSettings().DynamicScale = 1;
    MoveWindow(window, 100, 100, 1000, 700, TRUE);
    PumpMessages();
    const POINT from = {1100 - 2, 400};
    ASSERT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y)), HTRIGHT);
    gDragTo = {from.x + 150, from.y};
    MovePointerTo(from);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, DragStep);
    SendPointer(MOUSEEVENTF_LEFTDOWN, from);
    PumpUntil([] { return gDragStep > 3; }, 5000);
    PumpMessages();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(gShownWhileDragging);
    EXPECT_TRUE(ControlsVisible());
    EXPECT_EQ(app->sizingState, kSizingIdle);
    RECT editor;
    GetClientRect(app->editorPanel->hwnd, &editor);
    EXPECT_GT(editor.right, 1000);
    EXPECT_EQ(app->engine->panel->currentWidth, editor.right);
}

TEST_F(MainWindow, EveryWindowStandsAtItsDesignPlaceAndEveryLeverShowsItsValue) {
    const HWND panel = app->engine->panel->hwnd;
    EXPECT_EQ(Placed(panel), (Box{0, 0, 1920, 869}));
    EXPECT_EQ(Placed(app->engine->statusPanel->hwnd), (Box{45, 700, 207, 135}));
    for (const ParameterRow& row : ParameterTable()) {
        const PanelRect r = PanelLayout::ControlWindow(row);
        EXPECT_EQ(Placed(Control(row.id)), (Box{r.left, r.top, r.width, r.height})) << row.id;
    }

    // Every lever switch shows its lever up when on, down when off.
    const Pixels images[] = {LoadBitmapPixels(IDB_SWITCH_DOWN), LoadBitmapPixels(IDB_SWITCH_UP)};
    for (const ParameterRow& row : ParameterTable())
        for (int value : {1, 0})
            if (row.kind == ControlKind::TwoState && !row.clickToggles) {
                app->engine->FindParameter(row.id)->SetValue(value);
                UpdateWindow(Control(row.id));
                EXPECT_LT(
                    MeanDifference(CaptureClient(Control(row.id)), 0, 0, 24, 60, images[value], 0, 0, 24, 60),
                    2.0)
                    << row.label << " at " << value;
            }
}

TEST_F(MainWindow, APatchDumpSetsEveryControlAndNothingElse) {
    const Bytes dump = FactoryDump(23, 123);
    ASSERT_TRUE(app->engine->LoadPatchDump(dump));
    EXPECT_EQ(app->status, std::vector<std::string>{"Loading 1:23:" + ReadPatchName(dump)});
    // Short by one byte of what a dump needs: nothing changes, nothing is said.
    EXPECT_FALSE(app->engine->LoadPatchDump(Bytes(dump.begin(), dump.begin() + 184)));
    EXPECT_EQ(app->status.size(), 1u);
    const std::vector<DecodedValue> values = DecodeParameters(dump).value();
    for (const DecodedValue& decoded : values)
        EXPECT_EQ(Value(decoded.id), decoded.value) << decoded.id;
    app->engine->SetParameterValue(15, 300);
    EXPECT_EQ(Value(15), 255) << "a knob shows at most its maximum";
    EXPECT_TRUE(app->sent.empty()) << "values set by the program are not sent";

    EXPECT_FALSE(app->patchBank.StoreDump(4, 0, dump) || app->patchBank.StoreDump(2, 100, dump));
}

// Nothing selected: the list answers LB_ERR, which names no patch.
TEST_F(MainWindow, TheListAsksForRealRowsOnly) {
    app->patchBank.SwitchBank(1);
    app->programChanges.clear();
    SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (int code : {LBN_SELCHANGE, LBN_DBLCLK})
        SendMessageW(app->engine->panel->hwnd, WM_COMMAND, MAKEWPARAM(1002, code),
                     reinterpret_cast<LPARAM>(List()));
    EXPECT_TRUE(app->selected.empty() && app->programChanges.empty());
}

TEST_F(MainWindow, DynamicScalingFollowsTheWidthRoundsAndReturnsToNaturalSize) {
    GetSettings().DynamicScale = 1;
    Pro800Engine& engine = *app->engine;
    engine.Resize(960, 600);
    EXPECT_EQ(std::make_pair(engine.panel->currentWidth, engine.panel->currentHeight),
              std::make_pair(960, 434));
    for (const ParameterRow& row : ParameterTable()) { // halves round up
        const int x = (row.x + 1) / 2, y = (row.y + 1) / 2;
        const POINT expected = row.kind == ControlKind::Knob ? Knob::WindowOrigin(x, y) : POINT{x, y};
        const RECT placed = RectInParent(Control(row.id));
        EXPECT_EQ(std::make_pair(placed.left, placed.top), std::make_pair(expected.x, expected.y)) << row.id;
    }
    EXPECT_EQ(Placed(List()), (Box{25, 57, 100, 285}));
    EXPECT_EQ(std::make_pair(engine.statusPanel->maxLines, SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0)),
              std::make_pair(4, LRESULT(16)));
    // What the panel no longer covers is drawn anew: no knob is left behind there. The
    // frames the knobs show were rendered beside the picture, not in the repaint.
    const int frames = Knob::Sprites()->frameRenders;
    const Pixels shot = DrawnAsOne("rescaled");
    EXPECT_EQ(Knob::Sprites()->frameRenders, frames);
    EXPECT_EQ(shot.At(1222, 261), shot.At(1500, 700));
    // The panel shows its picture at half size: the frames and titles of OSCILLATOR A.
    const Pixels panel = LoadBitmapPixels(IDB_PANEL);
    EXPECT_LT(MeanDifference(shot, 139, 7, 20, 75, panel, 278, 14, 40, 150), 8.0);

    // So is the window just shown, as the program opens it.
    ShowWindow(window, SW_HIDE);
    ShowWindow(window, SW_SHOW);
    engine.panel->ValidateControls();
    DrawnAsOne("shown");

    GetSettings().DynamicScale = 0;
    engine.Resize(960, 600);
    EXPECT_EQ(Placed(Control(15)), (Box{1184, 223, 77, 77}));
    EXPECT_EQ(std::make_pair(engine.statusPanel->maxLines, SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0)),
              std::make_pair(9, LRESULT(30)));
}

// A stored patch becomes the current one of its bank, and shows.
TEST_F(MainWindow, AFactoryPatchShowsOnTheWholeFrontPanel) {
    app->patchBank.SwitchBank(2);
    ASSERT_TRUE(app->patchBank.StoreDump(0, 1, LoadFactoryBank().at(1)));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const Pixels shot = CaptureClient(window);
    const Pixels panel = LoadBitmapPixels(IDB_PANEL);

    // The frames and titles of OSCILLATOR A where no control stands.
    EXPECT_LT(MeanDifference(shot, 278, kPanelTop + 14, 40, 150, panel, 278, 14, 40, 150), 1.0);

    // The knob that the patch turns furthest shows the sprite frame of its value, painted
    // through its mask onto the panel.
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

    // Bank 0 is lit; the list selects row 1 in white; the status panel says which patch was loaded.
    EXPECT_EQ((std::vector<int>{Value(1200), Value(1201), Value(1202), Value(1203)}),
              (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(Row(1) + L"|" + Row(2), L"01 : Classical Brass|02 : [not loaded]");
    EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(app->engine->statusPanel->lines.back(), L"Loading 0:1:Classical Brass");
    int white = 0;
    for (int y = kPanelTop + 115 + 35; y < kPanelTop + 115 + 70; ++y)
        for (int x = 50; x < 250; ++x)
            white += shot.At(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 20);
}

} // namespace
