// The librarian in the application, against the simulated instrument: banks saved and
// opened again, files listed without touching the cache, saves that fail, audition,
// restore with its read-back, the firmware version.
#include "app/RestorePlan.h"
#include "controls/CustomControl.h"
#include "engine/DumpPacker.h"
#include "midi/SimulatedPatches.h"
#include "resources/ResourceIds.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/support/ScratchFolder.h"

#include <commdlg.h>

namespace {

namespace fs = std::filesystem;

class LibrarianTest : public DeviceLinkFixture {
  public:
    // Every knob and switch; the bank buttons say where a patch came from.
    std::vector<int> PanelValues() const {
        std::vector<int> values;
        for (Parameter* parameter : app->engine->parameters.GetParameters())
            if (parameter->GetId() <= 0x7F)
                values.push_back(parameter->GetValue());
        return values;
    }
    Bytes BankBytes(int bank) const {
        Bytes data;
        for (int n = bank * 100; n < bank * 100 + 100; ++n)
            data.insert(data.end(), device.instrument.Patch(n).begin(), device.instrument.Patch(n).end());
        return data;
    }

    ScratchFolder folder{"tavren-librarian-tests"};
};

// The menu command as the user gives it, through the standard save dialog: a timer finds
// the dialog, types the name and presses Save.
TEST_F(LibrarianTest, ABankSavedAndOpenedAgainShowsTheSameNamesAndPanelsAndABadFileNothing) {
    Connect();
    app->LoadBank(1);
    std::vector<std::string> rows;
    std::vector<std::vector<int>> panels;
    for (int row = 0; row < 100; ++row) {
        app->SelectPatch(1, row);
        rows.push_back(Row(row));
        panels.push_back(PanelValues());
    }
    AnswerNextFileDialog((folder / "strings.syx").wstring());
    SendMessageW(window, WM_COMMAND, IDM_SAVE_BANK, 0);
    EXPECT_EQ(app->status.back(), "Saved 100 of 100 patches of bank 1 to strings.syx.");
    EXPECT_EQ(folder.Read("strings.syx"), BankBytes(1)) << "byte for byte as received";

    // A file without a patch dump, or none at all, changes nothing.
    folder.Write("identity.syx", {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    std::string error;
    EXPECT_FALSE(app->OpenPatchFile(folder / "identity.syx", error));
    EXPECT_EQ(error, "identity.syx holds no patch dump: nothing was opened.");
    EXPECT_FALSE(app->OpenPatchFile(folder / "missing.syx", error));
    EXPECT_EQ(error.rfind("Could not open missing.syx: ", 0), 0u) << error;
    EXPECT_EQ(SelectedRow(), 99);
    EXPECT_EQ(Value(1201), 1);

    const std::vector<PatchSlot> cache = app->patchBank.slots;
    device.ClearReceived();
    ASSERT_TRUE(app->OpenPatchFile(folder / "strings.syx", error)) << error;
    EXPECT_EQ(app->status.back(), "Opened strings.syx: 100 patches.");
    EXPECT_EQ(Value(1200) + Value(1201) + Value(1202) + Value(1203), 0) << "no bank button is lit";
    for (int row = 0; row < 100; ++row) {
        SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        app->engine->patchList->OnNotification(LBN_SELCHANGE);
        EXPECT_EQ(Row(row), rows[static_cast<size_t>(row)]);
        EXPECT_EQ(PanelValues(), panels[static_cast<size_t>(row)]) << row;
    }
    EXPECT_TRUE(device.Received().empty()) << "a file's patch is only shown";
    EXPECT_TRUE(std::equal(cache.begin(), cache.end(), app->patchBank.slots.begin(),
                           app->patchBank.slots.end(),
                           [](const PatchSlot& a, const PatchSlot& b) { return a.dump == b.dump; }));

    // What the instrument sends meanwhile is kept, and the file stays listed: a late
    // dump, a patch changed on the instrument, its identification reply.
    const std::vector<int> panel = PanelValues();
    device.Emit({device.instrument.Patch(305)});
    device.Emit(device.instrument.ChangePatch(207));
    device.Emit({BuildIdentificationReply(207)});
    app->PollMidiInput(), app->PollMidiInput();
    EXPECT_TRUE(app->Said("Received 3:05 " + GeneratedPatchName(305) + "; the file stays listed."));
    EXPECT_TRUE(app->Said("Pro~800 patch 2:07 is current; the file stays listed."));
    EXPECT_TRUE(Loaded(305) && Loaded(207));
    EXPECT_TRUE(app->patchBank.ShowingFile());
    EXPECT_EQ(Row(7), rows[7]);
    EXPECT_EQ(PanelValues(), panel);

    // A bank button lists the instrument's bank again, with its patch chosen.
    app->ControlChanged(1202, 1);
    EXPECT_FALSE(app->patchBank.ShowingFile());
    EXPECT_EQ(Row(7), "07 : " + GeneratedPatchName(207));
    EXPECT_EQ(SelectedRow(), 7);
}

TEST_F(LibrarianTest, SaveSaysWhatWasMissingAndAFailedSaveLeavesTheOldFile) {
    Connect();
    for (int patch = 100; patch < 200; ++patch)
        if ((patch - 100) % 8 != 0) // 13 missing
            Cache(patch);
    app->SelectPatch(1, 1);
    const Bytes previous = {1, 2, 3};
    folder.Write("locked.syx", previous);
    fs::permissions(folder / "locked.syx", fs::perms::owner_read);
    const struct {
        fs::path path;
        std::string status;
    } cases[] = {{folder / "strings.syx", "Saved 87 of 100 patches of bank 1 to strings.syx."},
                 {folder / "locked.syx", "Could not save locked.syx: the file is read-only."},
                 {folder / "gone" / "new.syx",
                  "Could not save new.syx: cannot create a file there: No such file or directory."}};
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<bool>(app->SaveBank(c.path)), c.status.rfind("Saved", 0) == 0);
        EXPECT_EQ(app->status.back(), c.status);
    }
    EXPECT_EQ(folder.Read("locked.syx"), previous);
    EXPECT_EQ(folder.Read("strings.syx").size(), 87u * 210u);
    for (const auto& entry : fs::recursive_directory_iterator(folder.path))
        EXPECT_NE(entry.path().extension(), ".tmp");
    ASSERT_TRUE(app->SaveAllPatches(folder / "all.syx"));
    EXPECT_EQ(app->status.back(), "Saved 87 of 400 patches to all.syx.");
}

TEST_F(LibrarianTest, AuditionSendsOneControlChangePerControlAsAnEditWouldAndWritesNothing) {
    Connect();
    app->SelectPatch(0, 42);
    app->PollMidiInput();
    device.ClearReceived();
    app->Audition();
    const std::vector<Bytes> auditioned = device.Received();
    ASSERT_EQ(auditioned.size(), 54u);
    device.ClearReceived();
    for (Parameter* parameter : app->engine->parameters.GetParameters())
        if (parameter->GetId() <= 0x7F) // the bank buttons choose a bank
            app->ControlChanged(parameter->GetId(), parameter->GetValue());
    std::vector<Bytes> edits;
    for (const Bytes& message : device.Received())
        if (message[0] == 0xB0)
            edits.push_back(message);
    EXPECT_EQ(auditioned, edits);
}

TEST_F(LibrarianTest, RestoreReportsWhatWasVerifiedRefusedAndSilent) {
    std::vector<Bytes> file; // bank 2 written with the factory patches
    const std::vector<Bytes> factory = FactoryBankDumps();
    for (int i = 0; i < 100; ++i)
        file.push_back(PackPatchDump(200 + i, UnpackPatchData(factory[static_cast<size_t>(i)])));
    const struct {
        bool agree;
        int writesAccepted, silent;
        std::string status;
    } cases[] = {{false, -1, -1, "Nothing was written."},
                 {true, 50, -1, "Wrote 100 patches, verified 50; different on read-back: 2:50 to 2:99."},
                 {true, -1, 207, "Wrote 100 patches, verified 99; no answer on read-back: 2:07."},
                 {true, -1, -1, "Wrote and verified 100 patches."}};
    for (const auto& c : cases) {
        device.instrument = SimulatedInstrument();
        device.instrument.behaviour.writesAccepted = c.writesAccepted;
        device.instrument.behaviour.silentPatches = {c.silent};
        app->patchBank.slots.assign(PatchBank::kSlots, PatchSlot{});
        Connect();
        app->WriteToInstrument(file, [&](const std::string&) { return c.agree; });
        EXPECT_EQ(app->status.back(), c.status);
        EXPECT_EQ(std::count_if(device.Received().begin(), device.Received().end(), IsPatchDump),
                  c.agree ? 100 : 0)
            << c.status;
        EXPECT_TRUE(c.silent < 0 || !Loaded(c.silent)) << "a slot that did not answer is asked for again";
    }
}

// The firmware of an instrument that tells it shows in the device link's dispatch tests.
TEST_F(LibrarianTest, AnInstrumentSilentOnItsFirmwareIsRecognizedAllTheSame) {
    device.instrument.behaviour.firmware.reset();
    OpenPorts();
    app->QueryDevice();
    EXPECT_TRUE(app->deviceRecognized);
    EXPECT_FALSE(app->firmware.has_value());
    EXPECT_TRUE(Loaded(0) && Loaded(99)) << "the bank loads all the same";
}

} // namespace
