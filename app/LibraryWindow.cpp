#include "app/LibraryWindow.h"

#include "app/App.h"
#include "app/Settings.h"
#include "library/PatchFingerprint.h"
#include "resources/ResourceIds.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

namespace {

// Posted to itself when the library changed, so that a bank load's hundred patches
// read it anew once.
constexpr UINT WM_APP_LIBRARY_CHANGED = WM_USER + 0x40;
constexpr wchar_t kClassName[] = L"TavrenLibrary";
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 26;

// The choices of the Show filter, in their order in the box.
const wchar_t* const kShowChoices[] = {L"All patches", L"Favourites", L"Duplicates",
                                       L"Seen on the instrument", L"Seen in files"};

struct ColumnLayout {
    const wchar_t* title;
    int width;
};
const ColumnLayout kColumns[LibraryView::kColumns] = {
    {L"Name", 170}, {L"Tags", 170}, {L"Last seen in", 300}, {L"When (UTC)", 130}, {L"Favourite", 70}};

struct ButtonLayout {
    int id;
    const wchar_t* text;
};
const ButtonLayout kButtons[] = {
    {IDC_LIBRARY_ON_PANEL, L"Show On Panel"}, {IDC_LIBRARY_AUDITION, L"Audition"},
    {IDC_LIBRARY_STORE, L"Store..."},         {IDC_LIBRARY_EXPORT, L"Export..."},
    {IDC_LIBRARY_FAVOURITE, L"Favourite"},    {IDC_LIBRARY_EDIT_TAGS, L"Tags && Notes..."},
    {IDC_LIBRARY_REMOVE, L"Remove..."}};

// "1:07", "1:7" or "107" as the slot's place; empty for anything else.
std::string SlotPlace(const std::wstring& typed) {
    std::string digits;
    bool colon = false;
    for (wchar_t c : typed) {
        if (c >= L'0' && c <= L'9')
            digits += static_cast<char>(c);
        else if (c == L':' && !colon && !digits.empty())
            colon = true, digits += ':';
        else if (c != L' ')
            return std::string();
    }
    int patch = -1;
    if (const auto at = digits.find(':'); at != std::string::npos) {
        if (at != 1 || digits.size() < 3 || digits.size() > 4)
            return std::string();
        patch = (digits[0] - '0') * PatchBank::kPrograms + std::stoi(digits.substr(2));
    } else if (!digits.empty() && digits.size() <= 3) {
        patch = std::stoi(digits);
    }
    return patch >= 0 && patch < PatchBank::kSlots ? SlotLabel(patch) : std::string();
}

struct TagsAndNotes {
    std::wstring tags, notes;
};

INT_PTR CALLBACK TagsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* edit = reinterpret_cast<TagsAndNotes*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        edit = reinterpret_cast<TagsAndNotes*>(lParam);
        SetDlgItemTextW(dialog, IDC_LIBRARY_TAGS, edit->tags.c_str());
        SetDlgItemTextW(dialog, IDC_LIBRARY_NOTES, edit->notes.c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            edit->tags = WindowText(GetDlgItem(dialog, IDC_LIBRARY_TAGS));
            edit->notes = WindowText(GetDlgItem(dialog, IDC_LIBRARY_NOTES));
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

std::vector<std::string> SplitTags(const std::string& text) {
    std::vector<std::string> tags(1);
    for (char c : text) {
        if (c == ',')
            tags.emplace_back();
        else
            tags.back() += c;
    }
    return tags;
}

} // namespace

LibraryWindow::LibraryWindow(App& app) : app_(app) {}

LibraryWindow::~LibraryWindow() {
    if (window_ != nullptr)
        DestroyWindow(window_);
}

void LibraryWindow::Create() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = TheInstance();
        wc.hIcon = LoadIconW(TheInstance(), MAKEINTRESOURCEW(IDI_TAVREN));
        wc.hIconSm = LoadIconW(TheInstance(), MAKEINTRESOURCEW(IDI_SMALL));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered)
        return;
    RECT owner = {0, 0, 0, 0};
    GetWindowRect(app_.mainWindow, &owner);
    window_ = CreateWindowExW(0, kClassName, L"Tavren Library", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              owner.left + 40, owner.top + 40, 940, 600, app_.mainWindow, nullptr,
                              TheInstance(), this);
    if (window_ == nullptr)
        return;
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const auto make = [this](const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                             DWORD exStyle = 0) {
        HWND control =
            CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), TheInstance(), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return control;
    };
    make(L"STATIC", L"Search:", SS_RIGHT, -1);
    search_ = make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, IDC_LIBRARY_SEARCH, WS_EX_CLIENTEDGE);
    show_ = make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, IDC_LIBRARY_SHOW);
    for (const wchar_t* choice : kShowChoices)
        SendMessageW(show_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    SendMessageW(show_, CB_SETCURSEL, 0, 0);
    format_ = make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, IDC_LIBRARY_FORMAT);
    make(L"STATIC", L"Slot history:", SS_RIGHT, -1);
    slot_ = make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, IDC_LIBRARY_SLOT, WS_EX_CLIENTEDGE);
    // Clipping its header, so that the rows drawn anew at each keystroke of the search leave
    // the header's themed columns be (most of the time of a redraw under Wine).
    list_ =
        make(WC_LISTVIEWW, L"", WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
             IDC_LIBRARY_LIST, WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < LibraryView::kColumns; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<wchar_t*>(kColumns[column].title);
        header.cx = kColumns[column].width;
        header.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&header));
    }
    for (const ButtonLayout& button : kButtons)
        buttons_.push_back(make(L"BUTTON", button.text, WS_TABSTOP | BS_PUSHBUTTON, button.id));
    count_ = make(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IDC_LIBRARY_COUNT);
    Layout();
}

