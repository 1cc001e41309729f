// The parameter classes and their registry on real windows under Wine: values shown
// on the controls, geometry, MIDI conversions and the table-driven build of all 58.

#include "controls/ControlClasses.h"
#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "engine/AL1ImageToggle4StateParameter.h"
#include "engine/AL1ImageToggleParameter.h"
#include "engine/AL1KnobParameter.h"
#include "engine/ParameterRegistry.h"
#include "engine/ParameterTable.h"
#include "engine/TableParameters.h"
#include "resources/ResourceIds.h"
#include "tests/support/FakeHost.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kDuplicate[] = "Definition error. Duplicate parameter ID.";

// One parent window for the whole suite (making and destroying a top-level window
// under Wine costs about two seconds); each test leaves it without children.
class ParameterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        RegisterControlClasses(GetModuleHandleW(nullptr));
        window = new TestWindow(1920, 900);
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
    }
    void TearDown() override { DestroyChildren(parent()); }

    HWND parent() const { return window->hwnd(); }
    HINSTANCE instance() const { return GetModuleHandleW(nullptr); }

    std::unique_ptr<AL1KnobParameter> MakeKnob(int x, int y, int maximum, int id,
                                               const char* name = "CUTOFF") {
        return std::make_unique<AL1KnobParameter>(&host, parent(), instance(), x, y, maximum, id, name,
                                                  KnobToCc, CcToKnob);
    }
    std::unique_ptr<AL1ImageToggleParameter> MakeSwitch(int x, int y, int id, bool clickToggles = false) {
        return std::make_unique<AL1ImageToggleParameter>(&host, parent(), instance(), x, y, IDB_SWITCH_DOWN,
                                                         IDB_SWITCH_UP, clickToggles, id, SwitchToCc,
                                                         CcToSwitch);
    }

    static TestWindow* window;
    FakeHost host;
};

TestWindow* ParameterTest::window = nullptr;

