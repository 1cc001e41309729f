#include "tests/app/AppWindow.h"

#include "app/Settings.h"
#include "tests/support/WinTestUtil.h"

#include <algorithm>
#include <utility>

namespace {
constexpr wchar_t kClassName[] = L"TAVRENAPPWINDOW";
} // namespace

void RecordingApp::ShowStatus(std::string text) {
    statusLines.push_back(text);
    App::ShowStatus(std::move(text));
}

AppWindow::AppWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    SetTheInstance(instance);
    // A class name of its own, beside the main window tests' registration.
    static const ATOM registered = RegisterMainWindowClass(instance, kClassName);
    (void)registered;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
    app = new RecordingApp(instance);
    SetTheApp(app);
    window = app->CreateMainWindow(kClassName, L"Tavren");
    SendMessageW(window, WM_APP_SYNC_OPTIONS, 0, 0);
    app->InitMainWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    PumpMessages();
}

AppWindow::~AppWindow() {
    if (IsWindow(window))
        DestroyWindow(window);
    PumpMessages();
    SetTheApp(nullptr);
}

namespace {

std::vector<SeenMessageBox>* gSeen = nullptr;
std::vector<HWND> gClosed; // closed, but maybe not yet gone

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

void CALLBACK CloseMessageBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND box, LPARAM) -> BOOL {
            wchar_t name[32] = L"";
            GetClassNameW(box, name, 32);
            if (std::wstring(name) != L"#32770" || !IsWindowVisible(box) ||
                std::find(gClosed.begin(), gClosed.end(), box) != gClosed.end())
                return TRUE;
            gClosed.push_back(box);
            SeenMessageBox seen{TextOf(box), L"", {}};
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                GetClassNameW(child, name, 32);
                const std::wstring text = TextOf(child);
                if (std::wstring(name) == L"Button" && IsWindowVisible(child))
                    seen.buttons.push_back(text);
                else if (std::wstring(name) == L"Static" && text.size() > seen.text.size())
                    seen.text = text;
            }
            gSeen->push_back(seen);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return TRUE;
        },
        0);
}

} // namespace

std::vector<SeenMessageBox> MessageBoxesDuring(void (*action)(void*), void* context) {
    std::vector<SeenMessageBox> seen;
    gSeen = &seen;
    gClosed.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBoxes);
    action(context);
    KillTimer(nullptr, timer);
    gSeen = nullptr;
    return seen;
}
