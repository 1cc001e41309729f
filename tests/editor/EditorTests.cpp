// The front panel that BuildEditor makes, driven through the engine and the patch bank
// on real windows under Wine: places, patch dumps, the patch list, scaling, panning.

#include "app/Settings.h"
#include "controls/ControlClasses.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"
#include "controls/Listbox.h"
#include "controls/MainPanel.h"
#include "controls/StatusPanel.h"
#include "editor/PanelLayout.h"
#include "engine/Parameter.h"
#include "engine/PatchBank.h"
#include "engine/PatchDump.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/FakeHost.h"
#include "tests/support/Pixels.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

// Where a window stands in its parent, as "(left, top) width x height".
std::string Placed(HWND window) {
    return Describe(RectInParent(window));
}
std::string At(int left, int top, int width, int height) {
    return Describe(RECT{left, top, left + width, top + height});
}
std::string At(const PanelRect& r) {
    return At(r.left, r.top, r.width, r.height);
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::wstring ListText(HWND list, int row) {
    wchar_t text[128] = L"";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// A factory dump that says it is patch `number`.
std::vector<uint8_t> FactoryDump(int index, int number) {
    std::vector<uint8_t> dump = LoadFactoryBank().at(static_cast<size_t>(index));
    dump[9] = static_cast<uint8_t>(number & 0x7F);
    dump[10] = static_cast<uint8_t>(number >> 7);
    return dump;
}

// The front panel built as the application builds it, on one parent window that the
// whole program shares (a top-level window under Wine takes seconds to go away).
class EditorTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterControlClasses(GetModuleHandleW(nullptr));
        static TestWindow* shared = new TestWindow(1920, 900);
        parent = shared->hwnd();
        MoveWindow(parent, 0, 0, 1920, 900, TRUE);
        GetSettings().DynamicScale = 1;
        host.patchBank = &bank;
        bank.host = &host;
        engine = std::make_unique<Pro800Engine>();
        engine->BuildEditor(&host, parent, GetModuleHandleW(nullptr), RECT{0, 0, 3840, 900});
        bank.engine = engine.get();
        hiddenAfterBuild = !IsWindowVisible(engine->panel->hwnd);
        engine->ShowEditor(&host, parent, GetModuleHandleW(nullptr));
        PumpMessages();
    }
    void TearDown() override {
        engine.reset();
        GetSettings().DynamicScale = 1;
        if (KnobSprites* sprites = Knob::Sprites())
            sprites->SetScale(1.0);
        PumpMessages();
    }

    HWND Control(int id) { return engine->FindParameter(id)->GetControl()->hwnd; }
    HWND List() { return engine->patchList->listWindow; }
    int Value(int id) { return engine->FindParameter(id)->GetValue(); }

    HWND parent = nullptr;
    FakeHost host;
    PatchBank bank;
    std::unique_ptr<Pro800Engine> engine;
    bool hiddenAfterBuild = false;
};

TEST_F(EditorTest, EveryWindowStandsAtItsDesignPlace) {
    EXPECT_TRUE(hiddenAfterBuild);
    // Where the layout puts each control is written out in the native layout tests.
    EXPECT_EQ(Placed(engine->panel->hwnd), At(0, 0, 1920, 869));
    EXPECT_EQ(engine->FindParameter(15)->GetCenter().x, 1222);
    EXPECT_EQ(Placed(List()), At(PanelLayout::Get().PatchList()));
    EXPECT_EQ(GetDlgCtrlID(List()), 1002);
    EXPECT_EQ(Placed(engine->statusPanel->hwnd), At(45, 700, 207, 135));
    EXPECT_EQ(engine->statusPanel->controlId, 1003);

    const std::vector<Parameter*> parameters = engine->parameters.GetParameters();
    ASSERT_EQ(parameters.size(), 58u);
    for (const ParameterRow& row : ParameterTable())
        EXPECT_EQ(Placed(Control(row.id)), At(PanelLayout::ControlWindow(row))) << row.id;

    // 60 windows: that none overlaps another is checked on the layout itself.
    EXPECT_EQ(Children(engine->panel->hwnd).size(), 60u);
    // The keyboard switch shows the lever at the bottom, image 147.
    const Pixels keyboard = CaptureClient(Control(60));
    EXPECT_LT(MeanDifference(keyboard, 0, 0, 24, 75, LoadBitmapPixels(IDB_LEVER_BOTTOM), 0, 0, 24, 75), 2.0);
    // Every lever switch shows its lever up when on, down when off.
    const Pixels images[] = {LoadBitmapPixels(IDB_SWITCH_DOWN), LoadBitmapPixels(IDB_SWITCH_UP)};
    for (const ParameterRow& row : ParameterTable()) {
        if (row.kind != ControlKind::TwoState || row.clickToggles)
            continue;
        for (int value : {1, 0}) {
            engine->FindParameter(row.id)->SetValue(value);
            UpdateWindow(Control(row.id));
            EXPECT_LT(
                MeanDifference(CaptureClient(Control(row.id)), 0, 0, 24, 60, images[value], 0, 0, 24, 60),
                2.0)
                << row.label << " at " << value;
        }
    }
}

