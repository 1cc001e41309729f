// The simulated instrument keeps the contract the program relies on, with real data in bank 0.
#include "midi/SimulatedInstrument.h"
#include "midi/DumpPacker.h"
#include "midi/MessageReader.h"
#include "midi/SimulatedPatches.h"

#include "engine/SysExConstants.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(SimulatedPatches, BankZeroIsTheFactoryBankAndTheOthersDecodeLikeIt) {
    const std::vector<Bytes> patches = SimulatedPatches();
    ASSERT_EQ(patches.size(), 400u);
    EXPECT_EQ(std::vector<Bytes>(patches.begin(), patches.begin() + 100), LoadFactoryBank());
    std::set<std::string> names;
    for (int n = 0; n < 400; ++n) {
        const Bytes& dump = patches[static_cast<std::size_t>(n)];
        SCOPED_TRACE(n);
        EXPECT_EQ(dump.size(), 210u);
        EXPECT_EQ(ReadPatchNumber(dump), n);
        EXPECT_EQ(ReadFormatVersion(dump), kFormatVersion6F);
        EXPECT_TRUE(DecodeParameters(dump).has_value());
        const std::string name = ReadPatchName(dump);
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 15u);
        if (n >= 100) {
            EXPECT_EQ(name, GeneratedPatchName(n));
            names.insert(name);
        }
    }
    EXPECT_EQ(names.size(), 300u) << "every generated patch has a name of its own";
}

TEST(DumpPacker, RepacksEveryFactoryDumpByteForByte) {
    for (const Bytes& dump : LoadFactoryBank())
        EXPECT_EQ(PackPatchDump(*ReadPatchNumber(dump), UnpackPatchData(dump)), dump);
}

TEST(SimulatedInstrument, AnswersRequestsAsTheProgramExpects) {
    SimulatedInstrument instrument;
    instrument.SetPatch(17, Bytes());
    struct Case {
        const char* what;
        Bytes request;
        Bytes answer; // empty: no answer
    };
    const std::vector<Case> cases = {
        {"patch 205", BuildPatchRequest(205), instrument.Patch(205)},
        {"patch 399", BuildPatchRequest(399), instrument.Patch(399)},
        {"an empty slot", BuildPatchRequest(17), Hex("F0 F7")},
        {"no such patch", BuildPatchRequest(450), Hex("F0 F7")},
        {"a control change", Hex("B0 07 40"), Bytes()},
        {"a request too short", Hex("F0 00 20 32 00 01 24 00 77 05 F7"), Bytes()},
    };
    for (const Case& c : cases) {
        const std::vector<Bytes> answers = instrument.Receive(c.request);
        EXPECT_EQ(answers, c.answer.empty() ? std::vector<Bytes>() : std::vector<Bytes>{c.answer}) << c.what;
    }
}

TEST(SimulatedInstrument, IdentificationReplyCarriesTheCurrentPatch) {
    for (int current : {0, 123, 255, 256, 399}) {
        SimulatedInstrument instrument;
        instrument.SetCurrentPatch(current);
        const std::vector<Bytes> answers = instrument.Receive(BuildIdentificationRequest());
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_GE(answers[0].size(), kIdentificationReplyMinLength);
        EXPECT_TRUE(IsIdentificationReply(answers[0]));
        EXPECT_EQ(ReadCurrentPatch(answers[0]), current);
    }
}

TEST(SimulatedInstrument, FollowsWhatItIsSentAndSendsWhatTheUserDoes) {
    SimulatedInstrument instrument;
    EXPECT_EQ(instrument.ChangePatch(205), (std::vector<Bytes>{Hex("C0 05"), Hex("C0 05"), Hex("B0 00 02")}));
    EXPECT_EQ(instrument.CurrentPatch(), 205);
    instrument.Receive(Hex("C0 2A"));
    instrument.Receive(Hex("B0 00 01"));
    EXPECT_EQ(instrument.CurrentPatch(), 142);
    EXPECT_EQ(SimulatedInstrument::TurnKnob(15, 100), Hex("B0 0F 64"));

    const Bytes stored = PackPatchDump(321, UnpackPatchData(instrument.Patch(5)));
    EXPECT_TRUE(instrument.Receive(stored).empty());
    EXPECT_EQ(instrument.Patch(321), stored);
}

TEST(SimulatedInstrument, TestsCanMakeItSilentEmptyOrSplit) {
    SimulatedInstrument instrument;
    instrument.behaviour.answers = false;
    EXPECT_TRUE(instrument.Receive(BuildIdentificationRequest()).empty());

    instrument.behaviour = {};
    instrument.behaviour.answersEmpty = true;
    EXPECT_EQ(instrument.Receive(BuildPatchRequest(3)), std::vector<Bytes>{Hex("F0 F7")});

    // Split with real-time bytes between the pieces: what the program's reader joins.
    instrument.behaviour = {};
    instrument.behaviour.pieces = 3;
    instrument.behaviour.betweenPieces = Hex("F8 FE");
    std::vector<Bytes> answers = instrument.Receive(BuildPatchRequest(42));
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

} // namespace
