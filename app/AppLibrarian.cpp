// The librarian: banks saved to .syx files, patch files opened and listed, a patch
// auditioned without writing it, dumps written into the instrument with a read-back of
// every slot, and the firmware version. What to save, the texts and the checks are
// portable (app/LibraryFiles, app/RestorePlan, app/Audition); here they meet the
// window, the dialogs and the device link.
#include "app/App.h"

#include "app/Audition.h"
#include "engine/Parameter.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tools/tavren-syx/SyxTool.h"

#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// A read-back answers after the write has been stored: over a 5-pin cable the dump
// alone takes 67 ms each way, and the instrument writes its memory before it answers.
constexpr std::chrono::milliseconds kReadBackWait(1000);

const wchar_t kSyxFilter[] = L"Patch files (*.syx)\0*.syx\0All files (*.*)\0*.*\0";

// Message box texts hold patch names, whose bytes are taken as Latin-1 characters.
std::wstring Widen(const std::string& text) {
    std::wstring wide;
    for (char c : text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

} // namespace

std::optional<std::filesystem::path> AskForFile(HWND owner, bool save, const std::wstring& suggested) {
    wchar_t name[MAX_PATH] = L"";
    suggested.copy(name, MAX_PATH - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kSyxFilter;
    dialog.lpstrFile = name;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"syx";
    dialog.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    return std::filesystem::path(name);
}

namespace {

// Save Bank saves what the list shows: the current bank, or the opened file.
SaveSelection SelectListed(const PatchBank& bank) {
    return bank.ShowingFile() ? SelectDumps(bank.fileDumps) : SelectBank(bank.slots, bank.bank);
}

std::string ListedSource(const PatchBank& bank) {
    if (bank.ShowingFile())
        return "the listed file";
    return PatchBank::IsBank(bank.bank) ? "bank " + std::to_string(bank.bank) : "the list";
}

void Warn(HWND owner, const std::string& text) {
    MessageBoxW(owner, Widen(text).c_str(), L"Tavren", MB_OK | MB_ICONWARNING);
}

} // namespace

bool App::OnLibrarianCommand(HWND window, int commandId) {
    switch (commandId) {
    case IDM_SAVE_BANK:
    case IDM_SAVE_ALL: {
        const bool all = commandId == IDM_SAVE_ALL;
        const SaveSelection selection = all ? SelectAll(patchBank.slots) : SelectListed(patchBank);
        if (selection.saved == 0) { // no dialog for a file that would be empty
            ShowStatus(SavedText(selection, all ? "" : ListedSource(patchBank), ""));
            return true;
        }
        const std::wstring suggested = all ? L"Pro~800 all patches.syx"
                                       : patchBank.ShowingFile()
                                           ? L"Pro~800 patches.syx"
                                           : L"Pro~800 bank " + std::to_wstring(patchBank.bank) + L".syx";
        if (std::optional<std::filesystem::path> path = AskForFile(window, true, suggested)) {
            const WriteResult written = all ? SaveAllPatches(*path) : SaveBank(*path);
            if (!written)
                Warn(window, SaveFailedText(DisplayName(*path), written.error) +
                                 "\n\nA file of that name that was there before is unchanged.");
        }
        return true;
    }
    case IDM_SAVE_PATCH:
        if (edit.Empty()) {
            ShowStatus("No patch is shown: nothing was saved.");
        } else if (std::optional<std::filesystem::path> path = AskForFile(
                       window, true, Widen(SplitFileName(edit.BuildDump(std::max(edit.PatchNumber(), 0)))))) {
            if (const WriteResult written = SavePatch(*path); !written)
                Warn(window, SaveFailedText(DisplayName(*path), written.error));
        }
        return true;
    case IDM_OPEN_PATCH_FILE:
        if (std::optional<std::filesystem::path> path = AskForFile(window, false, L"")) {
            std::string error;
            if (!OpenPatchFile(*path, error))
                Warn(window, error);
        }
        return true;
    case IDM_AUDITION:
        Audition();
        return true;
    case IDM_WRITE_PATCH:
    case IDM_WRITE_FILE: {
        std::vector<Bytes> dumps;
        if (commandId == IDM_WRITE_FILE) {
            dumps = patchBank.fileDumps;
            if (dumps.empty()) {
                ShowStatus("No patch file is open: nothing was written.");
                return true;
            }
        } else if (const Bytes* shown = patchBank.ShownDump()) {
            dumps.push_back(*shown);
        } else {
            ShowStatus("No patch is shown: nothing was written.");
            return true;
        }
        const RestoreResult result = WriteToInstrument(dumps, [window](const std::string& question) {
            return MessageBoxW(window, Widen(question).c_str(), L"Write To Instrument",
                               MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        });
        if (result.written > 0 && !result.AllVerified())
            Warn(window, RestoreReport(result));
        return true;
    }
    default:
        return false;
    }
}

WriteResult App::SaveSelected(const std::filesystem::path& path, const SaveSelection& selection,
                              const std::string& source) {
    const std::string name = DisplayName(path);
    if (selection.saved == 0) {
        ShowStatus(SavedText(selection, source, name));
        return {"no patch is loaded"};
    }
    WriteResult written = WriteFileAtomically(path, selection.data);
    ShowStatus(written ? SavedText(selection, source, name) : SaveFailedText(name, written.error));
    if (written)
        RecordSeen(ReadPatchFile(selection.data).dumps, path.u8string());
    return written;
}

WriteResult App::SavePatch(const std::filesystem::path& path) {
    const std::string name = DisplayName(path);
    const int number = edit.PatchNumber();
    const Bytes dump = edit.BuildDump(std::max(number, 0));
    if (dump.empty()) {
        ShowStatus("No patch is shown: nothing was saved.");
        return {"no patch is shown"};
    }
    WriteResult written = WriteFileAtomically(path, dump);
    ShowStatus(written ? "Saved " + edit.Title() + " to " + name + "." : SaveFailedText(name, written.error));
    if (written)
        RecordSeen({dump}, path.u8string());
    return written;
}

WriteResult App::SaveBank(const std::filesystem::path& path) {
    return SaveSelected(path, SelectListed(patchBank), ListedSource(patchBank));
}

WriteResult App::SaveAllPatches(const std::filesystem::path& path) {
    return SaveSelected(path, SelectAll(patchBank.slots), "");
}

bool App::OpenPatchFile(const std::filesystem::path& path, std::string& error) {
    const std::string name = DisplayName(path);
    Bytes data;
    std::string reason;
    if (!ReadFileBytes(path, data, reason)) {
        error = "Could not open " + name + ": " + reason + ".";
        ShowStatus(error);
        return false;
    }
    PatchFile file = ReadPatchFile(data);
    const std::vector<std::string> lines = OpenedText(file, name);
    if (file.dumps.empty()) {
        error = lines.front();
        ShowStatus(error);
        return false;
    }
    const std::vector<Bytes> read = file.dumps;
    patchBank.ShowFile(std::move(file.dumps));
    // After the first row's "Loading" line, so that the file's name is the last word.
    for (const std::string& line : lines)
        ShowStatus(line);
    RecordSeen(read, path.u8string());
    return true;
}

void App::ReturnToBanks(int bank) {
    if (!patchBank.ShowingFile() || !PatchBank::IsBank(bank))
        return;
    patchBank.SwitchBank(bank);
    patchBank.ShowProgram(std::max(patchBank.program, 0));
}

void App::Audition() {
    if (engine == nullptr || !CheckDevice(false))
        return;
    const std::vector<Bytes> messages = AuditionMessages([this](int id) -> std::optional<int> {
        Parameter* parameter = engine->FindParameter(id);
        if (parameter == nullptr || parameter->GetId() != id)
            return std::nullopt;
        return parameter->GetValue();
    });
    for (const Bytes& message : messages)
        SendMidi(message);
    ShowStatus("Auditioning the panel on Pro~800: nothing is written.");
}

std::optional<Bytes> App::ReadBackPatch(int patch) {
    const PollingWait waiting(*this);
    awaitedReadBack = patch;
    readBack.reset();
    SendMidi(BuildPatchRequest(patch));
    const Clock::time_point sent = Clock::now();
    bool empty = false;
    while (!readBack && Clock::now() - sent <= kReadBackWait) {
        PollMidiInput();
        empty = empty || emptySysExSeen;
        if (empty)
            break;
    }
    awaitedReadBack = -1;
    if (!readBack && empty)
        return Bytes{0xF0, 0xF7};
    return std::exchange(readBack, std::nullopt);
}

RestoreResult App::WriteToInstrument(const std::vector<Bytes>& dumps,
                                     const std::function<bool(const std::string& question)>& confirm) {
    RestoreResult refused;
    if (!CheckDevice(true)) {
        refused.recognized = false;
        return refused;
    }
    const RestorePlan plan = PlanRestore(dumps);
    if (plan.items.empty()) {
        ShowStatus("No dump names a patch of the instrument: nothing was written.");
        refused.skipped = plan.skipped;
        return refused;
    }
    if (!confirm(RestoreQuestion(plan, patchBank.slots))) {
        ShowStatus("Nothing was written.");
        refused.confirmed = false;
        return refused;
    }
    // What is in the slots now stays within reach in the library.
    std::vector<int> slots;
    for (const RestoreItem& item : plan.items)
        slots.push_back(item.patch);
    BackUpSlots(slots);
    ShowStatus("Writing to Pro~800");
    RestoreResult result = WriteAndVerify(
        plan, [this](const Bytes& dump) { SendMidi(dump); },
        [this](int patch) { return ReadBackPatch(patch); });
    // Read-backs that came are in the cache already, as every received dump is. A slot
    // that did not answer may hold the new patch or the old one: it is asked for again.
    for (int patch : result.silent) {
        PatchSlot& slot = patchBank.slots[static_cast<size_t>(patch)];
        slot.loaded = false;
        slot.dump.clear();
    }
    if (!result.silent.empty() && PatchBank::IsBank(patchBank.bank))
        patchBank.Refresh();
    ShowStatus(RestoreReport(result));
    return result;
}

void App::RequestFirmwareVersion() {
    SendMidi(BuildFirmwareVersionRequest());
}

bool App::HandleFirmwareReply(const std::vector<uint8_t>& message) {
    const std::optional<FirmwareVersion> version = ReadFirmwareVersion(message);
    if (!version)
        return false;
    firmware = version;
    ShowStatus(FirmwareText(*version));
    return true;
}
