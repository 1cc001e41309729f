// The parameter classes and their registry on real windows under Wine: the
// table-driven build of all 58, duplicates in the registry and what deleting a
// parameter leaves behind.

#include "controls/ControlClasses.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "engine/AL1ImageToggleParameter.h"
#include "engine/ParameterRegistry.h"
#include "engine/TableParameters.h"
#include "resources/ResourceIds.h"
#include "tests/support/FakeHost.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// One parent window for the whole suite (a top-level window costs seconds under
// Wine); each test leaves it without children.
class ParameterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        RegisterControlClasses(GetModuleHandleW(nullptr));
        window = new TestWindow(1920, 900);
    }
    static void TearDownTestSuite() { delete window; }
    void TearDown() override {
        made.clear();
        DestroyChildren(window->hwnd());
    }

    Parameter* Make(int number) {
        made.emplace_back(CreateParameter(ParameterTable().at(size_t(number - 1)), &host, window->hwnd(),
                                          GetModuleHandleW(nullptr)));
        return made.back().get();
    }

    static inline TestWindow* window = nullptr;
    FakeHost host;
    std::vector<std::unique_ptr<Parameter>> made;
};

} // namespace

TEST_F(ParameterTest, TheTableBuildsAllFiftyEightOfTheirKind) {
    ParameterRegistry registry(&host);
    CreateTableParameters(registry, &host, window->hwnd(), GetModuleHandleW(nullptr));
    for (Parameter* p : registry.GetParameters())
        made.emplace_back(p);
    ASSERT_EQ(made.size(), 58u);
    EXPECT_TRUE(host.statusLines.empty()) << "no duplicate ID in the table";
    for (size_t i = 0; i < made.size(); ++i) {
        const ParameterRow& row = ParameterTable()[i];
        SCOPED_TRACE("ID " + std::to_string(row.id));
        EXPECT_EQ(registry.Find(row.id), made[i].get());
        CustomControl* control = made[i]->GetControl();
        if (row.kind == ControlKind::Knob) {
            EXPECT_EQ(made[i]->GetCenter().x, row.x) << "a knob's centre is its position";
            ASSERT_NE(dynamic_cast<Knob*>(control), nullptr);
            EXPECT_EQ(static_cast<Knob*>(control)->maxValue, row.maxValue);
            continue;
        }
        auto* toggle = dynamic_cast<ImageToggleBase*>(control);
        ASSERT_NE(toggle, nullptr);
        EXPECT_EQ(toggle->PositionCount(), row.maxValue + 1);
        EXPECT_EQ(toggle->clickToggles, row.clickToggles);
        EXPECT_EQ(dynamic_cast<ImageToggle3State*>(toggle) != nullptr, row.kind == ControlKind::ThreeState);
        EXPECT_EQ(dynamic_cast<ImageToggle4State*>(toggle) != nullptr, row.kind == ControlKind::FourState);
    }
    // A dump can carry LFO SHAPE values that its knob cannot show: the knob clamps them.
    registry.Find(57)->SetValue(0x85);
    EXPECT_EQ(registry.Find(57)->GetValue(), 5);
    EXPECT_TRUE(host.changes.empty()) << "setting a value does not tell the host";
}

TEST_F(ParameterTest, RegistryReportsDuplicatesTheNewerWinsAndZeroIsNoKey) {
    ParameterRegistry registry(&host);
    Parameter* first = Make(1);
    registry.Add(first);
    EXPECT_EQ(first->GetOwner(), &registry);
    for (Parameter* p : {Make(1), Make(2), Make(1)})
        registry.Add(p);
    EXPECT_EQ(host.statusLines, (std::vector<std::string>(2, "Definition error. Duplicate parameter ID.")));
    EXPECT_EQ(registry.Find(8), made[3].get());
    EXPECT_EQ(registry.Find(10), made[2].get());
    EXPECT_EQ(registry.Find(9), nullptr);
    EXPECT_EQ(registry.GetParameters().size(), 4u);
    for (int i = 0; i < 2; ++i) { // 0 is listed all the same, never found, never a duplicate
        made.emplace_back(new AL1ImageToggleParameter(&host, window->hwnd(), GetModuleHandleW(nullptr), 0, 0,
                                                      IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 0, nullptr,
                                                      nullptr));
        registry.Add(made.back().get());
    }
    EXPECT_EQ(registry.Find(0), nullptr);
    EXPECT_EQ(host.statusLines.size(), 2u);
    // Without a host there is nowhere to report to: the newer still wins.
    ParameterRegistry silent;
    silent.Add(made[0].get());
    silent.Add(made[1].get());
    EXPECT_EQ(silent.Find(8), made[1].get());
    EXPECT_EQ(host.statusLines.size(), 2u);
}

TEST_F(ParameterTest, DeletingAParameterDeletesItsControlAndLeavesTheWindowInert) {
    Parameter* knob = Make(1);
    HWND hwnd = knob->GetControl()->hwnd;
    ASSERT_EQ(reinterpret_cast<CustomControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), knob->GetControl());
    made.clear();
    EXPECT_TRUE(IsWindow(hwnd)) << "the window goes away with its parent";
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    InvalidateRect(hwnd, nullptr, FALSE);
    PumpMessages();
    EXPECT_TRUE(host.changes.empty());
}
