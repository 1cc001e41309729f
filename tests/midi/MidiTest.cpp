// Joining and classification of what the instrument sends, over a scripted queue, and
// the simulated instrument with the real factory bank in bank 0. The look-ahead of a
// patch change and the instrument's split and faulty answers are tested through the
// application (DeviceLinkTests, BadInputTests).
#include "engine/DumpPacker.h"
#include "midi/DemoMode.h"
#include "midi/MessageReader.h"
#include "midi/MidiInputQueue.h"
#include "midi/MidiMessages.h"
#include "midi/PortNames.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedMidiInApi.h"
#include "midi/SimulatedMidiOutApi.h"
#include "midi/SimulatedPatches.h"

#include "tests/engine/FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <tuple>

namespace {

using Messages = std::vector<Bytes>;

// The input thread fills it, the program's thread empties it; a message into an empty
// queue wakes the program once, and what does not fit is counted, never half kept.
TEST(MidiInputQueue, HoldsOneLessThanItsLimitInOrderAndWakesOncePerEmptying) {
    std::atomic<int> wakes{0};
    MidiInputQueue queue(4, [&wakes] { ++wakes; });
    for (uint8_t value = 0; value < 5; ++value)
        EXPECT_EQ(queue.Push({0xB0, 0x0F, value}), value < 3) << int(value);
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.TakeRefused(), 2);
    Bytes message;
    for (uint8_t value = 0; value < 3; ++value) {
        queue.Pop(message);
        EXPECT_EQ(message, (Bytes{0xB0, 0x0F, value}));
    }
    EXPECT_TRUE(queue.Push(Hex("F8"))) << "room again";
    EXPECT_EQ(wakes, 1) << "not emptied yet: the program is still to find it empty";
    queue.Pop(message), queue.Pop(message);
    EXPECT_TRUE(message.empty());
    queue.Push(Hex("FE"));
    EXPECT_EQ(wakes, 2);

    // Across threads nothing is lost or reordered, and no wake is missed.
    MidiInputQueue busy(100, [&wakes] { ++wakes; });
    std::thread input([&busy] {
        for (int i = 0; i < 20000;)
            i +=
                busy.Push({0xB0, static_cast<uint8_t>(i / 128 % 128), static_cast<uint8_t>(i % 128)}) ? 1 : 0;
    });
    int taken = 0;
    while (taken < 20000) {
        busy.Pop(message);
        if (message.empty())
            continue;
        ASSERT_EQ(message,
                  (Bytes{0xB0, static_cast<uint8_t>(taken / 128 % 128), static_cast<uint8_t>(taken % 128)}));
        ++taken;
    }
    input.join();
}