// The window's rectangle in its parent's client coordinates.
RECT PlacedRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectPlaced(HWND control, int left, int top, int width, int height) {
    const RECT r = PlacedRect(control);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

// True when part of the window waits to be repainted.
bool NeedsPaint(HWND control) {
    return GetUpdateRect(control, nullptr, FALSE) != FALSE;
}

// What the window shows after it has painted itself: its pixels read back from the screen.
std::vector<COLORREF> Snapshot(HWND control) {
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
    RECT client;
    GetClientRect(control, &client);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(control);
    for (int y = 0; y < client.bottom; y += 3) {
        for (int x = 0; x < client.right; x += 3)
            pixels.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(control, dc);
    return pixels;
}

} // namespace

TEST_F(ParameterTest, KnobShowsValuesClampedToItsRangeWithoutTellingTheHost) {
    auto knob = MakeKnob(1222, 261, 255, 15);
    EXPECT_EQ(knob->GetValue(), 0) << "every parameter starts at 0";
    knob->SetValue(300);
    EXPECT_EQ(knob->GetValue(), 255);
    knob->SetValue(-1);
    EXPECT_EQ(knob->GetValue(), 0);
    knob->SetValue(128);
    EXPECT_EQ(static_cast<Knob*>(knob->GetControl())->value, 128);

    auto shape = MakeKnob(516, 597, 5, 57, "LFO SHAPE");
    shape->SetValue(6);
    EXPECT_EQ(shape->GetValue(), 5);
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(ParameterTest, KnobRepaintsOnlyWhenItsValueChangesAndItIsActive) {
    auto knob = MakeKnob(371, 96, 255, 8);
    HWND hwnd = knob->GetControl()->hwnd;
    ASSERT_NE(hwnd, nullptr);
    knob->SetValue(40);
    PumpMessages();
    ValidateRect(hwnd, nullptr);
    knob->SetValue(40);
    EXPECT_FALSE(NeedsPaint(hwnd)) << "the current value does not repaint";
    knob->SetValue(41);
    EXPECT_TRUE(NeedsPaint(hwnd));

    knob->SetActive(false);
    EXPECT_FALSE(knob->IsActive());
    ValidateRect(hwnd, nullptr);
    knob->SetValue(42);
    EXPECT_EQ(knob->GetValue(), 42);
    EXPECT_FALSE(NeedsPaint(hwnd)) << "an inactive knob paints nothing";
}

TEST_F(ParameterTest, TwoStateToggleAtAnyNonzeroValuePaintsItsOnImage) {
    auto lever = MakeSwitch(503, 78, 54);
    HWND hwnd = lever->GetControl()->hwnd;
    ASSERT_NE(hwnd, nullptr);
    PumpMessages();
    const std::vector<COLORREF> off = Snapshot(hwnd);
    lever->SetValue(1);
    const std::vector<COLORREF> on = Snapshot(hwnd);
    ASSERT_NE(on, off) << "the two images differ";
    lever->SetValue(5);
    EXPECT_EQ(Snapshot(hwnd), on);
    lever->SetValue(0);
    EXPECT_EQ(Snapshot(hwnd), off);
}

TEST_F(ParameterTest, CentreOfAKnobIsItsOriginOfAToggleTheMiddleOfItsWindow) {
    auto knob = MakeKnob(371, 96, 255, 8);
    EXPECT_EQ(knob->GetCenter().y, 96);
    ExpectPlaced(knob->GetControl()->hwnd, 333, 58, 77, 77);

    auto lever = MakeSwitch(503, 78, 54);
    EXPECT_EQ(lever->GetCenter().x, 515);
    EXPECT_EQ(lever->GetCenter().y, 108);
    ExpectPlaced(lever->GetControl()->hwnd, 503, 78, 24, 60);

    AL1ImageToggle4StateParameter freqAdj(&host, parent(), instance(), 1185, 62, 68, FreqAdjToCc,
                                          CcToFreqAdj);
    EXPECT_EQ(freqAdj.GetCenter().x, 1197);
    EXPECT_EQ(freqAdj.GetCenter().y, 99) << "75 / 2 truncated";
    ExpectPlaced(freqAdj.GetControl()->hwnd, 1185, 62, 24, 75);
}

TEST_F(ParameterTest, TransformsAreCalledWithTheirParameterOrPassValuesThrough) {
    AL1ImageToggleParameter bank(&host, parent(), instance(), 55, 50, IDB_BANK1_OFF, IDB_BANK1_ON, true, 1200,
                                 nullptr, ValueTransform());
    EXPECT_EQ(bank.ToMidi(1000), 1000);
    EXPECT_EQ(bank.FromMidi(-3), -3);
    Parameter* seen = nullptr;
    AL1ImageToggleParameter custom(
        &host, parent(), instance(), 612, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 48,
        [&seen](Parameter* p, int v) {
            seen = p;
            return v + 100;
        },
        CcToSwitch);
    EXPECT_EQ(custom.ToMidi(1), 101);
    EXPECT_EQ(seen, &custom);
    EXPECT_EQ(custom.FromMidi(77), 1);
}

namespace {

// A parameter known under a second key as well, which no class of the program has.
class TwoKeySwitch : public AL1ImageToggleParameter {
  public:
    TwoKeySwitch(IHost* host, HWND parent, int id, int secondary)
        : AL1ImageToggleParameter(host, parent, GetModuleHandleW(nullptr), 0, 0, IDB_SWITCH_DOWN,
                                  IDB_SWITCH_UP, false, id, nullptr, nullptr),
          secondaryId(secondary) {}
    int GetSecondaryId() override { return secondaryId; }
    int secondaryId;
};

} // namespace

TEST_F(ParameterTest, RegistryReportsEachDuplicateAndTheNewerWins) {
    ParameterRegistry registry(&host);
    auto first = MakeKnob(371, 96, 255, 8);
    auto second = MakeSwitch(503, 78, 8);
    auto third = MakeKnob(880, 96, 255, 8);
    auto other = MakeKnob(1025, 96, 255, 9);

    registry.Add(first.get());
    EXPECT_EQ(first->GetOwner(), &registry);
    EXPECT_EQ(registry.Find(8), first.get());
    EXPECT_TRUE(host.statusLines.empty());
    registry.Add(second.get());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{kDuplicate});
    EXPECT_EQ(registry.Find(8), second.get());
    registry.Add(other.get());
    registry.Add(third.get());
    EXPECT_EQ(host.statusLines, (std::vector<std::string>{kDuplicate, kDuplicate}));
    EXPECT_EQ(registry.Find(8), third.get());
    EXPECT_EQ(registry.Find(9), other.get());
    EXPECT_EQ(registry.GetParameters(),
              (std::vector<Parameter*>{first.get(), second.get(), other.get(), third.get()}));
    EXPECT_EQ(second->GetOwner(), &registry);
    EXPECT_EQ(registry.Find(10), nullptr);
}

TEST_F(ParameterTest, RegistryWithoutAHostRegistersDuplicatesSilently) {
    ParameterRegistry registry;
    EXPECT_EQ(registry.host, nullptr);
    auto first = MakeKnob(371, 96, 255, 8);
    auto second = MakeKnob(880, 96, 255, 8);
    registry.Add(first.get());
    registry.Add(second.get());
    EXPECT_EQ(registry.Find(8), second.get());
    EXPECT_EQ(registry.GetParameters().size(), 2u);
    EXPECT_TRUE(host.statusLines.empty());
}

TEST_F(ParameterTest, RegistryNeverFindsIdZeroAndHandsOutACopy) {
    ParameterRegistry registry(&host);
    auto zero = MakeSwitch(503, 78, 0);
    auto zeroAgain = MakeSwitch(612, 78, 0);
    registry.Add(zero.get());
    registry.Add(zeroAgain.get());
    EXPECT_EQ(registry.Find(0), nullptr);
    EXPECT_EQ(registry.GetParameters().size(), 2u) << "listed all the same";
    EXPECT_TRUE(host.statusLines.empty()) << "0 is no key, so it is never a duplicate";

    std::vector<Parameter*> copy = registry.GetParameters();
    copy.clear();
    EXPECT_EQ(registry.GetParameters().size(), 2u);

    TwoKeySwitch twoKeys(&host, parent(), 20, 90);
    registry.Add(&twoKeys);
    EXPECT_EQ(registry.Find(20), &twoKeys);
    EXPECT_EQ(registry.Find(90), &twoKeys);
    TwoKeySwitch zeroSecond(&host, parent(), 21, 0);
    registry.Add(&zeroSecond);
    EXPECT_EQ(registry.Find(0), nullptr);
    EXPECT_EQ(registry.Find(21), &zeroSecond);
}

TEST_F(ParameterTest, TheTableBuildsAllFiftyEightParameters) {
    ParameterRegistry registry(&host);
    CreateTableParameters(registry, &host, parent(), instance());
    const std::vector<Parameter*> parameters = registry.GetParameters();
    ASSERT_EQ(parameters.size(), 58u);
    EXPECT_TRUE(host.statusLines.empty()) << "no duplicate ID in the table";

    int knobs = 0, twoState = 0, threeState = 0, fourState = 0, buttons = 0;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const ParameterRow& row = ParameterTable()[i];
        Parameter* p = parameters[i];
        SCOPED_TRACE("ID " + std::to_string(row.id));
        EXPECT_EQ(registry.Find(row.id), p);
        ASSERT_EQ(GetParent(p->GetControl()->hwnd), parent());
        if (dynamic_cast<AL1KnobParameter*>(p)) {
            ++knobs;
            EXPECT_EQ(static_cast<Knob*>(p->GetControl())->maxValue, row.maxValue);
            continue;
        }
        auto* toggle = static_cast<ImageToggleBase*>(p->GetControl());
        EXPECT_EQ(toggle->PositionCount(), row.maxValue + 1);
        EXPECT_EQ(toggle->clickToggles, row.clickToggles);
        if (dynamic_cast<ImageToggle*>(toggle))
            (row.clickToggles ? buttons : twoState)++;
        else if (dynamic_cast<ImageToggle3State*>(toggle))
            ++threeState;
        else if (dynamic_cast<ImageToggle4State*>(toggle))
            ++fourState;
    }
    EXPECT_EQ(knobs, 32);
    EXPECT_EQ(twoState, 18);
    EXPECT_EQ(threeState, 1);
    EXPECT_EQ(fourState, 3);
    EXPECT_EQ(buttons, 4);

    // The MIDI conversions of the table, through the parameters.
    const struct {
        int id, value, toMidi, midi, fromMidi;
    } conversions[] = {{15, 255, 127, 127, 254}, {48, 1, 64, 99, 1},   {74, 1, 127, 127, 1},
                       {76, 1, 124, 124, 1},     {75, 1, 126, 126, 1}, {60, 2, 86, 50, 50},
                       {68, 3, 96, 96, 3},       {59, 2, 66, 66, 2},   {57, 5, 110, 30, 0},
                       {1201, 1, 1, 7, 7}};
    for (const auto& c : conversions) {
        EXPECT_EQ(registry.Find(c.id)->ToMidi(c.value), c.toMidi) << c.id;
        EXPECT_EQ(registry.Find(c.id)->FromMidi(c.midi), c.fromMidi) << c.id;
    }

    for (Parameter* p : parameters)
        delete p;
}

TEST_F(ParameterTest, DeletingAParameterDeletesItsControlAndLeavesTheWindowInert) {
    auto knob = MakeKnob(371, 96, 255, 8);
    HWND hwnd = knob->GetControl()->hwnd;
    ASSERT_EQ(reinterpret_cast<CustomControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), knob->GetControl());
    knob.reset();
    EXPECT_TRUE(IsWindow(hwnd)) << "the window goes away with its parent";
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    InvalidateRect(hwnd, nullptr, FALSE);
    PumpMessages();
    EXPECT_TRUE(host.changes.empty());
}
