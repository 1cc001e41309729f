// The main window with the whole front panel in it: control changes, status lines,
// dragging the frame, and what the screen shows once a factory patch is loaded.
#include "app/Settings.h"
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

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class EditorWindowTest : public MainWindowTest {
  protected:
    HWND Control(int id) { return app->engine->FindParameter(id)->GetControl()->hwnd; }
    int Value(int id) { return app->engine->FindParameter(id)->GetValue(); }
    HWND List() { return app->engine->patchList->listWindow; }
};

TEST_F(EditorWindowTest, BankButtonsAskForTheirBankAndOtherControlsSendAControlChange) {
    Open();
    app->ControlChanged(1201, 1);
    EXPECT_EQ((std::vector<int>{Value(1200), Value(1201), Value(1202), Value(1203)}),
              (std::vector<int>{0, 1, 0, 0}));
    EXPECT_EQ(app->banksLoaded, std::vector<int>{1});
    EXPECT_TRUE(app->sent.empty());

    const struct {
        int id, value;
        std::vector<Bytes> sent;
    } cases[] = {
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
    EXPECT_EQ(app->banksLoaded, std::vector<int>{1});
}

TEST_F(EditorWindowTest, StatusLinesFillTheStatusPanelUpToItsLimit) {
    GetSettings().DynamicScale = 0;
    Open();
    StatusPanel* panel = app->engine->statusPanel;
    panel->maxLines = 4; // as the panel starts, before any rescale
    for (const char* text : {"one", "two", "two", "three", "four", "five"})
        app->ShowStatus(text);
    EXPECT_EQ(std::vector<std::wstring>(panel->lines.begin(), panel->lines.end()),
              (std::vector<std::wstring>{L"two", L"three", L"four", L"five"}));
    EXPECT_EQ(panel->lineCount, 4);
}

// A drag of the left mouse button from one screen point to another, as a person makes
// it: the system's move or size loop runs it, and a timer inside that loop moves the
// pointer, notes what is on screen half-way and lets go.
struct Drag {
    POINT to;
    int step = 0;
    bool listVisible = false;
    bool knobVisible = false;
    int sizingState = -1;
};
Drag* gDrag = nullptr;
HWND gDragList = nullptr;
HWND gDragKnob = nullptr;

void SendPointer(DWORD flags, POINT at) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

void CALLBACK DragStep(HWND, UINT, UINT_PTR, DWORD) {
    Drag& drag = *gDrag;
    if (drag.step == 0) {
        SendPointer(0, drag.to);
    } else if (drag.step == 3) {
        drag.listVisible = IsWindowVisible(gDragList) != FALSE;
        drag.knobVisible = IsWindowVisible(gDragKnob) != FALSE;
        drag.sizingState = TheApp()->sizingState;
        SendPointer(MOUSEEVENTF_LEFTUP, drag.to);
    }
    ++drag.step;
}

TEST_F(EditorWindowTest, DraggingABorderHidesListAndControlsUntilReleaseTheTitleBarNothing) {
    BOOL fullDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    Open();
    MoveWindow(window, 100, 100, 1000, 700, TRUE);
    SetForegroundWindow(window);
    PumpMessages();
    gDragList = List();
    gDragKnob = Control(15);
    // Each drag starts at a point of the frame as it is then and moves by (dx, dy).
    const struct {
        const char* what;
        LRESULT hit;
        int dx, dy;
        bool hides;
    } drags[] = {
        {"title bar", HTCAPTION, 50, 30, false},
        {"right border", HTRIGHT, 150, 0, true},
    };
    for (const auto& d : drags) {
        RECT frame;
        GetWindowRect(window, &frame);
        const POINT from = d.hit == HTCAPTION
                               ? POINT{frame.left + 300, frame.top + GetSystemMetrics(SM_CYFRAME) +
                                                             GetSystemMetrics(SM_CYCAPTION) / 2}
                               : POINT{frame.right - 2, frame.top + 300};
        ASSERT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y)), d.hit) << d.what;
        RECT before;
        GetWindowRect(window, &before);
        Drag drag;
        drag.to = POINT{from.x + d.dx, from.y + d.dy};
        gDrag = &drag;
        SetCursorPos(from.x, from.y);
        PumpMessages();
        UINT_PTR timer = SetTimer(nullptr, 0, 30, DragStep);
        SendPointer(MOUSEEVENTF_LEFTDOWN, from);
        PumpUntil([&] { return drag.step > 3; }, 5000);
        PumpMessages();
        KillTimer(nullptr, timer);
        gDrag = nullptr;
        RECT after;
        GetWindowRect(window, &after);
        EXPECT_EQ(drag.listVisible, !d.hides) << d.what;
        EXPECT_EQ(drag.knobVisible, !d.hides) << d.what;
        EXPECT_EQ(drag.sizingState, d.hides ? kSizingResizing : kSizingEntered) << d.what;
        EXPECT_NE(std::vector<LONG>({before.left, before.top, before.right, before.bottom}),
                  std::vector<LONG>({after.left, after.top, after.right, after.bottom}))
            << d.what << ": the window did not follow the drag";
        EXPECT_TRUE(IsWindowVisible(List()) && IsWindowVisible(Control(15))) << d.what;
        EXPECT_EQ(app->sizingState, kSizingIdle) << d.what;
    }
    // The border drag rescaled the panel to the new width.
    RECT editor;
    GetClientRect(app->editorPanel->hwnd, &editor);
    EXPECT_EQ(app->engine->panel->currentWidth, editor.right);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullDrag, nullptr, 0);
}

// Where the main panel's pixel (x, y) lands in the main window's client area.
constexpr int kPanelTop = 26;

TEST_F(EditorWindowTest, AFactoryPatchShowsOnTheWholeFrontPanel) {
    GetSettings().DynamicScale = 0;
    Open();
    MoveWindow(window, 0, 0, 1600, 1000, TRUE);
    const Bytes dump = LoadFactoryBank().at(1);
    ASSERT_TRUE(app->patchBank.StoreDump(0, 1, dump));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const Pixels shot = CaptureClient(window);
    const Pixels panel = LoadBitmapPixels(IDB_PANEL);

    // The panel: the frames and titles of OSCILLATOR A where no control stands.
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
        Pixels expected;
        expected.width = image.width;
        expected.height = image.height;
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

    // A lever switch that the patch turns on shows image 141.
    const ParameterRow* lever = nullptr;
    for (const ParameterRow& row : ParameterTable())
        if (row.kind == ControlKind::TwoState && !row.clickToggles && Value(row.id) != 0)
            lever = &row;
    ASSERT_NE(lever, nullptr);
    auto leverDifference = [&](int image) {
        return MeanDifference(shot, lever->x, kPanelTop + lever->y, 24, 60, LoadBitmapPixels(image), 0, 0, 24,
                              60);
    };
    EXPECT_LT(leverDifference(IDB_SWITCH_UP), 1.0) << lever->id;
    EXPECT_GT(leverDifference(IDB_SWITCH_DOWN), 5.0) << lever->id;

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