// A remembered port is found again when another port comes before it and the number
// the library appends to its name changes; never when the choice would be a guess.
TEST(PortNames, ARememberedPortIsFoundByItsNameAndThenWithoutItsNumber) {
    const std::vector<std::string> ports = {"USB MIDI 0", "Pro~800 1", "Loop 2", "Loop 3",
                                            "7",          "Synth  4",  "Pad 5x"};
    const struct {
        std::string remembered;
        int found;
    } cases[] = {
        {"Pro~800 1", 1},  {"Pro~800 0", 1}, {"Pro~800", 1},      {std::string("Pro~800 9\0x", 11), 1},
        {"pro~800 0", -1}, {"Loop 0", -1},   {"Loop 3", 3},       {"USB MIDI 7", 0},
        {"7", 4},          {"Synth  0", 5},  {"Synth 4", -1},     {"Pad 5x", 6},
        {"Pad 0x", -1},    {"", -1},         {"Pro~800 1 0", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchPortName(ports, c.remembered), c.found) << c.remembered;
    EXPECT_EQ(WithoutPortNumber("Loop Pro~800 12"), "Loop Pro~800");
}

TEST(MessageReader, DropsClocksAndJoinsPiecesOnce) {
    const Bytes dump = FactoryBankDumps().at(7);
    const auto third = static_cast<std::ptrdiff_t>(dump.size() / 3);
    const struct {
        const char* what;
        std::vector<std::string> script; // "-": nothing there yet, "@": the next third of a real dump
        Messages expected;
        int pauses;
        const char* debug;
    } cases[] = {
        {"clock around a control change", {"F8", "B0 07 40", "F8"}, {Hex("B0 07 40")}, 0, ""},
        {"active sensing alone is a message", {"FE"}, {Hex("FE")}, 0, ""},
        {"every real-time byte between pieces",
         {"@", "F8", "F9", "FA", "FB", "@", "FC", "FD", "FE", "FF", "@"},
         {dump},
         10,
         ""},
        {"pieces that arrive while it waits", {"@", "-", "-", "@", "-", "@"}, {dump}, 5, ""},
        {"a whole SysEx message is not held", {"F0 F7", "F0 00 F7"}, {Hex("F0 F7"), Hex("F0 00 F7")}, 0, ""},
        // Without a status rule the control change that came during the wait is data;
        // a pause comes before every read, and 101 of them found nothing.
        {"an endless SysEx after more than a hundred empty reads",
         {"F0 00 20", "-", "21 22", "B0 07 40"},
         {Hex("F0 00 20 21 22 B0 07 40")},
         103,
         "MIDI Truncated!!\n"}};
    for (const auto& c : cases) {
        Messages script;
        std::ptrdiff_t piece = 0;
        for (const std::string& step : c.script) {
            const auto from = dump.begin() + third * piece;
            if (step == "@")
                script.emplace_back(from, ++piece == 3 ? dump.end() : from + third);
            else
                script.push_back(Hex(step == "-" ? "" : step));
        }
        std::size_t next = 0;
        int pauses = 0;
        std::string debug;
        MessageReader reader(
            [&](Bytes& message) { message = next < script.size() ? script[next++] : Bytes(); },
            [&] { ++pauses; }, [&](const std::string& line) { debug += line; });
        Messages out;
        for (Bytes message; reader.Next(message);)
            out.push_back(message);
        EXPECT_EQ(out, c.expected) << c.what;
        EXPECT_EQ(pauses, c.pauses) << c.what;
        EXPECT_EQ(debug, c.debug) << c.what;
    }
}

TEST(MidiMessages, ClassifiesAndCutsTheDebugLine) {
    // What the application dispatches shows in its tests; here are the edges.
    const std::pair<std::string, MessageKind> kinds[] = {
        {"B0 07", MessageKind::Unknown},
        {"C0 05 00", MessageKind::Unknown},
        {"F0 00 20 32 00 01 24 00 78 7E 03 20 00 00 00 00 00 7B", MessageKind::Unknown}, // no ninth bit
        {"F0 00 20 32 00 01 24 00 78", MessageKind::PatchDump},
        {"FE", MessageKind::Unknown},
        {"", MessageKind::Unknown}};
    for (const auto& [message, kind] : kinds)
        EXPECT_EQ(ClassifyMessage(Hex(message)), kind) << message;

    EXPECT_EQ(FormatUnknownMessage(Hex("B1 07 40")), "Unknown Message[3]: b1, 07, 40, \n");

    // The instrument's channel and channel 1 trade places; nothing else changes.
    const std::tuple<std::string, int, std::string> swaps[] = {{"B0 07 40", 5, "B4 07 40"},
                                                               {"B4 07 40", 5, "B0 07 40"},
                                                               {"C2 05", 5, "C2 05"},
                                                               {"C0 05", 16, "CF 05"},
                                                               {"90 3C 7F", 1, "90 3C 7F"},
                                                               {"E0 00 40", 0, "E0 00 40"},
                                                               {"B0 07 40", 17, "B0 07 40"},
                                                               {"F0 00 F7", 5, "F0 00 F7"},
                                                               {"F8", 5, "F8"},
                                                               {"07 40", 5, "07 40"},
                                                               {"", 5, ""}};
    for (const auto& [message, channel, swapped] : swaps)
        EXPECT_EQ(HexText(SwapChannel(Hex(message), channel)), swapped) << message << " on " << channel;
    const std::string line = FormatUnknownMessage(Bytes(9000, 0x41));
    EXPECT_TRUE(line.size() < kDebugLineBuffer && line.size() > kDebugLineBuffer - 8) << line.size();
    EXPECT_EQ(line.substr(0, 23) + line.substr(line.size() - 5), "Unknown Message[9000]: 41, \n");
}

// The banks the instrument generates, its answers and its current patch are met by the
// application's tests (DeviceLinkTests).
TEST(SimulatedInstrument, BankZeroIsTheFactoryBankRepackedByteForByte) {
    const Messages patches = SimulatedPatches();
    ASSERT_EQ(patches.size(), 400u);
    EXPECT_EQ(Messages(patches.begin(), patches.begin() + 100), LoadFactoryBank());
    for (const Bytes& dump : LoadFactoryBank())
        EXPECT_EQ(PackPatchDump(*ReadPatchNumber(dump), UnpackPatchData(dump)), dump);
}

// A number out of range keeps its default; the demo device answers after the latency,
// on its own thread, while the user's knob does not wait.
TEST(DemoMode, TheVariablesMakeTheDevice) {
    std::map<std::string, std::string> variables = {{"TAVREN_DEMO", "yes"},
                                                    {"TAVREN_DEMO_PATCH", "400"},
                                                    {"TAVREN_DEMO_LATENCY_MS", "99999999999999999999"}};
    const auto read = [&] {
        return ReadDemoSettings(
            [&](const char* name) { return variables.count(name) ? variables[name].c_str() : nullptr; });
    };
    const DemoSettings unusable = read();
    EXPECT_EQ(std::make_tuple(unusable.enabled, unusable.currentPatch, unusable.latencyMs),
              std::make_tuple(false, 0, 0));
    variables = {{"TAVREN_DEMO", "1"}, {"TAVREN_DEMO_PATCH", "399"}, {"TAVREN_DEMO_LATENCY_MS", "200"}};
    const std::unique_ptr<SimulatedMidiDevice> device = MakeDemoDevice(read());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->instrument.CurrentPatch(), 399);
    SimulatedMidiInApi input(device.get(), 100);
    SimulatedMidiOutApi output(device.get());
    input.openPort(0, "RtMidi Input");
    input.ignoreTypes(false, false, false); // as the program opens it
    output.openPort(0, "RtMidi Output");
    const Bytes request = BuildPatchRequest(5);
    output.sendMessage(request.data(), request.size());
    device->Emit({Hex("B0 07 40")});
    Bytes message;
    input.getMessage(&message);
    EXPECT_EQ(message, Hex("B0 07 40"));
    input.getMessage(&message);
    EXPECT_TRUE(message.empty());
    device->Flush();
    input.getMessage(&message);
    EXPECT_EQ(message, device->instrument.Patch(5));
}

} // namespace
