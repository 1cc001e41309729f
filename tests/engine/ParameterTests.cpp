// The parameter classes and their registry on real windows under Wine: the
// table-driven build of all 58, their places and MIDI conversions, duplicates in the
// registry and what deleting a parameter leaves behind.

#include "controls/ControlClasses.h"
#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "editor/PanelLayout.h"
#include "engine/AL1ImageToggleParameter.h"
#include "engine/AL1KnobParameter.h"
#include "engine/ParameterRegistry.h"
#include "engine/TableParameters.h"
#include "resources/ResourceIds.h"
#include "tests/support/FakeHost.h"
#include "tests/support/Pixels.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kDuplicate[] = "Definition error. Duplicate parameter ID.";

// One parent window for the whole suite (a top-level window costs seconds under
// Wine); each test leaves it without children.
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
    std::unique_ptr<Parameter> Make(int number) {
        return std::unique_ptr<Parameter>(CreateParameter(ParameterTable().at(size_t(number - 1)), &host,
                                                          parent(), GetModuleHandleW(nullptr)));
    }

    static TestWindow* window;
    FakeHost host;
};

TestWindow* ParameterTest::window = nullptr;

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

TEST_F(ParameterTest, TheTableBuildsAllFiftyEightInPlaceWithTheirConversions) {
    ParameterRegistry registry(&host);
    CreateTableParameters(registry, &host, parent(), GetModuleHandleW(nullptr));
    const std::vector<Parameter*> parameters = registry.GetParameters();
    ASSERT_EQ(parameters.size(), 58u);
    EXPECT_TRUE(host.statusLines.empty()) << "no duplicate ID in the table";
    int kinds[5] = {}; // knobs, switches of two, three and four positions, buttons
    for (size_t i = 0; i < parameters.size(); ++i) {
        const ParameterRow& row = ParameterTable()[i];
        Parameter* p = parameters[i];
        SCOPED_TRACE("ID " + std::to_string(row.id));
        EXPECT_EQ(registry.Find(row.id), p);
        const RECT placed = RectInParent(p->GetControl()->hwnd);
        const PanelRect w = PanelLayout::ControlWindow(row);
        EXPECT_EQ(placed.left, w.left);
        EXPECT_EQ(placed.top, w.top);
        EXPECT_EQ(placed.right, w.Right());
        EXPECT_EQ(placed.bottom, w.Bottom());
        // The centre of a knob is its position, of a switch the middle of its window.
        const bool knob = row.kind == ControlKind::Knob;
        EXPECT_EQ(p->GetCenter().x, knob ? row.x : w.left + w.width / 2);
        EXPECT_EQ(p->GetCenter().y, knob ? row.y : w.top + w.height / 2);
        if (knob) {
            ++kinds[0];
            EXPECT_EQ(static_cast<Knob*>(p->GetControl())->maxValue, row.maxValue);
            continue;
        }
        auto* toggle = static_cast<ImageToggleBase*>(p->GetControl());
        EXPECT_EQ(toggle->PositionCount(), row.maxValue + 1);
        EXPECT_EQ(toggle->clickToggles, row.clickToggles);
        if (dynamic_cast<ImageToggle*>(toggle))
            ++kinds[row.clickToggles ? 4 : 1];
        kinds[2] += dynamic_cast<ImageToggle3State*>(toggle) != nullptr;
        kinds[3] += dynamic_cast<ImageToggle4State*>(toggle) != nullptr;
    }
    EXPECT_EQ(std::vector<int>(kinds, kinds + 5), (std::vector<int>{32, 18, 1, 3, 4}));

    // ID, value, what it sends, a controller value and what that sets.
    const int conversions[][5] = {{15, 255, 127, 127, 254}, {48, 1, 64, 99, 1},   {74, 1, 127, 127, 1},
                                  {76, 1, 124, 124, 1},     {75, 1, 126, 126, 1}, {60, 2, 86, 50, 50},
                                  {68, 3, 96, 96, 3},       {59, 2, 66, 66, 2},   {57, 5, 110, 30, 0},
                                  {1201, 1, 1, 7, 7}};
    for (const auto& [id, value, toMidi, midi, fromMidi] : conversions) {
        EXPECT_EQ(registry.Find(id)->ToMidi(value), toMidi) << id;
        EXPECT_EQ(registry.Find(id)->FromMidi(midi), fromMidi) << id;
    }
    // A dump can carry LFO SHAPE values that its knob cannot show: the knob clamps them.
    registry.Find(57)->SetValue(0x85);
    EXPECT_EQ(registry.Find(57)->GetValue(), 5);
    EXPECT_TRUE(host.changes.empty()) << "setting a value does not tell the host";
    for (Parameter* p : parameters)
        delete p;
}

