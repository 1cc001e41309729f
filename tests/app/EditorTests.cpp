// The edit of the patch on the panel against the simulated instrument: the title, undo
// and redo of drags and of the instrument's knobs, compare, rename, store with its
// read-back, a patch saved to a file, and the settings dialog.
#include "controls/CustomControl.h"
#include "engine/DumpPacker.h"
#include "engine/PatchSettings.h"
#include "resources/ResourceIds.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/support/Pointer.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kCutoff = 15, kResonance = 16;

class EditorTest : public DeviceLinkFixture {
  public:
    void SetUp() override {
        DeviceLinkFixture::SetUp();
        Connect();
        app->LoadBank(0);
        app->SelectPatch(0, 7);
        device.ClearReceived();
    }
    std::string Title() const {
        wchar_t text[128] = L"";
        GetWindowTextW(window, text, 128);
        return std::string(text, text + wcslen(text));
    }
    std::string MenuText(UINT command) const {
        wchar_t text[64] = L"";
        GetMenuStringW(GetMenu(window), command, text, 64, MF_BYCOMMAND);
        const UINT state = GetMenuState(GetMenu(window), command, MF_BYCOMMAND);
        return std::string(text, text + wcslen(text)) + ((state & MF_GRAYED) ? " (greyed)" : "");
    }
    // A mouse drag of the knob `id` by `pixels` upwards, as the user makes it.
    void Drag(int id, int pixels) {
        const POINT centre = CentreOf(app->engine->FindParameter(id)->GetControl()->hwnd);
        MovePointerTo(centre);
        PressLeftButton();
        for (int step = 1; step <= 4; ++step)
            MovePointerTo(POINT{centre.x, centre.y - pixels * step / 4});
        ReleaseLeftButton();
        PumpMessages();
    }
    // The control changes the instrument received, as "id=value".
    std::vector<std::string> Sent() const {
        std::vector<std::string> sent;
        for (const Bytes& message : device.Received())
            if (message.size() == 3 && message[0] == 0xB0)
                sent.push_back(std::to_string(message[1]) + "=" + std::to_string(message[2]));
        return sent;
    }
    std::string LastSent() const { return Sent().empty() ? "" : Sent().back(); }
};

