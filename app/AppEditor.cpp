// The edit of the patch on the panel: every change kept over the patch it came from,
// undo and redo, compare, rename, store into a slot and the settings without a knob.
// The edit itself and its history are the synth model's (engine/PatchEdit,
// engine/EditHistory); here they meet the window, the dialogs and the device link.
#include "app/App.h"

#include "app/Audition.h"
#include "controls/CustomControl.h"
#include "engine/ParameterTable.h"
#include "engine/PatchSettings.h"
#include "engine/Pro800Engine.h"
#include "engine/SysExConstants.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <utility>

namespace {

using Source = EditHistory::Source;

EditHistory::Key KeyOf(Source source, int id = 0) {
    return {source, id, CustomControl::Presses(), EditHistory::Clock::now()};
}

// Patch names and window texts: bytes taken one by one, as status lines are.
std::wstring Widen(const std::string& text) {
    const std::u16string wide = WidenStatusText(text);
    return std::wstring(wide.begin(), wide.end());
}

// Printable ASCII only: anything else cannot be a patch name.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '\x01';
    return narrow;
}

const char kBadName[] = "A patch name has 1 to 16 characters: letters, digits, spaces and punctuation "
                        "(printable ASCII).";

void Refuse(HWND dialog, const std::string& text) {
    MessageBoxW(dialog, Widen(text).c_str(), L"Tavren", MB_OK | MB_ICONWARNING);
}

// A dialog of fields that OK takes only when they hold what they must: each kind fills
// its fields when the dialog opens and takes them, or says why not, at OK.
struct Form {
    virtual ~Form() = default;
    virtual void Fill(HWND dialog) = 0;
    virtual bool Take(HWND dialog) = 0; // false keeps the dialog open
};

INT_PTR CALLBACK FormDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<Form*>(lParam)->Fill(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (LOWORD(wParam) == IDOK && form->Take(dialog))
        EndDialog(dialog, IDOK);
    else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
    return TRUE;
}

// The name, in a field of 16 characters, taken when the instrument can keep it.
bool TakeName(HWND dialog, std::string& name) {
    const std::string typed = Narrow(WindowText(GetDlgItem(dialog, IDC_NAME)));
    if (!IsValidPatchName(typed)) {
        Refuse(dialog, kBadName);
        return false;
    }
    name = typed;
    return true;
}

void FillName(HWND dialog, const std::string& name) {
    SetDlgItemTextW(dialog, IDC_NAME, Widen(name).c_str());
    SendDlgItemMessageW(dialog, IDC_NAME, EM_SETLIMITTEXT, kNameFieldLength, 0);
}

struct RenameForm : Form {
    explicit RenameForm(std::string current) : name(std::move(current)) {}
    void Fill(HWND dialog) override { FillName(dialog, name); }
    bool Take(HWND dialog) override { return TakeName(dialog, name); }
    std::string name;
};

struct StoreForm : Form {
    StoreForm(int own, std::string current) : patch(own), name(std::move(current)) {}
    void Fill(HWND dialog) override {
        SetDlgItemInt(dialog, IDC_BANK, static_cast<UINT>(patch / PatchBank::kPrograms), FALSE);
        SetDlgItemInt(dialog, IDC_PROGRAM, static_cast<UINT>(patch % PatchBank::kPrograms), FALSE);
        FillName(dialog, name);
    }
    bool Take(HWND dialog) override {
        BOOL bankRead = FALSE, programRead = FALSE;
        const UINT bank = GetDlgItemInt(dialog, IDC_BANK, &bankRead, FALSE);
        const UINT program = GetDlgItemInt(dialog, IDC_PROGRAM, &programRead, FALSE);
        if (!bankRead || bank >= PatchBank::kBanks || !programRead || program >= PatchBank::kPrograms) {
            Refuse(dialog, "Choose a bank from 0 to 3 and a program from 0 to 99.");
            return false;
        }
        if (!TakeName(dialog, name))
            return false;
        patch = static_cast<int>(bank * PatchBank::kPrograms + program);
        return true;
    }
    int patch;
    std::string name;
};

// The settings dialog's rows are made from the table: a label and a field each, a list
// to choose from for a choice, a text box for a number, a plain text for the tuning.
struct SettingsDialog;
void MakeSettingRows(HWND dialog, SettingsDialog& state);
bool TakeSettings(HWND dialog, SettingsDialog& state);