TEST_F(ParameterTest, RegistryReportsDuplicatesTheNewerWinsAndZeroIsNoKey) {
    ParameterRegistry registry(&host);
    auto first = Make(1), second = Make(1), other = Make(2), third = Make(1);
    registry.Add(first.get());
    EXPECT_EQ(first->GetOwner(), &registry);
    EXPECT_TRUE(host.statusLines.empty());
    registry.Add(second.get());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{kDuplicate});
    registry.Add(other.get());
    registry.Add(third.get());
    EXPECT_EQ(host.statusLines, (std::vector<std::string>{kDuplicate, kDuplicate}));
    EXPECT_EQ(registry.Find(8), third.get());
    EXPECT_EQ(registry.Find(10), other.get());
    EXPECT_EQ(registry.Find(9), nullptr);
    EXPECT_EQ(registry.GetParameters(),
              (std::vector<Parameter*>{first.get(), second.get(), other.get(), third.get()}));

    // 0 is no key, not even a second one, so it is never a duplicate either.
    TwoKeySwitch zero(&host, parent(), 0, -1), zeroAgain(&host, parent(), 0, -1);
    TwoKeySwitch twoKeys(&host, parent(), 20, 90), zeroSecond(&host, parent(), 21, 0);
    for (Parameter* p : std::vector<Parameter*>{&zero, &zeroAgain, &twoKeys, &zeroSecond})
        registry.Add(p);
    EXPECT_EQ(host.statusLines.size(), 2u);
    EXPECT_EQ(registry.Find(0), nullptr);
    EXPECT_EQ(registry.GetParameters().size(), 8u) << "listed all the same";
    EXPECT_EQ(registry.Find(20), &twoKeys);
    EXPECT_EQ(registry.Find(90), &twoKeys);
    EXPECT_EQ(registry.Find(21), &zeroSecond);

    // Without a host there is nowhere to report to: the newer still wins.
    ParameterRegistry silent;
    silent.Add(first.get());
    silent.Add(second.get());
    EXPECT_EQ(silent.Find(8), second.get());
    EXPECT_EQ(host.statusLines.size(), 2u);
}

TEST_F(ParameterTest, TransformsGetTheirParameterAndNoneMeansIdentity) {
    AL1ImageToggleParameter bank(&host, parent(), GetModuleHandleW(nullptr), 55, 50, IDB_BANK1_OFF,
                                 IDB_BANK1_ON, true, 1200, nullptr, ValueTransform());
    EXPECT_EQ(bank.ToMidi(1000), 1000);
    EXPECT_EQ(bank.FromMidi(-3), -3);
    Parameter* seen = nullptr;
    AL1ImageToggleParameter custom(
        &host, parent(), GetModuleHandleW(nullptr), 612, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 48,
        [&seen](Parameter* p, int v) {
            seen = p;
            return v + 100;
        },
        CcToSwitch);
    EXPECT_EQ(custom.ToMidi(1), 101);
    EXPECT_EQ(seen, &custom);
    EXPECT_EQ(custom.FromMidi(77), 1);
}

TEST_F(ParameterTest, DeletingAParameterDeletesItsControlAndLeavesTheWindowInert) {
    auto knob = Make(1);
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