TEST_F(EditorTest, DragsAndTheInstrumentsKnobsAreStepsThatUndoAndRedoSend) {
    const std::string name = ReadPatchName(device.instrument.Patch(7));
    const int resonance = Value(kResonance);
    EXPECT_EQ(Title(), "Tavren - 0:07 " + name);
    EXPECT_EQ(MenuText(IDM_UNDO), "&Undo Show Patch\tCtrl+Z") << "choosing the patch was a step";
    const int stored = Value(kCutoff);
    Drag(kCutoff, 40);
    const int first = Value(kCutoff);
    Drag(kCutoff, 40);
    const int second = Value(kCutoff);
    ASSERT_TRUE(stored != first && first != second);
    EXPECT_EQ(Title(), "Tavren - 0:07 " + name + " *");
    // Two control changes of the instrument's knob less than a second apart are one step.
    device.Emit(
        {SimulatedInstrument::TurnKnob(kResonance, 10), SimulatedInstrument::TurnKnob(kResonance, 20)});
    app->PollMidiInput();
    EXPECT_EQ(MenuText(IDM_UNDO), "&Undo RESONANCE\tCtrl+Z");

    const struct {
        UINT command;
        int cutoff;
        std::string undo, redo, sent;
    } steps[] = {
        {IDM_UNDO, second, "&Undo CUTOFF\tCtrl+Z", "&Redo RESONANCE\tCtrl+Y", ""},
        {IDM_UNDO, first, "&Undo CUTOFF\tCtrl+Z", "&Redo CUTOFF\tCtrl+Y", "15="},
        {IDM_UNDO, stored, "&Undo Show Patch\tCtrl+Z", "&Redo CUTOFF\tCtrl+Y", "15="},
        {IDM_REDO, first, "&Undo CUTOFF\tCtrl+Z", "&Redo CUTOFF\tCtrl+Y", "15="},
    };
    device.ClearReceived();
    for (const auto& s : steps) {
        SendMessageW(window, WM_COMMAND, s.command, 0);
        EXPECT_EQ(Value(kCutoff), s.cutoff) << s.undo;
        EXPECT_EQ(MenuText(IDM_UNDO), s.undo);
        EXPECT_EQ(MenuText(IDM_REDO), s.redo);
        // The instrument follows: the knob's value as an edit sends it.
        const std::string sent =
            s.sent + std::to_string(app->engine->FindParameter(kCutoff)->ToMidi(s.cutoff));
        EXPECT_TRUE(s.sent.empty() || LastSent() == sent) << LastSent();
    }
    EXPECT_EQ(Value(kResonance), resonance) << "the instrument's step is undone";
    SendMessageW(window, WM_COMMAND, IDM_UNDO, 0); // back to the patch as stored
    EXPECT_EQ(Title(), "Tavren - 0:07 " + name);

    // Showing another patch is a step: undo brings back the edit as it was, and plays it.
    Drag(kCutoff, 30);
    const int edited = Value(kCutoff);
    app->SelectPatch(0, 8);
    EXPECT_EQ(Title(), "Tavren - 0:08 " + ReadPatchName(device.instrument.Patch(8)));
    device.ClearReceived();
    SendMessageW(window, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(Title(), "Tavren - 0:07 " + name + " *");
    EXPECT_EQ(Value(kCutoff), edited);
    EXPECT_EQ(Sent().size(), 54u) << "every knob and switch, as Audition sends them";
    EXPECT_EQ(SelectedRow(), 7);
}

TEST_F(EditorTest, CompareShowsAndPlaysTheStoredPatchAndLosesNothing) {
    const int stored = Value(kCutoff);
    Drag(kCutoff, 40);
    const int edited = Value(kCutoff);
    const std::string title = Title();
    device.ClearReceived();
    SendMessageW(window, WM_COMMAND, IDM_COMPARE, 0);
    EXPECT_EQ(Title(), title + " [compare]");
    EXPECT_EQ(Value(kCutoff), stored);
    EXPECT_EQ(Sent().size(), 54u);
    Drag(kCutoff, 40);
    EXPECT_EQ(Value(kCutoff), stored) << "a drag does nothing while comparing";
    EXPECT_TRUE(app->Said("Comparing: the stored patch stays on the panel. Ctrl+M returns to the edit."));
    device.Emit({SimulatedInstrument::TurnKnob(kResonance, 99)}); // kept in the edit meanwhile
    app->PollMidiInput();
    EXPECT_NE(Value(kResonance), app->engine->FindParameter(kResonance)->FromMidi(99));
    device.ClearReceived();
    SendMessageW(window, WM_COMMAND, IDM_COMPARE, 0);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Value(kCutoff), edited);
    EXPECT_EQ(Value(kResonance), app->engine->FindParameter(kResonance)->FromMidi(99));
    EXPECT_EQ(Sent().size(), 54u);
}