struct SettingsDialog : Form {
    explicit SettingsDialog(std::vector<uint8_t> unpacked) : data(std::move(unpacked)) {}
    void Fill(HWND dialog) override { MakeSettingRows(dialog, *this); }
    bool Take(HWND dialog) override { return TakeSettings(dialog, *this); }
    std::vector<uint8_t> data;       // the patch's unpacked bytes as it would be stored
    std::vector<std::wstring> shown; // each field's first text
    std::map<int, int> changed;      // what OK takes: unpacked byte -> value
};

constexpr int kRowHeight = 13, kRowStep = 14, kLabelWidth = 96, kFieldWidth = 144;

HWND SettingField(HWND dialog, int row) {
    return GetDlgItem(dialog, IDC_FIRST_SETTING + 2 * row + 1);
}

void MakeSettingRows(HWND dialog, SettingsDialog& state) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingRow& row = SettingTable()[static_cast<std::size_t>(i)];
        RECT label = {7, 7 + i * kRowStep + 2, 7 + kLabelWidth, 7 + i * kRowStep + 2 + 9};
        RECT field = {7 + kLabelWidth + 4, 7 + i * kRowStep, 7 + kLabelWidth + 4 + kFieldWidth,
                      7 + i * kRowStep + kRowHeight};
        MapDialogRect(dialog, &label);
        MapDialogRect(dialog, &field);
        const std::wstring text = Widen(::SettingField(row, state.data.data(), state.data.size()));
        state.shown.push_back(text);
        const auto make = [&](const wchar_t* kind, DWORD style, const RECT& r, const std::wstring& caption,
                              int id) {
            HWND made = CreateWindowExW(0, kind, caption.c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                                        r.top, r.right - r.left, r.bottom - r.top, dialog,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            return made;
        };
        const wchar_t* unit = row.kind == SettingKind::Semitones ? L" (semitones)" : L"";
        make(L"STATIC", SS_LEFT, label, Widen(row.name) + unit + L":", IDC_FIRST_SETTING + 2 * i);
        const int id = IDC_FIRST_SETTING + 2 * i + 1;
        if (row.kind == SettingKind::Choice) {
            RECT list = field;
            list.bottom += 120;
            HWND box = make(L"COMBOBOX", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, list, L"", id);
            for (int c = 0; c < ChoiceCount(row); ++c)
                SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(row.choices[c]).c_str()));
            SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(text.c_str()));
        } else if (row.kind == SettingKind::Tuning) {
            make(L"STATIC", SS_LEFT, field, text, id);
        } else {
            make(L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, field, text, id);
        }
    }
    SetDlgItemTextW(
        dialog, IDC_SETTINGS_NOTE,
        L"The instrument has no control change for these settings: they take effect when the "
        L"patch is stored (Patch > Store Patch...). Their meanings come from public documentation.");
}

// False, keeping the dialog open, when a changed field holds no value of its setting.
bool TakeSettings(HWND dialog, SettingsDialog& state) {
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingRow& row = SettingTable()[static_cast<std::size_t>(i)];
        const std::wstring text = WindowText(SettingField(dialog, i));
        if (row.kind == SettingKind::Tuning || text == state.shown[static_cast<std::size_t>(i)])
            continue;
        const std::optional<std::vector<uint8_t>> bytes = ParseSettingField(row, Narrow(text));
        if (!bytes) {
            Refuse(dialog, std::string(row.name) + ": \"" + Narrow(text) + "\" is no value of this setting.");
            SetFocus(SettingField(dialog, i));
            return false;
        }
        for (std::size_t b = 0; b < bytes->size(); ++b)
            state.changed[row.byte + static_cast<int>(b)] = (*bytes)[b];
    }
    return true;
}

} // namespace

