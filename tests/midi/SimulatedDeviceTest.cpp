// The simulated device's back ends, driven as the RtMidi library drives them. The queue
// limit and the faults are tested through MidiPort under Wine (tests/midi/MidiPortTest).
#include "midi/DemoMode.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedMidiInApi.h"
#include "midi/SimulatedMidiOutApi.h"

#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// A device with one input and one output port opened on it, as the program opens them.
struct OpenDevice {
    SimulatedMidiDevice device{"Test Pro~800"};
    SimulatedMidiInApi input{&device, 100};
    SimulatedMidiOutApi output{&device};

    OpenDevice() {
        input.openPort(0, "RtMidi Input");
        input.ignoreTypes(false, false, false);
        output.openPort(0, "RtMidi Output");
    }

    void Send(const std::string& message) {
        const Bytes bytes = Hex(message);
        output.sendMessage(bytes.data(), bytes.size());
    }

    std::vector<Bytes> Drain() {
        std::vector<Bytes> out;
        Bytes message;
        while (input.getMessage(&message), !message.empty())
            out.push_back(message);
        return out;
    }
};

TEST(SimulatedDevice, InputFiltersUntilTheProgramLetsEverythingThrough) {
    OpenDevice link;
    const std::vector<Bytes> sent = {Hex("F0 F7"), Hex("23 24 F7"), Hex("F8"),
                                     Hex("F1 00"), Hex("FE"),       Hex("B0 07 40")};
    link.input.ignoreTypes(true, true, true); // the library's default
    link.device.Emit(sent);
    EXPECT_EQ(link.Drain(), std::vector<Bytes>{Hex("B0 07 40")});
    link.input.ignoreTypes(false, false, false);
    link.device.Emit(sent);
    EXPECT_EQ(link.Drain(), sent);
}

TEST(SimulatedDevice, AnswersWaitForTheLatencyOnTheDeviceThread) {
    OpenDevice link;
    link.device.SetLatency(std::chrono::milliseconds(200));
    link.Send("F0 00 20 32 00 01 24 00 77 05 00 F7");
    link.device.Emit({Hex("B0 07 40")}); // the user's knob does not wait
    EXPECT_EQ(link.Drain(), std::vector<Bytes>{Hex("B0 07 40")});
    link.device.Flush();
    EXPECT_EQ(link.Drain(), std::vector<Bytes>{link.device.instrument.Patch(5)});
}

TEST(SimulatedDevice, ClosedPortsCarryNothing) {
    OpenDevice link;
    link.input.closePort();
    link.Send("F0 00 20 32 00 01 24 00 77 05 00 F7");
    link.output.closePort();
    link.Send("B0 07 40");
    EXPECT_EQ(link.device.Received().size(), 1u) << "a closed output sends nothing";
    EXPECT_TRUE(link.Drain().empty()) << "a closed input receives nothing";
}

TEST(SimulatedDevice, LogAppendsEachReceivedMessageAsALineOfHex) {
    const std::string path = testing::TempDir() + "tavren-demo-log.txt";
    std::ofstream(path) << "earlier line\n";
    {
        OpenDevice link;
        ASSERT_TRUE(link.device.OpenLog(path));
        link.Send("F0 00 20 32 00 01 24 00 77 7E 03 F7");
        link.Send("B0 0f 7f");
        std::ifstream written(path); // flushed at once, while the device still runs
        std::stringstream text;
        text << written.rdbuf();
        EXPECT_EQ(text.str(), "earlier line\nF0 00 20 32 00 01 24 00 77 7E 03 F7\nB0 0F 7F\n");
    }
    std::remove(path.c_str());
}

TEST(DemoMode, ReadsItsVariables) {
    using Environment = std::map<std::string, std::string>;
    struct Case {
        Environment environment;
        bool enabled;
        int patch;
        int latencyMs;
    };
    const std::vector<Case> cases = {
        {{}, false, 0, 0},
        {{{"TAVREN_DEMO", "1"}}, true, 0, 0},
        {{{"TAVREN_DEMO", "yes"}, {"TAVREN_DEMO_PATCH", "5"}}, false, 5, 0},
        {{{"TAVREN_DEMO", "1"}, {"TAVREN_DEMO_PATCH", "399"}, {"TAVREN_DEMO_LATENCY_MS", "67"}},
         true,
         399,
         67},
        {{{"TAVREN_DEMO_PATCH", "400"}, {"TAVREN_DEMO_LATENCY_MS", "-2"}}, false, 0, 0},
        {{{"TAVREN_DEMO_PATCH", "12x"}, {"TAVREN_DEMO_LATENCY_MS", "99999999999999999999"}}, false, 0, 0},
    };
    for (const Case& c : cases) {
        const DemoSettings settings = ReadDemoSettings([&](const char* name) {
            auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        });
        EXPECT_EQ(settings.enabled, c.enabled);
        EXPECT_EQ(settings.currentPatch, c.patch);
        EXPECT_EQ(settings.latencyMs, c.latencyMs);
    }
}

TEST(DemoMode, OffersOnePortOfEachKindByItsName) {
    DemoSettings settings;
    settings.enabled = true;
    settings.currentPatch = 123;
    std::unique_ptr<SimulatedMidiDevice> device = MakeDemoDevice(settings);
    ASSERT_NE(device, nullptr);
    SimulatedMidiInApi input(device.get(), 100);
    SimulatedMidiOutApi output(device.get());
    EXPECT_EQ(input.getPortCount(), 1u);
    EXPECT_EQ(output.getPortCount(), 1u);
    EXPECT_EQ(input.getPortName(0), "Tavren Demo Pro~800");
    EXPECT_EQ(output.getPortName(0), "Tavren Demo Pro~800");
    EXPECT_EQ(device->instrument.CurrentPatch(), 123);
    EXPECT_EQ(MakeDemoDevice(DemoSettings()), nullptr);
}

} // namespace
