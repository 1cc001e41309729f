// window-ctl wait [SECONDS]: waits until Tavren's main window is shown.
// window-ctl close [SECONDS]: asks the running Tavren to close and waits until it has ended.
// Exit status 0 on success, 1 when no window was found in time, 2 when the program
// did not end in time, 3 for a bad argument.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND FindTavren() {
    HWND window = FindWindowW(L"TEMPLATE", L"Tavren");
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
    if (argc >= 2 && wcscmp(argv[1], L"close") == 0)
        return Close(seconds);
    std::fprintf(stderr, "usage: window-ctl wait|close [SECONDS]\n");
    return 3;
}