bool App::OnEditCommand(HWND window, int commandId) {
    switch (commandId) {
    case IDM_UNDO:
        Undo();
        return true;
    case IDM_REDO:
        Redo();
        return true;
    case IDM_COMPARE:
        ToggleCompare();
        return true;
    case IDM_RENAME:
    case IDM_STORE:
    case IDM_PATCH_SETTINGS:
        if (edit.Empty()) {
            ShowStatus("No patch is shown.");
            return true;
        }
        break;
    default:
        return false;
    }
    if (commandId == IDM_RENAME) {
        RenameForm form(edit.Name());
        if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RENAME), window, FormDialogProc,
                            reinterpret_cast<LPARAM>(static_cast<Form*>(&form))) == IDOK)
            Rename(form.name);
    } else if (commandId == IDM_STORE) {
        const int own = edit.PatchNumber();
        StoreForm choice(own >= 0 && own < PatchBank::kSlots ? own : 0, edit.Name());
        if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STORE), window, FormDialogProc,
                            reinterpret_cast<LPARAM>(static_cast<Form*>(&choice))) == IDOK) {
            const RestoreResult result =
                StorePatch(choice.patch, choice.name, [window](const std::string& question) {
                    return MessageBoxW(window, Widen(question).c_str(), L"Store Patch",
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
                });
            if (result.written > 0 && !result.AllVerified())
                MessageBoxW(window, Widen(RestoreReport(result)).c_str(), L"Tavren", MB_OK | MB_ICONWARNING);
        }
    } else {
        SettingsDialog state(edit.Unpacked());
        if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PATCH_SETTINGS), window, FormDialogProc,
                            reinterpret_cast<LPARAM>(static_cast<Form*>(&state))) == IDOK)
            ChangeSettings(state.changed);
    }
    return true;
}

void App::PatchShown(const std::vector<uint8_t>& dump) {
    if (settingPanel)
        return;
    if (bankLoading) {
        shownWhileLoading = dump;
        return;
    }
    PatchEdit shown(dump);
    comparing = false;
    if (!edit.Empty() && shown != edit)
        history.Record("Show Patch", edit, shown, {Source::Show, 0, 0, EditHistory::Clock::now()});
    edit = std::move(shown);
    UpdateTitle();
}

void App::RecordChange(int id, int value, EditHistory::Source source) {
    const ParameterRow* row = FindParameterRow(id);
    if (edit.Empty() || row == nullptr || row->field.byte < 0 || edit.Value(id) == value)
        return;
    const PatchEdit before = edit;
    edit.SetValue(id, value);
    history.Record(*row->name != '\0' ? row->name : row->label, before, edit, KeyOf(source, id));
    UpdateTitle();
}

void App::Undo() {
    if (std::optional<PatchEdit> target = history.Undo())
        ApplyEdit(*target);
}

void App::Redo() {
    if (std::optional<PatchEdit> target = history.Redo())
        ApplyEdit(*target);
}

void App::ApplyEdit(const PatchEdit& target) {
    // What the instrument plays now: the stored patch while comparing.
    const PatchEdit playing = comparing ? compared : edit;
    const bool otherPatch = target.Base() != edit.Base();
    comparing = false;
    edit = target;
    // The instrument first: what it plays is what the user waits for.
    if (otherPatch) {
        SendPanel(edit); // as Audition does
    } else {
        for (const DecodedValue& value : edit.Values())
            if (playing.Value(value.id) != value.value)
                SendParameter(value.id, value.value);
    }
    if (otherPatch)
        ShowBase(edit.Base());
    SetPanel(edit);
    UpdateTitle();
}

// The patch the edit came from, shown with its row chosen when it is listed.
void App::ShowBase(const Bytes& base) {
    settingPanel = true;
    const std::vector<Bytes>& rows = patchBank.fileDumps;
    const auto fileRow = std::find(rows.begin(), rows.end(), base);
    const int number = ReadPatchNumber(base).value_or(-1);
    const PatchSlot* slot =
        number >= 0 ? patchBank.Slot(number / PatchBank::kPrograms, number % PatchBank::kPrograms) : nullptr;
    if (patchBank.ShowingFile() && fileRow != rows.end())
        patchBank.ShowFileRow(static_cast<int>(fileRow - rows.begin()));
    else if (!patchBank.ShowingFile() && slot != nullptr && slot->dump == base &&
             number / PatchBank::kPrograms == patchBank.bank)
        patchBank.ShowProgram(number % PatchBank::kPrograms);
    else if (engine != nullptr)
        engine->LoadPatchDump(base);
    settingPanel = false;
}

void App::SetPanel(const PatchEdit& shown) {
    if (engine == nullptr)
        return;
    settingPanel = true;
    for (const DecodedValue& value : shown.Values())
        engine->SetParameterValue(value.id, value.value);
    settingPanel = false;
}