void LibraryWindow::Layout() {
    RECT client;
    GetClientRect(window_, &client);
    const int width = client.right, height = client.bottom;
    HWND child = GetWindow(window_, GW_CHILD);
    int x = kMargin;
    // The top row: the search box, the two filters and the slot, in the order made.
    const int widths[] = {50, 220, 180, 170, 80, 60};
    for (int i = 0; i < 6 && child != nullptr; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const bool combo = child == show_ || child == format_;
        MoveWindow(child, x, kMargin + (i == 0 || i == 4 ? 4 : 0), widths[i], combo ? 200 : kRowHeight - 2,
                   FALSE);
        x += widths[i] + 6;
    }
    const int listTop = kMargin + kRowHeight + 6;
    const int buttonTop = height - kMargin - kButtonHeight;
    MoveWindow(list_, kMargin, listTop, width - 2 * kMargin, std::max(0, buttonTop - 6 - listTop), FALSE);
    x = kMargin;
    for (HWND button : buttons_) {
        MoveWindow(button, x, buttonTop, kButtonWidth, kButtonHeight, FALSE);
        x += kButtonWidth + 4;
    }
    MoveWindow(count_, x + 8, buttonTop + 6, std::max(0, width - x - 8 - kMargin), kButtonHeight - 6, FALSE);
    InvalidateRect(window_, nullptr, TRUE);
}

void LibraryWindow::Open() {
    if (window_ == nullptr)
        Create();
    if (window_ == nullptr)
        return;
    Reload();
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(search_);
}

void LibraryWindow::LibraryChanged() {
    if (window_ == nullptr || !IsWindowVisible(window_) || changePending_ || reloading_)
        return;
    changePending_ = true;
    PostMessageW(window_, WM_APP_LIBRARY_CHANGED, 0, 0);
}

void LibraryWindow::Reload() {
    const std::vector<int64_t> selected = Selected();
    reloading_ = true; // what goes in now is read below
    app_.FlushSeen();
    reloading_ = false;
    PatchLibrary* library = app_.Library();
    std::vector<LibraryEntry> entries = library != nullptr ? library->Entries() : std::vector<LibraryEntry>();
    totalPatches_ = static_cast<int>(entries.size());
    view_.SetEntries(std::move(entries));
    FillFormats();
    ApplyQuery();
    Refill(selected);
}

