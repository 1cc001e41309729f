// Joining and classification of what the instrument sends, over a scripted queue.
#include "midi/MessageReader.h"
#include "midi/MidiMessages.h"
#include "midi/SimulatedPatches.h"

#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// The library's queue as a script: "-" is a read that finds the queue empty, as when
// the next piece has not arrived yet.
struct ScriptedQueue {
    std::deque<std::string> script;
    std::deque<Bytes> pieces; // stand-ins for "@": pieces of a real dump
    int pauses = 0;
    std::vector<std::string> debugLines;

    MessageReader Reader() {
        return MessageReader(
            [this](Bytes& message) {
                message.clear();
                if (script.empty())
                    return;
                const std::string step = script.front();
                script.pop_front();
                if (step == "@") {
                    message = pieces.front();
                    pieces.pop_front();
                } else if (step != "-") {
                    message = Hex(step);
                }
            },
            [this] { ++pauses; }, [this](const std::string& line) { debugLines.push_back(line); });
    }
};

std::vector<Bytes> ReadAll(MessageReader& reader) {
    std::vector<Bytes> out;
    Bytes message;
    while (reader.Next(message))
        out.push_back(message);
    return out;
}

std::vector<Bytes> ThirdsOf(const Bytes& message) {
    const auto third = static_cast<std::ptrdiff_t>(message.size() / 3);
    return {Bytes(message.begin(), message.begin() + third),
            Bytes(message.begin() + third, message.end() - third),
            Bytes(message.end() - third, message.end())};
}

TEST(MessageReader, DropsClocksAndJoinsPiecesOnce) {
    const Bytes dump = FactoryBankDumps().at(7);
    struct Case {
        const char* what;
        std::vector<std::string> script;
        std::vector<Bytes> expected;
        int pauses;
    };
    const std::vector<Case> cases = {
        {"clock around a control change", {"F8", "B0 07 40", "F8"}, {Hex("B0 07 40")}, 0},
        {"active sensing alone is a message", {"FE"}, {Hex("FE")}, 0},
        {"three pieces in the queue", {"@", "@", "@", "B0 07 40"}, {dump, Hex("B0 07 40")}, 2},
        {"every real-time byte between pieces",
         {"@", "F8", "F9", "FA", "FB", "@", "FC", "FD", "FE", "FF", "@"},
         {dump},
         10},
        {"pieces that arrive while it waits", {"@", "-", "-", "@", "-", "@"}, {dump}, 5},
        {"a whole SysEx message is not held", {"F0 F7", "F0 00 F7"}, {Hex("F0 F7"), Hex("F0 00 F7")}, 0},
    };
    for (const Case& c : cases) {
        ScriptedQueue queue;
        queue.script.assign(c.script.begin(), c.script.end());
        for (const Bytes& piece : ThirdsOf(dump))
            queue.pieces.push_back(piece);
        MessageReader reader = queue.Reader();
        EXPECT_EQ(ReadAll(reader), c.expected) << c.what;
        EXPECT_EQ(queue.pauses, c.pauses) << c.what;
        EXPECT_TRUE(queue.debugLines.empty()) << c.what;
    }
}

TEST(MessageReader, HandsOutAnEndlessSysExAfterMoreThanAHundredEmptyReads) {
    ScriptedQueue queue;
    queue.script = {"F0 00 20", "-", "21 22", "B0 07 40"}; // then nothing more, ever
    MessageReader reader = queue.Reader();
    // The control change arrived during the wait: without a status rule it is taken as data.
    EXPECT_EQ(ReadAll(reader), std::vector<Bytes>{Hex("F0 00 20 21 22 B0 07 40")});
    EXPECT_EQ(queue.pauses, 3 + 100); // a pause before every read: 101 of them found nothing
    EXPECT_EQ(queue.debugLines, std::vector<std::string>{"MIDI Truncated!!\n"});
}

TEST(MessageReader, PeekedMessagesComeOutOfNextUnlessSkipped) {
    ScriptedQueue queue;
    queue.script = {"C0 05", "C0 05", "B0 07 40", "B0 08 10"};
    MessageReader reader = queue.Reader();
    Bytes message;
    ASSERT_TRUE(reader.Next(message));
    EXPECT_EQ(reader.Peek(0), Hex("C0 05"));
    EXPECT_EQ(reader.Peek(1), Hex("B0 07 40"));
    EXPECT_TRUE(reader.Peek(3).empty());
    reader.Skip(1);
    EXPECT_EQ(ReadAll(reader), (std::vector<Bytes>{Hex("B0 07 40"), Hex("B0 08 10")}));
}

TEST(MidiMessages, ClassifiesByTheFirstRuleThatClaimsTheMessage) {
    const Bytes dump = FactoryBankDumps().at(0);
    const std::string reply = "F0 00 20 32 00 01 24 00 78 7E 03 20 00 00 00 00 00 7B 00 F7";
    struct Case {
        Bytes message;
        MessageKind kind;
    };
    const std::vector<Case> cases = {
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
        {dump, MessageKind::PatchDump},
        {Hex("F0 00 20 32 00 01 24 00 78"), MessageKind::PatchDump},
        {Hex("F0 00 20 32 00 01 24 00 77 05 00 F7"), MessageKind::Unknown},
        {Hex("F0 F7"), MessageKind::EmptySysEx},
        {Hex("FE"), MessageKind::Unknown},
        {Bytes(), MessageKind::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyMessage(c.message), c.kind) << HexText(c.message);
}

TEST(MidiMessages, PatchChangeIsTwoProgramChangesAndABankSelect) {
    struct Case {
        const char* first;
        const char* second;
        const char* third;
        int bank; // -1: not a patch change
        int program;
    };
    const Case cases[] = {
        {"C0 05", "C0 05", "B0 00 02", 2, 5},  {"C0 05", "C0 09", "B0 20 01", 1, 5},
        {"C0 05", "B0 00 02", "C0 05", -1, 0}, {"C0 05", "C0 05", "B0 00", -1, 0},
        {"C0 05", "C1 05", "B0 00 02", -1, 0}, {"C0 05", "", "", -1, 0},
    };
    for (const Case& c : cases) {
        const std::optional<PatchChange> change = ReadPatchChange(Hex(c.first), Hex(c.second), Hex(c.third));
        EXPECT_EQ(change.has_value(), c.bank >= 0) << c.first << " " << c.second << " " << c.third;
        if (change) {
            EXPECT_EQ(change->bank, c.bank);
            EXPECT_EQ(change->program, c.program);
        }
    }
}

TEST(MidiMessages, UnknownMessageLineIsCutToItsBuffer) {
    EXPECT_EQ(FormatUnknownMessage(Hex("B1 07 40")), "Unknown Message[3]: b1, 07, 40, \n");
    const std::string prefix = "Unknown Message[9000]: ";
    const std::string line = FormatUnknownMessage(Bytes(9000, 0x41));
    EXPECT_LT(line.size(), kDebugLineBuffer);
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ((line.size() - prefix.size() - 1) % 4, 0u) << "only whole byte entries";
    EXPECT_GT(line.size(), kDebugLineBuffer - 8);
}

} // namespace