TEST_F(EditorTest, RenameStoreAndSaveKeepTheEdit) {
    for (const char* bad : {"", "Seventeen chars!!", "Tab\there"})
        EXPECT_FALSE(app->Rename(bad)) << bad;
    // The dialog as the user fills it: the name typed, then OK.
    static std::wstring typed;
    typed = L"Night Brass";
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (HWND dialog = FindWindowW(L"#32770", L"Rename Patch")) {
            KillTimer(nullptr, timer);
            SetDlgItemTextW(dialog, IDC_NAME, typed.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    SendMessageW(window, WM_COMMAND, IDM_RENAME, 0);
    EXPECT_EQ(Title(), "Tavren - 0:07 Night Brass *");
    Drag(kCutoff, 40);

    // Stored into another slot: what the instrument keeps is the dump the edit builds.
    app->deviceRecognized = false;
    EXPECT_EQ(app->StorePatch(107, "Night Brass", [](const std::string&) { return true; }).written, 0)
        << "nothing is written before the instrument is recognized";
    app->deviceRecognized = true;
    std::string question;
    const Bytes expected = app->edit.BuildDump(107);
    const RestoreResult result = app->StorePatch(107, "Night Brass", [&](const std::string& q) {
        question = q;
        return true;
    });
    EXPECT_TRUE(result.AllVerified());
    EXPECT_NE(question.find("1:07  (not loaded here)  ->  Night Brass"), std::string::npos) << question;
    EXPECT_EQ(device.instrument.Patch(107), expected);
    EXPECT_EQ(Title(), "Tavren - 1:07 Night Brass") << "the edit is the new base";
    EXPECT_EQ(Row(7), "07 : Night Brass");
    EXPECT_EQ(ReadPatchName(app->patchBank.slots[107].dump), "Night Brass");

    // Saved to a file and opened again: the same values and name.
    ScratchFolder folder{"tavren-editor-tests"};
    Drag(kResonance, 30);
    const std::vector<DecodedValue> values = app->edit.Values();
    ASSERT_TRUE(app->SavePatch(folder / "one.syx"));
    EXPECT_EQ(folder.Read("one.syx"), app->edit.BuildDump(107));
    std::string error;
    ASSERT_TRUE(app->OpenPatchFile(folder / "one.syx", error)) << error;
    EXPECT_EQ(app->edit.Values(), values);
    EXPECT_EQ(Title(), "Tavren - 1:07 Night Brass");
}

TEST_F(EditorTest, TheSettingsDialogChangesWhatHasNoKnobAndStoreKeepsIt) {
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = FindWindowW(L"#32770", L"Patch Settings");
        if (dialog == nullptr)
            return;
        KillTimer(nullptr, timer);
        // Rows in table order: pitch bend target first, unison voices seventh.
        HWND target = GetDlgItem(dialog, IDC_FIRST_SETTING + 1);
        SendMessageW(target, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Vol"));
        SetDlgItemTextW(dialog, IDC_FIRST_SETTING + 2 * 6 + 1, L"0 7 12");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window, WM_COMMAND, IDM_PATCH_SETTINGS, 0);
    EXPECT_EQ(app->edit.Byte(72), 3);
    EXPECT_EQ(app->edit.Byte(86) * 10000 + app->edit.Byte(87) * 100 + app->edit.Byte(88), 712);
    EXPECT_EQ(app->edit.Byte(89), 0xFF);
    EXPECT_TRUE(app->Said("Patch settings changed: they take effect when the patch is stored."));
    EXPECT_EQ(MenuText(IDM_UNDO), "&Undo Patch Settings\tCtrl+Z");
    // Stored through the menu: the dialog, its own slot changed to 2:07, then Yes.
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = FindWindowW(L"#32770", L"Store Patch");
        if (dialog == nullptr)
            return;
        if (GetDlgItem(dialog, IDC_BANK) != nullptr) {
            SetDlgItemTextW(dialog, IDC_BANK, L"2");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        } else { // the question that names the patch replaced
            KillTimer(nullptr, timer);
            PostMessageW(dialog, WM_COMMAND, IDYES, 0);
        }
    });
    SendMessageW(window, WM_COMMAND, IDM_STORE, 0);
    EXPECT_EQ(Title(), "Tavren - 2:07 " + ReadPatchName(device.instrument.Patch(207)));
    const std::vector<uint8_t> kept = UnpackPatchData(device.instrument.Patch(207));
    EXPECT_EQ(kept[72], 3);
    EXPECT_EQ(kept[88], 12);
}

} // namespace