void LibraryWindow::FillFormats() {
    const std::vector<int> formats = view_.Formats();
    if (formats == formats_ && SendMessageW(format_, CB_GETCOUNT, 0, 0) > 0)
        return;
    const int chosen = static_cast<int>(SendMessageW(format_, CB_GETCURSEL, 0, 0));
    const int chosenFormat =
        chosen > 0 && chosen <= static_cast<int>(formats_.size()) ? formats_[chosen - 1] : 0;
    formats_ = formats;
    SendMessageW(format_, CB_RESETCONTENT, 0, 0);
    SendMessageW(format_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Any format"));
    int select = 0;
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        wchar_t text[32];
        swprintf(text, 32, L"Format 0x%02X", static_cast<unsigned>(formats_[i]));
        SendMessageW(format_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (formats_[i] == chosenFormat)
            select = static_cast<int>(i) + 1;
    }
    SendMessageW(format_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void LibraryWindow::ApplyQuery() {
    LibraryView::Query query;
    query.text = WideToUtf8(WindowText(search_));
    switch (SendMessageW(show_, CB_GETCURSEL, 0, 0)) {
    case 1:
        query.favourites = true;
        break;
    case 2:
        query.duplicates = true;
        break;
    case 3:
        query.seen = LibraryView::Seen::OnInstrument;
        break;
    case 4:
        query.seen = LibraryView::Seen::InFiles;
        break;
    default:
        break;
    }
    const int format = static_cast<int>(SendMessageW(format_, CB_GETCURSEL, 0, 0));
    query.format = format > 0 && format <= static_cast<int>(formats_.size()) ? formats_[format - 1] : 0;
    const std::string place = SlotPlace(WindowText(slot_));
    if (!place.empty()) {
        PatchLibrary* library = app_.Library();
        query.history = library != nullptr ? library->History(place) : std::vector<int64_t>();
    }
    view_.SetQuery(std::move(query));
}

void LibraryWindow::Refill(const std::vector<int64_t>& select) {
    // Hidden by its style while the rows and their marks change, as the default WM_SETREDRAW
    // hides a window: the list view's own goes on drawing the scroll bars at every change,
    // twice per change of the count. Drawn once below.
    const LONG_PTR style = GetWindowLongPtrW(list_, GWL_STYLE);
    SetWindowLongPtrW(list_, GWL_STYLE, style & ~WS_VISIBLE);
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(view_.Count()), LVSICF_NOSCROLL);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    // Unmarking every row visits all of them, some 8 ms for 10,000: only the marked ones are.
    const auto next = [&](int after, UINT mark) {
        return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), mark));
    };
    for (int row = next(-1, LVNI_SELECTED); row >= 0; row = next(row, LVNI_SELECTED))
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    if (const int row = next(-1, LVNI_FOCUSED); row >= 0)
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    bool first = true;
    for (int64_t id : select) {
        const int row = view_.RowOf(id);
        if (row < 0)
            continue;
        state.state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
        if (first)
            SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        first = false;
    }
    SetWindowLongPtrW(list_, GWL_STYLE, style);
    RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    const std::string all = Patches(static_cast<std::size_t>(totalPatches_));
    std::wstring count =
        Utf8ToWide(view_.Count() == totalPatches_ ? all : std::to_string(view_.Count()) + " of " + all);
    if (app_.Library() == nullptr)
        count = Utf8ToWide(app_.library.Error());
    SetWindowTextW(count_, count.c_str());
}

std::vector<int64_t> LibraryWindow::Selected() const {
    std::vector<int64_t> ids;
    if (list_ == nullptr)
        return ids;
    for (int row = -1;;) {
        row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0 || row >= view_.Count())
            break;
        ids.push_back(view_.Row(row).id);
    }
    return ids;
}

void LibraryWindow::ShowOnPanel() {
    const std::vector<int64_t> ids = Selected();
    PatchLibrary* library = app_.Library();
    if (ids.empty() || library == nullptr) {
        app_.ShowStatus("No patch of the library is selected.");
        return;
    }
    const std::vector<Bytes> dumps = library->Dumps({ids.front()});
    if (!dumps.empty())
        app_.ShowLibraryPatch(dumps.front());
}

void LibraryWindow::Audition() {
    ShowOnPanel();
    if (!Selected().empty())
        app_.Audition();
}

void LibraryWindow::Store() {
    if (Selected().empty()) {
        app_.ShowStatus("No patch of the library is selected.");
        return;
    }
    ShowOnPanel();
    // The store dialog of the edit: slot and name, the question, the read-back.
    SendMessageW(app_.mainWindow, WM_COMMAND, IDM_STORE, 0);
}

void LibraryWindow::Export() {
    const std::vector<int64_t> ids = Selected();
    PatchLibrary* library = app_.Library();
    if (ids.empty() || library == nullptr) {
        app_.ShowStatus("No patch of the library is selected.");
        return;
    }
    const std::optional<std::filesystem::path> chosen =
        AskForFile(window_, true, L"Pro~800 library patches.syx");
    if (!chosen)
        return;
    const std::filesystem::path& path = *chosen;
    const std::vector<Bytes> dumps = library->Dumps(ids);
    Bytes data;
    for (const Bytes& dump : dumps)
        data.insert(data.end(), dump.begin(), dump.end());
    const WriteResult written = WriteFileAtomically(path, data);
    if (!written) {
        const std::string text = SaveFailedText(DisplayName(path), written.error);
        app_.ShowStatus(text);
        MessageBoxW(window_, Utf8ToWide(text).c_str(), L"Tavren", MB_OK | MB_ICONWARNING);
        return;
    }
    app_.ShowStatus("Exported " + Patches(dumps.size()) + " to " + DisplayName(path) + ".");
    app_.RecordSeen(dumps, path.u8string());
}

