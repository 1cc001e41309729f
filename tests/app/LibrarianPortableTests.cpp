// The librarian's portable half: what is saved and said, the patches of a file, the
// restore's plan, read-back and report against the simulated instrument, audition and
// the firmware version exchange.
#include "app/Audition.h"
#include "app/LibraryFiles.h"
#include "app/RestorePlan.h"
#include "engine/SysExConstants.h"
#include "midi/DumpPacker.h"
#include "midi/FirmwareVersion.h"
#include "midi/MessageReader.h"
#include "midi/SimulatedInstrument.h"
#include "tests/engine/FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A factory dump moved to another slot and, if asked, into the older format 0x6E.
Bytes Renumbered(const Bytes& dump, int patch, int format = kFormatVersion6F) {
    std::vector<uint8_t> data = UnpackPatchData(dump);
    data[kFormatVersionByte] = static_cast<uint8_t>(format);
    return PackPatchDump(patch, data);
}

std::vector<PatchSlot> CacheOf(const std::vector<Bytes>& dumps, const std::set<int>& missing) {
    std::vector<PatchSlot> slots(PatchBank::kSlots);
    for (std::size_t i = 0; i < dumps.size(); ++i) {
        if (missing.count(static_cast<int>(i)) == 0)
            slots[i] = {true, dumps[i]};
    }
    return slots;
}

Bytes Joined(const std::vector<Bytes>& dumps) {
    Bytes data;
    for (const Bytes& dump : dumps)
        data.insert(data.end(), dump.begin(), dump.end());
    return data;
}

TEST(LibrarianSave, TakesLoadedDumpsAsReceivedAndSaysHowManyWereMissing) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    std::set<int> missing;
    for (int program = 0; program < 13; ++program)
        missing.insert(program * 7);
    const std::vector<PatchSlot> cache = CacheOf(bank, missing);
    std::vector<Bytes> kept;
    for (int program = 0; program < 100; ++program) {
        if (missing.count(program) == 0)
            kept.push_back(bank[static_cast<std::size_t>(program)]);
    }
    const struct {
        SaveSelection selection;
        std::string source;
        Bytes data;
        std::string text;
    } cases[] = {
        {SelectBank(cache, 0), "bank 0", Joined(kept), "Saved 87 of 100 patches of bank 0 to strings.syx."},
        {SelectBank(cache, 1), "bank 1", {}, "No patch of bank 1 is loaded: nothing was saved."},
        {SelectAll(cache), "", Joined(kept), "Saved 87 of 400 patches to strings.syx."},
        {SelectAll(std::vector<PatchSlot>(400)), "", {}, "No patch is loaded: nothing was saved."},
        {SelectDumps({bank[5]}), "the listed file", bank[5],
         "Saved 1 of 1 patch of the listed file to strings.syx."},
        {SelectBank(cache, 4), "bank 4", {}, "No patch of bank 4 is loaded: nothing was saved."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.selection.data, c.data) << c.text;
        EXPECT_EQ(SavedText(c.selection, c.source, "strings.syx"), c.text);
    }
    EXPECT_EQ(SaveFailedText("a.syx", "the file is read-only"),
              "Could not save a.syx: the file is read-only.");
}

