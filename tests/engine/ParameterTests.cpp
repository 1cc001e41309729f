// The parameter classes and their registry on real windows under Wine: the
// table-driven build of all 58 and duplicates in the registry.

#include "controls/ControlClasses.h"
#include "controls/ImageToggleBase.h"
#include "controls/Knob.h"
#include "engine/AL1ImageToggleParameter.h"
#include "engine/ParameterRegistry.h"
#include "engine/TableParameters.h"
#include "resources/ResourceIds.h"
#include "tests/support/FakeHost.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Parameters, TheTableBuildsAllFiftyEightAndTheRegistryReportsDuplicates) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterControlClasses(instance);
    TestWindow window(1920, 900);
    FakeHost host;
    std::vector<std::unique_ptr<Parameter>> made; // goes before the window
    ParameterRegistry registry(&host);
    CreateTableParameters(registry, &host, window.hwnd(), instance);
    for (Parameter* p : registry.GetParameters())
        made.emplace_back(p);
    ASSERT_EQ(made.size(), 58u);
    EXPECT_TRUE(host.statusLines.empty()) << "no duplicate ID in the table";
    for (size_t i = 0; i < made.size(); ++i) { // every one with its own range
        const ParameterRow& row = ParameterTable()[i];
        const auto* knob = dynamic_cast<Knob*>(made[i]->GetControl());
        const auto* toggle = dynamic_cast<ImageToggleBase*>(made[i]->GetControl());
        ASSERT_TRUE(knob || toggle) << row.id;
        EXPECT_EQ(knob ? knob->maxValue : toggle->PositionCount() - 1, row.maxValue) << row.id;
        EXPECT_EQ(toggle && toggle->clickToggles, row.clickToggles) << row.id;
        EXPECT_EQ(registry.Find(row.id), made[i].get());
        EXPECT_EQ(made[i]->GetOwner(), &registry);
    }
    // A dump can carry LFO SHAPE values that its knob cannot show: the knob clamps them.
    registry.Find(57)->SetValue(0x85);
    EXPECT_EQ(registry.Find(57)->GetValue(), 5);

    // A second OSC A FREQ is reported, and the newer wins.
    made.emplace_back(CreateParameter(ParameterTable()[0], &host, window.hwnd(), instance));
    registry.Add(made.back().get());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{"Definition error. Duplicate parameter ID."});
    EXPECT_EQ(registry.Find(8), made.back().get());
    for (int i = 0; i < 2; ++i) { // 0 is listed all the same, never found, never a duplicate
        made.emplace_back(new AL1ImageToggleParameter(&host, window.hwnd(), instance, 0, 0, IDB_SWITCH_DOWN,
                                                      IDB_SWITCH_UP, false, 0, nullptr, nullptr));
        registry.Add(made.back().get());
    }
    EXPECT_EQ(registry.Find(0), nullptr);
    EXPECT_EQ(registry.GetParameters().size(), 61u);
    // Without a host there is nowhere to report to: the newer still wins.
    ParameterRegistry silent;
    silent.Add(made[0].get());
    silent.Add(made[58].get());
    EXPECT_EQ(silent.Find(8), made[58].get());
    EXPECT_EQ(host.statusLines.size(), 1u);
}
