// Joining and classification of what the instrument sends, over a scripted queue.
#include "midi/MessageReader.h"
#include "midi/MidiMessages.h"
#include "midi/SimulatedPatches.h"

#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

namespace {

// The library's queue as a script: an empty message is a read that finds the queue
// empty, as when the next piece has not arrived yet.
struct ScriptedQueue {
    std::vector<Bytes> script;
    std::size_t next = 0;
    int pauses = 0;
    std::string debugLines;
    MessageReader reader{
        [this](Bytes& message) { message = next < script.size() ? script[next++] : Bytes(); },
        [this] { ++pauses; }, [this](const std::string& line) { debugLines += line; }};

    std::vector<Bytes> ReadAll() {
        std::vector<Bytes> out;
        for (Bytes message; reader.Next(message);)
            out.push_back(message);
        return out;
    }
};

TEST(MessageReader, DropsClocksAndJoinsPiecesOnce) {
    const Bytes dump = FactoryBankDumps().at(7);
    const auto third = static_cast<std::ptrdiff_t>(dump.size() / 3);
    const struct {
        const char* what;
        std::vector<std::string> script; // "-": nothing there, "@": the next third of a real dump
        std::vector<Bytes> expected;
        int pauses;
        const char* debug;
    } cases[] = {
        {"clock around a control change", {"F8", "B0 07 40", "F8"}, {Hex("B0 07 40")}, 0, ""},
        {"active sensing alone is a message", {"FE"}, {Hex("FE")}, 0, ""},
        {"three pieces in the queue", {"@", "@", "@", "B0 07 40"}, {dump, Hex("B0 07 40")}, 2, ""},
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
         "MIDI Truncated!!\n"},
    };
    for (const auto& c : cases) {
        ScriptedQueue queue;
        std::ptrdiff_t piece = 0;
        for (const std::string& step : c.script) {
            const auto from = dump.begin() + third * piece;
            if (step == "@")
                queue.script.emplace_back(from, ++piece == 3 ? dump.end() : from + third);
            else
                queue.script.push_back(Hex(step == "-" ? "" : step));
        }
        EXPECT_EQ(queue.ReadAll(), c.expected) << c.what;
        EXPECT_EQ(queue.pauses, c.pauses) << c.what;
        EXPECT_EQ(queue.debugLines, c.debug) << c.what;
    }
}

TEST(MessageReader, PeekedMessagesComeOutOfNextUnlessSkipped) {
    ScriptedQueue queue;
    queue.script = {Hex("C0 05"), Hex("C0 05"), Hex("B0 07 40"), Hex("B0 08 10")};
    Bytes message;
    ASSERT_TRUE(queue.reader.Next(message));
    EXPECT_EQ(queue.reader.Peek(1), Hex("B0 07 40"));
    EXPECT_TRUE(queue.reader.Peek(3).empty());
    queue.reader.Skip(1);
    EXPECT_EQ(queue.ReadAll(), (std::vector<Bytes>{Hex("B0 07 40"), Hex("B0 08 10")}));
}

TEST(MidiMessages, ClassifiesByTheFirstRuleThatClaimsTheMessage) {
    const std::string reply = "F0 00 20 32 00 01 24 00 78 7E 03 20 00 00 00 00 00 7B 00 F7";
    const std::pair<Bytes, MessageKind> cases[] = {
        {Hex("B0 07 40"), MessageKind::ControlChange},
        {Hex("B0 07 40 00"), MessageKind::ControlChange},
        {Hex("B0 07"), MessageKind::Unknown},
        {Hex("B1 07 40"), MessageKind::Unknown},
        {Hex("C0 05"), MessageKind::ProgramChange},
        {Hex("C0 05 00"), MessageKind::Unknown},
        {Hex("C1 05"), MessageKind::Unknown},
        {Hex(reply), MessageKind::IdentificationReply},
        {Hex(reply.substr(0, 3 * 18)), MessageKind::Unknown}, // 18 bytes: too short to carry the patch
        {Hex("F0 00 20 32 00 01 24 00 78 7E 03"), MessageKind::Unknown},
        {FactoryBankDumps().at(0), MessageKind::PatchDump},
        {Hex("F0 00 20 32 00 01 24 00 78"), MessageKind::PatchDump},
        {Hex("F0 00 20 32 00 01 24 00 77 05 00 F7"), MessageKind::Unknown},
        {Hex("F0 F7"), MessageKind::EmptySysEx},
        {Hex("FE"), MessageKind::Unknown},
        {Bytes(), MessageKind::Unknown},
    };
    for (const auto& [message, kind] : cases)
        EXPECT_EQ(ClassifyMessage(message), kind) << HexText(message);
}

TEST(MidiMessages, PatchChangeIsTwoProgramChangesAndABankSelect) {
    const struct {
        const char* messages[3];
        int bank; // -1: not a patch change
        int program;
    } cases[] = {
        {{"C0 05", "C0 05", "B0 00 02"}, 2, 5},  {{"C0 05", "C0 09", "B0 20 01"}, 1, 5},
        {{"C0 05", "B0 00 02", "C0 05"}, -1, 0}, {{"C0 05", "C0 05", "B0 00"}, -1, 0},
        {{"C0 05", "C1 05", "B0 00 02"}, -1, 0}, {{"C0 05", "", ""}, -1, 0},
    };
    for (const auto& c : cases) {
        const auto change = ReadPatchChange(Hex(c.messages[0]), Hex(c.messages[1]), Hex(c.messages[2]));
        EXPECT_EQ(change ? std::make_pair(change->bank, change->program) : std::make_pair(-1, 0),
                  std::make_pair(c.bank, c.program))
            << c.messages[0] << " " << c.messages[1] << " " << c.messages[2];
    }
}

TEST(MidiMessages, UnknownMessageLineIsCutToItsBuffer) {
    EXPECT_EQ(FormatUnknownMessage(Hex("B1 07 40")), "Unknown Message[3]: b1, 07, 40, \n");
    const std::string prefix = "Unknown Message[9000]: ";
    const std::string line = FormatUnknownMessage(Bytes(9000, 0x41));
    EXPECT_LT(line.size(), kDebugLineBuffer);
    EXPECT_GT(line.size(), kDebugLineBuffer - 8);
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ((line.size() - prefix.size() - 1) % 4, 0u) << "only whole byte entries";
}

} // namespace
