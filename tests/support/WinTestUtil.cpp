#include "tests/support/WinTestUtil.h"

#include <dlgs.h>

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done(); Sleep(1)) {
        if (GetTickCount() - start > timeoutMs)
            return done();
        PumpMessages();
    }
    return true;
}

void AnswerNextFileDialog(const std::wstring& path) {
    static std::wstring typed;
    typed = path;
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (HWND dialog = FindWindowW(L"#32770", nullptr)) {
            KillTimer(nullptr, timer);
            // The name box is a combo box in the newer dialog, an edit in the older one.
            HWND name = GetDlgItem(dialog, cmb13);
            SetWindowTextW(name != nullptr ? name : GetDlgItem(dialog, edt1), typed.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
}

void DestroyChildren(HWND parent) {
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM owner) {
            if (GetParent(child) == reinterpret_cast<HWND>(owner))
                DestroyWindow(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(parent));
    PumpMessages();
}

static LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT && message != WM_NCPAINT && message != WM_ERASEBKGND)
        TestWindow::received().push_back({message, wParam, lParam});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TestWindow::TestWindow(int width, int height) {
    static const ATOM registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"TAVRENTESTWINDOW";
        return RegisterClassW(&wc);
    }();
    window = CreateWindowExW(0, MAKEINTATOM(registered), L"test", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpMessages();
}

TestWindow::~TestWindow() {
    DestroyWindow(window);
    PumpMessages();
}

std::vector<TestWindow::Received>& TestWindow::received() {
    static std::vector<Received> log;
    return log;
}
