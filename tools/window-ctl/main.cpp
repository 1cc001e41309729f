// window-ctl wait [SECONDS]: waits until Tavren's main window is shown.
// window-ctl wait-list [SECONDS]: waits until its patch list names the 100 patches of a
//   bank, none of them "[not loaded]", and prints the first rows.
// window-ctl rect: prints the main window's place on the screen as WIDTHxHEIGHT+X+Y.
// window-ctl close [SECONDS]: asks the running Tavren to close and waits until it has ended.
// Exit status 0 on success, 1 when no window (or no full list) was found in time, 2 when
// the program did not end in time, 3 for a bad argument.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HWND FindTavren() {
    HWND window = FindWindowW(L"TEMPLATE", nullptr);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

int WaitShown(DWORD seconds) {
    for (DWORD waited = 0; waited < seconds * 10; ++waited) {
        if (FindTavren() != nullptr)
            return 0;
        Sleep(100);
    }
    std::fprintf(stderr, "window-ctl: no Tavren window after %lu s\n", static_cast<unsigned long>(seconds));
    return 1;
}

// The rows of the patch list, read across the process boundary (LB_GETTEXT copies them).
std::vector<std::wstring> PatchRows(HWND window) {
    HWND list = nullptr;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t name[16] = L"";
            GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"LISTBOX") != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&list));
    std::vector<std::wstring> rows;
    const LRESULT count = list != nullptr ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT row = 0; row < count; ++row) {
        wchar_t text[256] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0) < 256)
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        rows.emplace_back(text);
    }
    return rows;
}

bool WholeBankListed(const std::vector<std::wstring>& rows) {
    if (rows.size() != 100)
        return false;
    for (const std::wstring& row : rows) {
        if (row.empty() || row.find(L"[not loaded]") != std::wstring::npos) // rows read "42 : [not loaded]"
            return false;
    }
    return true;
}

int WaitListed(DWORD seconds) {
    for (DWORD waited = 0; waited < seconds * 10; ++waited) {
        HWND window = FindTavren();
        const std::vector<std::wstring> rows =
            window != nullptr ? PatchRows(window) : std::vector<std::wstring>();
        if (WholeBankListed(rows)) {
            std::printf("100 patches listed: %ls, %ls, %ls ...\n", rows[0].c_str(), rows[1].c_str(),
                        rows[2].c_str());
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "window-ctl: no full patch list after %lu s\n", static_cast<unsigned long>(seconds));
    return 1;
}

int PrintRect() {
    HWND window = FindTavren();
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect)) {
        std::fprintf(stderr, "window-ctl: no Tavren window\n");
        return 1;
    }
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    return 0;
}

int Close(DWORD seconds) {
    HWND window = FindTavren();
    if (window == nullptr) {
        std::fprintf(stderr, "window-ctl: no Tavren window\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (process == nullptr)
        return 0;
    DWORD result = WaitForSingleObject(process, seconds * 1000);
    CloseHandle(process);
    if (result != WAIT_OBJECT_0) {
        std::fprintf(stderr, "window-ctl: Tavren did not end within %lu s\n",
                     static_cast<unsigned long>(seconds));
        return 2;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD seconds = argc > 2 ? static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)) : 20;
    if (argc >= 2 && wcscmp(argv[1], L"wait") == 0)
        return WaitShown(seconds);
    if (argc >= 2 && wcscmp(argv[1], L"wait-list") == 0)
        return WaitListed(seconds);
    if (argc == 2 && wcscmp(argv[1], L"rect") == 0)
        return PrintRect();
    if (argc >= 2 && wcscmp(argv[1], L"close") == 0)
        return Close(seconds);
    std::fprintf(stderr, "usage: window-ctl wait|wait-list|close [SECONDS], window-ctl rect\n");
    return 3;
}