void LibraryWindow::ToggleFavourite() {
    const std::vector<int64_t> ids = Selected();
    PatchLibrary* library = app_.Library();
    if (ids.empty() || library == nullptr)
        return;
    bool all = true;
    for (int64_t id : ids)
        all = all && view_.RowOf(id) >= 0 && view_.Row(view_.RowOf(id)).favourite;
    if (!library->SetFavourite(ids, !all))
        app_.ShowStatus(library->Error());
    Reload();
}

void LibraryWindow::EditTagsAndNotes() {
    const std::vector<int64_t> ids = Selected();
    PatchLibrary* library = app_.Library();
    if (ids.empty() || library == nullptr || view_.RowOf(ids.front()) < 0)
        return;
    const LibraryEntry& first = view_.Row(view_.RowOf(ids.front()));
    TagsAndNotes edit{Utf8ToWide(first.tags), Utf8ToWide(first.notes)};
    if (DialogBoxParamW(TheInstance(), MAKEINTRESOURCEW(IDD_LIBRARY_TAGS), window_, TagsProc,
                        reinterpret_cast<LPARAM>(&edit)) != IDOK)
        return;
    if (!library->SetTagsAndNotes(ids, SplitTags(WideToUtf8(edit.tags)), WideToUtf8(edit.notes)))
        app_.ShowStatus(library->Error());
    Reload();
}

void LibraryWindow::Remove() {
    const std::vector<int64_t> ids = Selected();
    PatchLibrary* library = app_.Library();
    if (ids.empty() || library == nullptr)
        return;
    const std::wstring question = L"Remove " + Utf8ToWide(Patches(ids.size())) +
                                  L" from the library, with where and when " +
                                  (ids.size() == 1 ? L"it was" : L"they were") + L" seen?";
    if (MessageBoxW(window_, question.c_str(), L"Remove From Library",
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (library->Remove(ids))
        app_.ShowStatus("Removed " + Patches(ids.size()) + " from the library.");
    else
        app_.ShowStatus(library->Error());
    Reload();
}

LRESULT LibraryWindow::OnNotify(NMHDR* header) {
    if (header->hwndFrom != list_)
        return 0;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
            cell_ = Utf8ToWide(view_.Cell(item.iItem, item.iSubItem));
            lstrcpynW(item.pszText, cell_.c_str(), item.cchTextMax);
        }
        return 0;
    }
    case LVN_COLUMNCLICK: {
        const std::vector<int64_t> selected = Selected();
        view_.SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        Refill(selected);
        return 0;
    }
    case LVN_KEYDOWN:
        switch (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey) {
        case VK_SPACE:
            ToggleFavourite();
            break;
        case VK_DELETE:
            Remove();
            break;
        case VK_RETURN:
            ShowOnPanel();
            break;
        default:
            break;
        }
        return 0;
    case NM_DBLCLK:
        ShowOnPanel();
        return 0;
    default:
        return 0;
    }
}

LRESULT LibraryWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_CLOSE:
        ShowWindow(window_, SW_HIDE);
        return 0;
    case WM_APP_LIBRARY_CHANGED:
        changePending_ = false;
        Reload();
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (lParam == 0) { // a menu shortcut: the main window's command
            SendMessageW(app_.mainWindow, WM_COMMAND, wParam, 0);
            return 0;
        }
        const bool filterChanged =
            ((id == IDC_LIBRARY_SEARCH || id == IDC_LIBRARY_SLOT) && HIWORD(wParam) == EN_CHANGE) ||
            ((id == IDC_LIBRARY_SHOW || id == IDC_LIBRARY_FORMAT) && HIWORD(wParam) == CBN_SELCHANGE);
        if (filterChanged) {
            const std::vector<int64_t> selected = Selected();
            ApplyQuery();
            Refill(selected);
        } else if (HIWORD(wParam) == BN_CLICKED) {
            switch (id) {
            case IDC_LIBRARY_ON_PANEL:
                ShowOnPanel();
                break;
            case IDC_LIBRARY_AUDITION:
                Audition();
                break;
            case IDC_LIBRARY_STORE:
                Store();
                break;
            case IDC_LIBRARY_EXPORT:
                Export();
                break;
            case IDC_LIBRARY_FAVOURITE:
                ToggleFavourite();
                break;
            case IDC_LIBRARY_EDIT_TAGS:
                EditTagsAndNotes();
                break;
            case IDC_LIBRARY_REMOVE:
                Remove();
                break;
            default:
                break;
            }
        }
        return 0;
    }
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK LibraryWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<LibraryWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<LibraryWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->window_ != hwnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}
