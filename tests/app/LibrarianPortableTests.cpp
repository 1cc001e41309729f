// The librarian's portable half, for what the application's tests do not reach: texts
// of saves and opens that found little, read-backs compared, an instrument that stops
// answering in a restore, and firmware replies that are off.
#include "app/LibraryFiles.h"
#include "app/RestorePlan.h"
#include "engine/DumpPacker.h"
#include "engine/SysExConstants.h"
#include "midi/FirmwareVersion.h"
#include "midi/MessageReader.h"
#include "midi/SimulatedInstrument.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

namespace {

// A factory dump moved to another slot and, if asked, into the older format 0x6E.
Bytes Renumbered(const Bytes& dump, int patch, int format = kFormatVersion6F) {
    std::vector<uint8_t> data = UnpackPatchData(dump);
    data[kFormatVersionByte] = static_cast<uint8_t>(format);
    return PackPatchDump(patch, data);
}

TEST(Librarian, SaysWhatASaveTookAndWhatAFileHeld) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    EXPECT_EQ(SavedText(SelectBank(std::vector<PatchSlot>(400), 1), "bank 1", "s.syx"),
              "No patch of bank 1 is loaded: nothing was saved.");
    EXPECT_EQ(SavedText(SelectDumps({bank[5]}), "the listed file", "s.syx"),
              "Saved 1 of 1 patch of the listed file to s.syx.");

    Bytes mixed = Hex("F8 F0 7E 7F 06 01 F7 12"); // an identity request and two stray bytes
    mixed.insert(mixed.end(), bank[3].begin(), bank[3].end());
    for (int format : {kFormatVersion6E, kFormatVersion6D, kFormatVersion6E}) {
        const Bytes older = Renumbered(bank[4], 104, format);
        mixed.insert(mixed.end(), older.begin(), older.end());
    }
    EXPECT_EQ(OpenedText(ReadPatchFile(mixed), "f.syx"),
              (std::vector<std::string>{"Opened f.syx: 4 patches, 3 other messages or bytes skipped.",
                                        "1 patch in the older format 0x6D (older firmware).",
                                        "2 patches in the older format 0x6E (firmware up to 1.2.7)."}));
    EXPECT_EQ(ReadPatchFile(LoadFactoryBankFile()).dumps, bank);
    EXPECT_EQ(DisplayName(std::filesystem::path("dir") / "Caf\xC3\xA9.syx"), "Caf??.syx");
}

TEST(Librarian, RestoreComparesTheReadBackAndStopsWhenTheInstrumentDoes) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    EXPECT_EQ(CompareReadBack(bank[0], Renumbered(bank[1], 0)), ReadBack::Differs);
    // An older patch comes back in format 0x6F, its LFO amount without the old dead zone
    // (bank[12]'s is well above it); unconverted, or with another value, it differs.
    for (int format : {kFormatVersion6E, kFormatVersion6D, 0x6C}) {
        SCOPED_TRACE(format);
        const Bytes older = Renumbered(bank[12], 12, format);
        SimulatedInstrument instrument;
        instrument.Receive(older);
        const Bytes kept = instrument.Patch(12);
        EXPECT_EQ(kept.size(), 210u);
        EXPECT_EQ(CompareReadBack(older, kept), ReadBack::Verified) << "kept in the newer format";
        EXPECT_EQ(CompareReadBack(kept, older), ReadBack::Differs) << "the older format for the newer";
        EXPECT_EQ(CompareReadBack(older, Renumbered(older, 12)), ReadBack::Differs) << "not converted";
        EXPECT_EQ(CompareReadBack(older, Renumbered(bank[13], 12)), ReadBack::Differs);
        EXPECT_EQ(ReadPatchName(kept), format == 0x6C ? "[Unnamed]" : ReadPatchName(bank[12]));
    }

    std::vector<Bytes> dumps; // bank 1 with the factory patches, and two that are no patch
    for (int i = 0; i < 100; ++i)
        dumps.push_back(Renumbered(bank[static_cast<std::size_t>(i)], 100 + i));
    dumps.push_back(Renumbered(bank[3], 450));
    dumps.push_back(Hex("F0 F7"));
    const RestorePlan plan = PlanRestore(dumps);
    EXPECT_EQ(plan.skipped, 2);
    EXPECT_NE(RestoreQuestion(plan, std::vector<PatchSlot>(400))
                  .find("1:19  (not loaded here)  ->  " + ReadPatchName(bank[19]) + "\n... and 80 more."),
              std::string::npos);
    SimulatedInstrument instrument;
    instrument.behaviour.silentPatches = {110, 111, 112};
    const RestoreResult result = WriteAndVerify(
        plan, [&](const Bytes& dump) { EXPECT_TRUE(instrument.Receive(dump).empty()); },
        [&](int patch) -> std::optional<Bytes> {
            std::vector<Bytes> answers = instrument.Receive(BuildPatchRequest(patch));
            return answers.empty() ? std::nullopt : std::optional<Bytes>(answers[0]);
        });
    EXPECT_EQ(
        RestoreReport(result),
        "Wrote 13 patches, verified 10; no answer on read-back: 1:10 to 1:12; not written, the instrument "
        "stopped answering: 1:13 to 1:99; 2 dumps name no patch and were left out.");
    EXPECT_EQ(instrument.Patch(113), SimulatedInstrument().Patch(113));
    EXPECT_EQ(SlotList({107, 105, 150, 151, 152, 199, 0, 1}), "0:00, 0:01, 1:05, 1:07, 1:50 to 1:52, 1:99");
}

TEST(Librarian, AFirmwareReplyThatIsOffIsNoVersion) {
    // A good reply shows in the application's tests; these are no version: one digit short,
    // a data byte of 0x80 or more, cut off.
    for (const char* reply : {"F0 00 20 32 00 01 24 00 09 00 01 04 F7",
                              "F0 00 20 32 00 01 24 00 09 00 01 84 06 F7", "F0 00 20 32 00 01 24 00 09"})
        EXPECT_FALSE(ReadFirmwareVersion(Hex(reply))) << reply;
}

} // namespace