void App::SendPanel(const PatchEdit& shown) {
    const std::vector<Bytes> messages = AuditionMessages([&shown](int id) -> std::optional<int> {
        const int value = shown.Value(id);
        return value >= 0 ? std::optional<int>(value) : std::nullopt;
    });
    for (const Bytes& message : messages)
        SendMidi(message);
}

void App::ToggleCompare() {
    if (edit.Empty()) {
        ShowStatus("No patch is shown: there is nothing to compare.");
        return;
    }
    comparing = !comparing;
    if (comparing)
        compared = PatchEdit(edit.Base());
    const PatchEdit& shown = comparing ? compared : edit;
    SetPanel(shown);
    SendPanel(shown);
    ShowStatus(comparing ? "Comparing: the patch as stored plays. Ctrl+M returns to the edit."
                         : "Back to the edit.");
    UpdateTitle();
}

bool App::Rename(const std::string& name) {
    if (edit.Empty() || !IsValidPatchName(name))
        return false;
    if (name != edit.Name()) {
        const PatchEdit before = edit;
        edit.SetName(name);
        history.Record("Rename", before, edit, KeyOf(Source::Other));
        UpdateTitle();
    }
    return true;
}

void App::ChangeSettings(const std::map<int, int>& bytes) {
    const PatchEdit before = edit;
    for (const auto& [k, value] : bytes)
        if (edit.Byte(k) != value)
            edit.SetByte(k, value);
    if (edit != before) {
        history.Record("Patch Settings", before, edit, KeyOf(Source::Other));
        ShowStatus("Patch settings changed: they take effect when the patch is stored.");
    }
    UpdateTitle();
}

RestoreResult App::StorePatch(int patch, const std::string& name,
                              const std::function<bool(const std::string& question)>& confirm) {
    if (edit.Empty() || !IsValidPatchName(name) || patch < 0 || patch >= PatchBank::kSlots) {
        ShowStatus("Nothing was stored.");
        RestoreResult refused;
        refused.confirmed = false;
        return refused;
    }
    PatchEdit stored = edit;
    stored.SetName(name);
    // The read-back is shown as it comes in: the store is the step, not the showing.
    settingPanel = true;
    const RestoreResult result = WriteToInstrument({stored.BuildDump(patch)}, confirm);
    settingPanel = false;
    if (result.AllVerified()) {
        PatchEdit kept(patchBank.slots[static_cast<std::size_t>(patch)].dump);
        history.Record("Store", edit, kept, KeyOf(Source::Other));
        comparing = false;
        edit = std::move(kept);
        SetPanel(edit);
        ShowStatus("Stored " + edit.Title() + ".");
    }
    UpdateTitle();
    return result;
}

void App::UpdateTitle() {
    std::wstring title = L"Tavren";
    if (!edit.Empty()) {
        title += L" - " + Widen(edit.Title());
        if (edit.Modified())
            title += L" *";
        if (comparing)
            title += L" [compare]";
    }
    if (title != shownTitle && mainWindow != nullptr) {
        shownTitle = title;
        SetWindowTextW(mainWindow, title.c_str());
    }
    // The Edit menu names the steps, greyed when there is none.
    const std::wstring undo = L"&" + Widen(history.UndoText()) + L"\tCtrl+Z";
    const std::wstring redo = L"&" + Widen(history.RedoText()) + L"\tCtrl+Y";
    if (mainMenu != nullptr && (undo != undoText || redo != redoText)) {
        undoText = undo;
        redoText = redo;
        ModifyMenuW(mainMenu, IDM_UNDO,
                    MF_BYCOMMAND | MF_STRING | (history.CanUndo() ? MF_ENABLED : MF_GRAYED), IDM_UNDO,
                    undo.c_str());
        ModifyMenuW(mainMenu, IDM_REDO,
                    MF_BYCOMMAND | MF_STRING | (history.CanRedo() ? MF_ENABLED : MF_GRAYED), IDM_REDO,
                    redo.c_str());
    }
    if (mainMenu != nullptr)
        CheckMenuItem(mainMenu, IDM_COMPARE, MF_BYCOMMAND | (comparing ? MF_CHECKED : MF_UNCHECKED));
}