TEST(LibrarianOpen, FindsTheDumpsOfAFileAndNotesTheOlderFormat) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    Bytes mixed = Hex("F8 F0 7E 7F 06 01 F7 12"); // an identity request and two stray bytes
    mixed.insert(mixed.end(), bank[3].begin(), bank[3].end());
    const Bytes older = Renumbered(bank[4], 104, kFormatVersion6E);
    mixed.insert(mixed.end(), older.begin(), older.end());
    const struct {
        Bytes data;
        std::size_t dumps;
        std::vector<std::string> text;
    } cases[] = {
        {LoadFactoryBankFile(), 100, {"Opened f.syx: 100 patches."}},
        {mixed,
         2,
         {"Opened f.syx: 2 patches, 3 other messages or bytes skipped.",
          "1 patch in the older format 0x6E (firmware up to 1.2.7)."}},
        {Hex("F0 7E 7F 06 01 F7"), 0, {"f.syx holds no patch dump: nothing was opened."}},
        {{}, 0, {"f.syx holds no patch dump: nothing was opened."}},
    };
    for (const auto& c : cases) {
        const PatchFile file = ReadPatchFile(c.data);
        EXPECT_EQ(file.dumps.size(), c.dumps);
        EXPECT_EQ(OpenedText(file, "f.syx"), c.text);
    }
    EXPECT_EQ(ReadPatchFile(LoadFactoryBankFile()).dumps, bank);
    EXPECT_EQ(DisplayName(std::filesystem::path("dir") / "Caf\xC3\xA9.syx"), "Caf??.syx");

    Bytes data;
    std::string error;
    EXPECT_FALSE(ReadFileBytes("no/such/file.syx", data, error));
    EXPECT_FALSE(error.empty());
}

TEST(LibrarianRestore, NamesSlotsAndComparesTheReadBack) {
    EXPECT_EQ(SlotList({107, 105, 150, 151, 152, 199, 0, 1}), "0:00, 0:01, 1:05, 1:07, 1:50 to 1:52, 1:99");

    const std::vector<Bytes> bank = LoadFactoryBank();
    const Bytes older = Renumbered(bank[0], 0, kFormatVersion6E);
    const Bytes otherName = Renumbered(bank[1], 0);
    const struct {
        const char* what;
        Bytes sent;
        std::optional<Bytes> received;
        ReadBack expected;
    } cases[] = {
        {"the same bytes", bank[0], bank[0], ReadBack::Verified},
        {"another patch", bank[0], otherName, ReadBack::Differs},
        {"an empty slot", bank[0], Hex("F0 F7"), ReadBack::Differs},
        {"no answer", bank[0], std::nullopt, ReadBack::NoAnswer},
        {"kept in the newer format", older, bank[0], ReadBack::Verified},
        {"the newer format for the older", bank[0], older, ReadBack::Differs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareReadBack(c.sent, c.received), c.expected) << c.what;

    RestorePlan plan = PlanRestore({Renumbered(bank[2], 105), Renumbered(bank[3], 450), Hex("F0 F7")});
    ASSERT_EQ(plan.items.size(), 1u);
    EXPECT_EQ(plan.items[0].patch, 105);
    EXPECT_EQ(plan.skipped, 2);
    std::vector<Bytes> hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back(Renumbered(bank[static_cast<std::size_t>(i)], 100 + i));
    const std::string question = RestoreQuestion(PlanRestore(hundred), std::vector<PatchSlot>(400));
    EXPECT_NE(question.find("1:19  (not loaded here)  ->  " + ReadPatchName(bank[19]) + "\n... and 80 more."),
              std::string::npos)
        << question;
}

// Bank 1 written with the factory patches into a simulated instrument, each slot read
// back at once, with the instrument refusing, keeping quiet or gone.
TEST(LibrarianRestore, WritesReadsBackAndReportsEverySlotThatFailed) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    std::vector<Bytes> dumps;
    for (int i = 0; i < 100; ++i)
        dumps.push_back(Renumbered(bank[static_cast<std::size_t>(i)], 100 + i));
    const struct {
        const char* what;
        std::function<void(SimulatedInstrument::Behaviour&)> behave;
        std::string report;
        int stored; // slots of bank 1 holding the file's patch afterwards
    } cases[] = {
        {"all goes well", [](auto&) {}, "Wrote and verified 100 patches.", 100},
        {"refused half-way", [](auto& b) { b.writesAccepted = 50; },
         "Wrote 100 patches, verified 50; different on read-back: 1:50 to 1:99.", 50},
        {"two slots silent",
         [](auto& b) {
             b.silentPatches = {105, 107};
         },
         "Wrote 100 patches, verified 98; no answer on read-back: 1:05, 1:07.", 100},
        {"gone after ten",
         [](auto& b) {
             b.silentPatches = {110, 111, 112};
         },
         "Wrote 13 patches, verified 10; no answer on read-back: 1:10 to 1:12; not written, the instrument "
         "stopped answering: 1:13 to 1:99.",
         13},
    };
    for (const auto& c : cases) {
        SimulatedInstrument instrument;
        c.behave(instrument.behaviour);
        const RestoreResult result = WriteAndVerify(
            PlanRestore(dumps), [&](const Bytes& dump) { EXPECT_TRUE(instrument.Receive(dump).empty()); },
            [&](int patch) -> std::optional<Bytes> {
                std::vector<Bytes> answers = instrument.Receive(BuildPatchRequest(patch));
                return answers.empty() ? std::nullopt : std::optional<Bytes>(answers[0]);
            });
        EXPECT_EQ(RestoreReport(result), c.report) << c.what;
        int stored = 0;
        for (int i = 0; i < 100; ++i)
            stored += instrument.Patch(100 + i) == dumps[static_cast<std::size_t>(i)];
        EXPECT_EQ(stored, c.stored) << c.what;
    }
    RestoreResult declined;
    declined.confirmed = false;
    EXPECT_EQ(RestoreReport(declined), "Nothing was written.");
}