TEST_F(EditorTest, PatchDumpSetsEveryControlAndSaysWhichPatch) {
    const std::vector<uint8_t> dump = FactoryDump(23, 123);
    ASSERT_TRUE(engine->LoadPatchDump(dump));
    EXPECT_EQ(host.statusLines, std::vector<std::string>{"Loading 1:23:" + ReadPatchName(dump)});
    const std::vector<DecodedValue> values = DecodeParameters(dump).value();
    EXPECT_EQ(values.size(), 54u);
    for (const DecodedValue& decoded : values)
        EXPECT_EQ(Value(decoded.id), decoded.value) << decoded.id;

    // Too short by one byte: nothing changes, nothing is said.
    const std::vector<uint8_t> shortDump(dump.begin(), dump.begin() + 184);
    EXPECT_FALSE(engine->LoadPatchDump(shortDump));
    EXPECT_EQ(host.statusLines.size(), 1u);
    for (const DecodedValue& decoded : values)
        EXPECT_EQ(Value(decoded.id), decoded.value) << decoded.id;

    engine->SetParameterValue(15, 300);
    EXPECT_EQ(Value(15), 255) << "a knob shows at most its maximum";
    engine->SetParameterValue(4242, 1);
    EXPECT_EQ(engine->FindParameter(4242), nullptr);
    EXPECT_TRUE(host.changes.empty()) << "values set by the program are not reported";
}

TEST_F(EditorTest, StoredDumpBecomesTheCurrentPatchOfItsBank) {
    bank.SwitchBank(0);
    ASSERT_EQ(SendMessageW(List(), LB_GETCOUNT, 0, 0), 100);
    const std::vector<uint8_t> dump = FactoryDump(4, 4);
    EXPECT_FALSE(bank.StoreDump(4, 0, dump));
    EXPECT_FALSE(bank.StoreDump(2, 100, dump));
    EXPECT_EQ(bank.bank, 0);

    ASSERT_TRUE(bank.StoreDump(2, 7, dump));
    EXPECT_EQ(bank.bank, 2);
    EXPECT_EQ(bank.program, 7);
    const int buttons[] = {Value(1200), Value(1201), Value(1202), Value(1203)};
    EXPECT_EQ(std::vector<int>(buttons, buttons + 4), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(SendMessageW(List(), LB_GETCOUNT, 0, 0), 100);
    EXPECT_EQ(ListText(List(), 7), L"07 : " + Wide(ReadPatchName(dump)));
    EXPECT_EQ(ListText(List(), 6), L"06 : [not loaded]");
    EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 7);
    EXPECT_EQ(host.statusLines.back(), "Loading 0:4:" + ReadPatchName(dump));

    std::vector<uint8_t> unnamed = LoadFactoryBank().at(9);
    unnamed[183] = 0x00;
    ASSERT_TRUE(bank.StoreDump(2, 7, unnamed));
    EXPECT_EQ(ListText(List(), 7), L"07 : [Unnamed]") << "a second dump replaces the first";

    // Rows paint red, the selected one white.
    UpdateWindow(List());
    const Pixels list = CaptureClient(List());
    auto countColour = [&](int row, DWORD colour) {
        RECT r;
        SendMessageW(List(), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                count += list.At(x, y) == colour;
        return count;
    };
    EXPECT_GT(countColour(7, 0xFFFFFF), 20);
    EXPECT_EQ(countColour(7, 0xFF0000), 0);
    EXPECT_GT(countColour(6, 0xFF0000), 20);
    EXPECT_EQ(countColour(6, 0xFFFFFF), 0);
}

TEST_F(EditorTest, ListAsksForRealRowsOnly) {
    bank.SwitchBank(1);
    bank.slots[103] = PatchSlot{true, FactoryDump(3, 103)};
    const HWND panel = engine->panel->hwnd;
    auto notify = [&](int code) {
        return SendMessageW(panel, WM_COMMAND, MAKEWPARAM(1002, code), reinterpret_cast<LPARAM>(List()));
    };
    // Nothing selected: the list answers LB_ERR, which names no patch.
    SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(notify(LBN_SELCHANGE), 0);
    EXPECT_EQ(notify(LBN_DBLCLK), 1);
    EXPECT_TRUE(host.selected.empty());
    EXPECT_TRUE(host.programChanges.empty());

    // A click on an unloaded row asks the host for it; the list leaves the program alone.
    RECT row;
    SendMessageW(List(), LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&row));
    SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 5, row.top + 5));
    SendMessageW(List(), WM_LBUTTONUP, 0, MAKELPARAM(row.left + 5, row.top + 5));
    PumpMessages();
    EXPECT_EQ(host.selected, (std::vector<std::pair<int, int>>{{1, 5}}));
    EXPECT_EQ(bank.program, -1);

    // A loaded row is shown from the cache and nothing is asked.
    SendMessageW(List(), LB_SETCURSEL, 3, 0);
    EXPECT_EQ(notify(LBN_SELCHANGE), 0);
    EXPECT_EQ(host.selected.size(), 1u);
    EXPECT_EQ(bank.program, 3);
    EXPECT_EQ(host.statusLines.back().rfind("Loading 1:3:", 0), 0u);
    EXPECT_EQ(notify(LBN_DBLCLK), 1);
    EXPECT_EQ(host.programChanges, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(notify(LBN_SETFOCUS), 0);
    EXPECT_EQ(notify(LBN_SELCANCEL), 1);
}

