// The simulated instrument keeps the contract the program relies on, with the real
// factory bank in bank 0; its device's back ends are driven as RtMidi drives them. Its
// queue limit is tested through MidiPort (MidiPortTest), its faults through the
// application (DeviceLinkTests).
#include "midi/DemoMode.h"
#include "midi/DumpPacker.h"
#include "midi/MessageReader.h"
#include "midi/SimulatedInstrument.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedMidiInApi.h"
#include "midi/SimulatedMidiOutApi.h"
#include "midi/SimulatedPatches.h"

#include "engine/SysExConstants.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Messages = std::vector<Bytes>;

TEST(SimulatedPatches, BankZeroIsTheFactoryBankAndTheOthersDecodeLikeIt) {
    const Messages patches = SimulatedPatches();
    ASSERT_EQ(patches.size(), 400u);
    EXPECT_EQ(Messages(patches.begin(), patches.begin() + 100), LoadFactoryBank());
    std::set<std::string> names;
    for (int n = 0; n < 400; ++n) {
        const Bytes& dump = patches[static_cast<std::size_t>(n)];
        SCOPED_TRACE(n);
        EXPECT_EQ(dump.size(), 210u);
        EXPECT_EQ(ReadPatchNumber(dump), n);
        EXPECT_EQ(ReadFormatVersion(dump), kFormatVersion6F);
        EXPECT_TRUE(DecodeParameters(dump).has_value());
        const std::string name = ReadPatchName(dump);
        EXPECT_TRUE(!name.empty() && name.size() <= 15u);
        if (n >= 100) {
            EXPECT_EQ(name, GeneratedPatchName(n));
            names.insert(name);
        }
    }
    EXPECT_EQ(names.size(), 300u) << "every generated patch has a name of its own";
    for (const Bytes& dump : LoadFactoryBank())
        EXPECT_EQ(PackPatchDump(*ReadPatchNumber(dump), UnpackPatchData(dump)), dump)
            << "repacked byte for byte";
}

TEST(SimulatedInstrument, AnswersAndFollowsWhatItIsSent) {
    SimulatedInstrument instrument;
    instrument.SetPatch(17, Bytes());
    const struct {
        const char* what;
        Bytes request;
        Messages answers;
    } cases[] = {
        {"patch 205", BuildPatchRequest(205), {instrument.Patch(205)}},
        {"patch 399", BuildPatchRequest(399), {instrument.Patch(399)}},
        {"an empty slot", BuildPatchRequest(17), {Hex("F0 F7")}},
        {"no such patch", BuildPatchRequest(450), {Hex("F0 F7")}},
        {"a control change", Hex("B0 07 40"), {}},
        {"a request too short", Hex("F0 00 20 32 00 01 24 00 77 05 F7"), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(instrument.Receive(c.request), c.answers) << c.what;
    // The identification reply carries the current patch, its ninth bit too.
    for (int current : {0, 123, 255, 256, 399}) {
        instrument.SetCurrentPatch(current);
        const Messages answers = instrument.Receive(BuildIdentificationRequest());
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_GE(answers[0].size(), kIdentificationReplyMinLength);
        EXPECT_TRUE(IsIdentificationReply(answers[0]));
        EXPECT_EQ(ReadCurrentPatch(answers[0]), current);
    }
    EXPECT_EQ(instrument.ChangePatch(205), (Messages{Hex("C0 05"), Hex("C0 05"), Hex("B0 00 02")}));
    instrument.Receive(Hex("C0 2A"));
    instrument.Receive(Hex("B0 00 01"));
    EXPECT_EQ(instrument.CurrentPatch(), 142);
    EXPECT_EQ(SimulatedInstrument::TurnKnob(15, 100), Hex("B0 0F 64"));
    const Bytes stored = PackPatchDump(321, UnpackPatchData(instrument.Patch(5)));
    EXPECT_TRUE(instrument.Receive(stored).empty());
    EXPECT_EQ(instrument.Patch(321), stored);
}

TEST(SimulatedInstrument, SplitAnswersAreWhatTheReaderJoins) {
    SimulatedInstrument instrument;
    instrument.behaviour.pieces = 3;
    instrument.behaviour.betweenPieces = Hex("F8 FE");
    const Messages answers = instrument.Receive(BuildPatchRequest(42));
    ASSERT_EQ(answers.size(), 7u);
    EXPECT_EQ(answers[1], Hex("F8"));
    EXPECT_EQ(answers[2], Hex("FE"));
    std::size_t next = 0;
    MessageReader reader([&](Bytes& message) { message = next < answers.size() ? answers[next++] : Bytes(); },
                         [] {}, [](const std::string&) {});
    Bytes joined;
    ASSERT_TRUE(reader.Next(joined));
    EXPECT_EQ(joined, instrument.Patch(42));
}

TEST(SimulatedDevice, AnswersWaitForTheLatencyOnTheDeviceThread) {
    SimulatedMidiDevice device("Test Pro~800");
    SimulatedMidiInApi input(&device, 100);
    SimulatedMidiOutApi output(&device);
    input.openPort(0, "RtMidi Input");
    input.ignoreTypes(false, false, false); // as the program opens it
    output.openPort(0, "RtMidi Output");
    auto drain = [&] {
        Messages out;
        for (Bytes message; input.getMessage(&message), !message.empty();)
            out.push_back(message);
        return out;
    };
    device.SetLatency(std::chrono::milliseconds(200));
    const Bytes request = BuildPatchRequest(5);
    output.sendMessage(request.data(), request.size());
    device.Emit({Hex("B0 07 40")}); // the user's knob does not wait
    EXPECT_EQ(drain(), Messages{Hex("B0 07 40")});
    device.Flush();
    EXPECT_EQ(drain(), Messages{device.instrument.Patch(5)});
}

// The demo device's port names, log and first patch are tested with the program
// (DemoProgramTests); here the variables' rules.
TEST(DemoMode, ReadsItsVariables) {
    const struct {
        std::map<std::string, std::string> environment;
        bool enabled;
        int patch;
        int latencyMs;
    } cases[] = {
        {{}, false, 0, 0},
        {{{"TAVREN_DEMO", "yes"}, {"TAVREN_DEMO_PATCH", "5"}}, false, 5, 0},
        {{{"TAVREN_DEMO", "1"}, {"TAVREN_DEMO_PATCH", "399"}, {"TAVREN_DEMO_LATENCY_MS", "67"}},
         true,
         399,
         67},
        {{{"TAVREN_DEMO_PATCH", "400"}, {"TAVREN_DEMO_LATENCY_MS", "-2"}}, false, 0, 0},
        {{{"TAVREN_DEMO_PATCH", "12x"}, {"TAVREN_DEMO_LATENCY_MS", "99999999999999999999"}}, false, 0, 0},
    };
    for (const auto& c : cases) {
        const DemoSettings settings = ReadDemoSettings([&](const char* name) {
            auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        });
        EXPECT_EQ(settings.enabled, c.enabled);
        EXPECT_EQ(settings.currentPatch, c.patch);
        EXPECT_EQ(settings.latencyMs, c.latencyMs);
    }
    EXPECT_EQ(MakeDemoDevice(DemoSettings()), nullptr);
}

} // namespace