// That each value is the one a user edit sends is checked in the application.
TEST(LibrarianAudition, OneControlChangePerKnobAndSwitchWithDataBytesOnly) {
    for (const Bytes& dump : LoadFactoryBank()) {
        const std::vector<DecodedValue> values = *DecodeParameters(dump);
        const std::vector<Bytes> messages = AuditionMessages([&](int id) -> std::optional<int> {
            auto found =
                std::find_if(values.begin(), values.end(), [&](const DecodedValue& v) { return v.id == id; });
            return found != values.end() ? found->value : 0;
        });
        std::set<int> ids;
        for (const Bytes& message : messages) {
            EXPECT_TRUE(message.size() == 3 && message[0] == 0xB0 && message[1] < 0x80 && message[2] < 0x80);
            ids.insert(message[1]);
        }
        EXPECT_EQ(messages.size(), 54u);
        EXPECT_EQ(ids.size(), 54u);
    }
    EXPECT_EQ(AuditionMessages([](int) { return 9999; })[0], Hex("B0 08 7F")) << "kept to 0..127";
}

TEST(FirmwareVersion, RequestReplyAndText) {
    EXPECT_EQ(BuildFirmwareVersionRequest(), Hex("F0 00 20 32 00 01 24 00 08 00 F7"));
    EXPECT_TRUE(IsFirmwareVersionRequest(BuildFirmwareVersionRequest()));
    const struct {
        const char* reply;
        std::optional<std::string> text;
    } cases[] = {
        {"F0 00 20 32 00 01 24 00 09 00 01 04 06 F7", "Pro~800 firmware 1.4.6"},
        {"F0 00 20 32 00 01 24 00 09 00 01 02 07 F7", "Pro~800 firmware 1.2.7"},
        {"F0 00 20 32 00 01 24 00 09 00 01 04 F7", std::nullopt},
        {"F0 00 20 32 00 01 24 00 09 01 01 04 06 F7", std::nullopt},
        {"F0 00 20 32 00 01 24 00 08 00 01 04 06 F7", std::nullopt},
        {"F0 00 20 32 00 01 24 00 09 00 01 84 06 F7", std::nullopt},
        {"F0 00 20 32 00 01 24 00 09 00 01 04 06 05", std::nullopt},
        {"F0 00 20 32 00 01 24 00 09", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<FirmwareVersion> version = ReadFirmwareVersion(Hex(c.reply));
        EXPECT_EQ(version ? std::optional<std::string>(FirmwareText(*version)) : std::nullopt, c.text)
            << c.reply;
    }

    SimulatedInstrument instrument;
    EXPECT_EQ(instrument.Receive(BuildFirmwareVersionRequest()),
              std::vector<Bytes>{Hex("F0 00 20 32 00 01 24 00 09 00 01 04 06 F7")});
    instrument.behaviour.firmware.reset();
    EXPECT_TRUE(instrument.Receive(BuildFirmwareVersionRequest()).empty());
}

} // namespace