TEST_F(EditorTest, DynamicScalingFollowsTheWidthAndReturnsOnce) {
    for (double factor : {0.5, 0.75, 1.25}) {
        engine->Resize(static_cast<int>(1920 * factor), 600);
        EXPECT_TRUE(ScaleApplied());
        EXPECT_EQ(engine->panel->currentWidth, static_cast<int>(1920 * factor));
        EXPECT_EQ(engine->panel->currentHeight, static_cast<int>(869 * factor));
        for (const ParameterRow& row : ParameterTable()) {
            const int x = static_cast<int>(row.x * factor + 0.5);
            const int y = static_cast<int>(row.y * factor + 0.5);
            const POINT expected = row.kind == ControlKind::Knob ? Knob::WindowOrigin(x, y) : POINT{x, y};
            const RECT placed = RectInParent(Control(row.id));
            EXPECT_EQ(placed.left, expected.x) << row.id << " at " << factor;
            EXPECT_EQ(placed.top, expected.y) << row.id << " at " << factor;
        }
    }
    engine->Resize(960, 600);
    // 105 and 55 at 0.5 round up to 53 and 28; the status panel keeps four lines.
    EXPECT_EQ(Placed(Control(1201)), At(53, 25, 22, 22));
    EXPECT_EQ(RectInParent(Control(1200)).left, 28);
    EXPECT_EQ(Placed(engine->statusPanel->hwnd), At(22, 350, 104, 67));
    EXPECT_EQ(engine->statusPanel->maxLines, 4);
    EXPECT_EQ(Placed(List()), At(25, 57, 100, 285));
    EXPECT_EQ(SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0), 16);
    EXPECT_EQ(Placed(Control(15)), At(590, 110, 43, 43));
    // What the panel no longer covers is drawn anew: no knob is left behind there.
    PumpMessages();
    EXPECT_EQ(CaptureClient(parent).At(1222, 261), 0u);

    GetSettings().DynamicScale = 0;
    engine->Resize(960, 600);
    EXPECT_FALSE(ScaleApplied());
    EXPECT_EQ(Placed(Control(15)), At(1184, 223, 77, 77));
    EXPECT_EQ(Placed(engine->panel->hwnd), At(0, 0, 1920, 869));
    EXPECT_EQ(engine->statusPanel->maxLines, 9);
    EXPECT_EQ(SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0), 30);
    MoveWindow(Control(15), 0, 0, 77, 77, FALSE);
    engine->Resize(960, 600);
    EXPECT_EQ(RectInParent(Control(15)).left, 0) << "natural size is restored once";
}

TEST_F(EditorTest, PanningAndWheelKeepThePanelOverItsParent) {
    MoveWindow(parent, 0, 0, 1280, 600, TRUE);
    const HWND panel = engine->panel->hwnd;
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
        MoveCursorTo(parent, cursorX, 300);
        SendMessageW(panel, WM_MOUSEMOVE, MK_MBUTTON, 0);
        EXPECT_EQ(RectInParent(panel).left, expectedLeft) << cursorX;
    }
    SendMessageW(panel, WM_MBUTTONUP, 0, 0);
    EXPECT_FALSE(engine->panel->panning);
}

} // namespace
