// The patch library in the application: every dump received, read from a file, stored
// or saved goes in; a slot about to be written is backed up first; Import Folder runs a
// slice of files at a time on a timer, so the window stays live and Cancel works. The
// database, its queries and the import are portable (library/); the window that shows
// it is app/LibraryWindow.
#include "app/App.h"

#include "app/LibraryWindow.h"
#include "controls/SimplePanel.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

// A slice of the import: long enough to do real work, short enough for the window to
// answer the mouse between slices.
constexpr std::chrono::milliseconds kImportSlice(40);
constexpr UINT kImportTickMs = 10;
constexpr int kProgressWidth = 240;
constexpr int kCancelWidth = 70;

// The library's file: TAVREN_LIBRARY, or Tavren\library.sqlite3 in the user's local
// application data.
std::filesystem::path LibraryPath() {
    wchar_t value[MAX_PATH] = L"";
    const DWORD length = GetEnvironmentVariableW(L"TAVREN_LIBRARY", value, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return std::filesystem::path(value);
    std::filesystem::path base;
    if (GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH) - 1 < MAX_PATH - 1)
        base = value;
    else if (GetEnvironmentVariableW(L"USERPROFILE", value, MAX_PATH) - 1 < MAX_PATH - 1)
        base = std::filesystem::path(value) / L"AppData" / L"Local";
    return base / L"Tavren" / L"library.sqlite3";
}

// The folder dialog: a path typed or pasted, or chosen with Browse.
INT_PTR CALLBACK ImportFolderProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_IMPORT_BROWSE: {
            BROWSEINFOW browse = {};
            browse.hwndOwner = dialog;
            browse.lpszTitle = L"Import the .syx files below this folder:";
            browse.ulFlags = BIF_RETURNONLYFSDIRS;
            if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse)) {
                wchar_t path[MAX_PATH] = L"";
                if (SHGetPathFromIDListW(chosen, path))
                    SetDlgItemTextW(dialog, IDC_IMPORT_PATH, path);
                CoTaskMemFree(chosen);
            }
            return TRUE;
        }
        case IDOK:
            *reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER)) =
                WindowText(GetDlgItem(dialog, IDC_IMPORT_PATH));
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

PatchLibrary* App::Library() {
    if (!libraryTried) {
        libraryTried = true;
        if (!library.Open(LibraryPath()))
            ShowStatus(library.Error());
    }
    return library.IsOpen() ? &library : nullptr;
}

void App::RecordSeen(const std::vector<Bytes>& dumps, const std::string& place) {
    if (Library() == nullptr)
        return;
    unrecorded.push_back({dumps, place});
    if (!flushPosted && mainWindow != nullptr)
        flushPosted = PostMessageW(mainWindow, WM_APP_LIBRARY_FLUSH, 0, 0) != FALSE;
}

void App::FlushSeen() {
    flushPosted = false;
    if (unrecorded.empty())
        return;
    const std::vector<PatchLibrary::Seen> seen = std::move(unrecorded);
    unrecorded.clear();
    if (PatchLibrary* open = Library(); open != nullptr && !open->Record(seen, PatchLibrary::Now()))
        ShowStatus(open->Error());
    if (libraryWindow != nullptr)
        libraryWindow->LibraryChanged();
}

void App::BackUpSlots(const std::vector<int>& patches) {
    if (Library() == nullptr)
        return;
    for (int patch : patches) {
        if (patch < 0 || patch >= PatchBank::kSlots)
            continue;
        const PatchSlot& slot = patchBank.slots[static_cast<std::size_t>(patch)];
        if (slot.loaded) {
            RecordSeen({slot.dump}, SlotLabel(patch));
            continue;
        }
        // Received, it goes into the library as every dump does.
        ReadBackPatch(patch);
    }
    FlushSeen();
}

void App::ShowLibraryPatch(const Bytes& dump) {
    if (engine == nullptr || !DecodeParameters(dump))
        return;
    engine->LoadPatchDump(dump); // shows it and makes it the base of the edit
}

void App::OpenLibraryWindow() {
    if (libraryWindow == nullptr)
        libraryWindow = new LibraryWindow(*this);
    libraryWindow->Open();
}

bool App::OnLibraryCommand(HWND window, int commandId) {
    switch (commandId) {
    case IDM_LIBRARY:
        OpenLibraryWindow();
        return true;
    case IDM_IMPORT_FOLDER: {
        if (folderImport != nullptr) {
            ShowStatus("An import is under way: Cancel it first.");
            return true;
        }
        std::wstring folder;
        if (DialogBoxParamW(TheInstance(), MAKEINTRESOURCEW(IDD_IMPORT_FOLDER), window, ImportFolderProc,
                            reinterpret_cast<LPARAM>(&folder)) == IDOK &&
            !folder.empty())
            StartImport(std::filesystem::path(folder));
        return true;
    }
    case IDM_IMPORT_CANCEL:
        if (folderImport != nullptr)
            EndImport(true);
        return true;
    default:
        return false;
    }
}

bool App::StartImport(const std::filesystem::path& folder) {
    if (folderImport != nullptr || Library() == nullptr)
        return false;
    FlushSeen();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        ShowStatus("There is no folder " + DisplayName(folder) + ": nothing was imported.");
        return false;
    }
    folderImport = std::make_unique<FolderImport>(folder);
    if (topBar != nullptr && importProgress == nullptr) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        RECT bar;
        GetClientRect(topBar->hwnd, &bar);
        const int left = bar.right - kProgressWidth - kCancelWidth - 12;
        importProgress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, left, 3,
                                         kProgressWidth, bar.bottom - 6, topBar->hwnd,
                                         reinterpret_cast<HMENU>(IDC_IMPORT_PROGRESS), instance, nullptr);
        importCancel = CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                       left + kProgressWidth + 6, 1, kCancelWidth, bar.bottom - 2, mainWindow,
                                       reinterpret_cast<HMENU>(IDM_IMPORT_CANCEL), instance, nullptr);
        // The button belongs to the main window, so that its click is a command there;
        // it is placed over the top bar.
        SetWindowPos(importCancel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SendMessageW(importCancel, WM_SETFONT, reinterpret_cast<WPARAM>(GetSmallFont()), TRUE);
    }
    if (importProgress != nullptr)
        SendMessageW(importProgress, PBM_SETRANGE32, 0, static_cast<LPARAM>(folderImport->Total()));
    ShowStatus("Importing " + std::to_string(folderImport->Total()) + " .syx files from " +
               DisplayName(folder) + "...");
    SetTimer(mainWindow, kTimerImport, kImportTickMs, nullptr);
    return true;
}

void App::ImportSlice() {
    if (folderImport == nullptr) {
        KillTimer(mainWindow, kTimerImport);
        return;
    }
    if (!folderImport->Step(library, kImportSlice)) {
        ShowStatus(library.Error());
        EndImport(true);
        return;
    }
    if (importProgress != nullptr)
        SendMessageW(importProgress, PBM_SETPOS, static_cast<WPARAM>(folderImport->Done()), 0);
    if (folderImport->Finished())
        EndImport(false);
}

void App::EndImport(bool cancelled) {
    KillTimer(mainWindow, kTimerImport);
    if (folderImport == nullptr)
        return;
    ShowStatus(folderImport->SummaryText(cancelled));
    folderImport.reset();
    for (HWND* control : {&importProgress, &importCancel}) {
        if (*control != nullptr)
            DestroyWindow(*control);
        *control = nullptr;
    }
    if (libraryWindow != nullptr)
        libraryWindow->LibraryChanged();
}
