// The parameter classes on real windows under Wine: the table's 58, the clamp of a value
// no knob shows and duplicates in the registry.

#include "controls/ControlClasses.h"
#include "engine/Parameter.h"
#include "engine/ParameterRegistry.h"
#include "engine/TableParameters.h"
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
    // A dump can carry LFO SHAPE values that its knob cannot show: the knob clamps them.
    registry.Find(57)->SetValue(0x85);
    EXPECT_EQ(registry.Find(57)->GetValue(), 5);

    // A second OSC A FREQ is reported, and the newer wins.
    made.emplace_back(CreateParameter(ParameterTable()[0], &host, window.hwnd(), instance));
    registry.Add(made.back().get());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{"Definition error. Duplicate parameter ID."});
    EXPECT_EQ(registry.Find(8), made.back().get());
    // Without a host there is nowhere to report to: the newer still wins.
    ParameterRegistry silent;
    silent.Add(made[0].get());
    silent.Add(made[58].get());
    EXPECT_EQ(silent.Find(8), made[58].get());
    EXPECT_EQ(host.statusLines.size(), 1u);
}
