#include "tests/controls/ControlTestSupport.h"

#include "app/Settings.h"
#include "controls/ControlClasses.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"

#include <windowsx.h>

HINSTANCE TestInstance() {
    return GetModuleHandleW(nullptr);
}

LRESULT SendMouse(HWND window, UINT message, int x, int y, WPARAM keys) {
    return SendMessageW(window, message, keys, MAKELPARAM(x & 0xFFFF, y & 0xFFFF));
}

static void SendKey(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    PumpMessages();
}

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, 0);
}
void ReleaseKey(WORD virtualKey) {
    SendKey(virtualKey, KEYEVENTF_KEYUP);
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

RECT RectInParent(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

void MoveCursorTo(HWND window, int x, int y) {
    // Under Wine a pointer event from X that was under way can still move the cursor
    // back after SetCursorPos, so the position has to hold for a few checks.
    POINT target = ScreenPoint(window, x, y);
    int steady = 0;
    for (DWORD start = GetTickCount(); steady < 3 && GetTickCount() - start < 2000;) {
        POINT now;
        GetCursorPos(&now);
        if (now.x != target.x || now.y != target.y) {
            SetCursorPos(target.x, target.y);
            steady = 0;
        } else {
            ++steady;
        }
        PumpMessages();
        Sleep(5);
    }
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

DWORD Rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// Copies width x height pixels of `source` at (x, y) into a top-down 32-bit DIB.
static Pixels Copy(HDC source, int x, int y, int width, int height) {
    Pixels pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib)
        return pixels;
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    const auto* words = static_cast<const DWORD*>(bits);
    pixels.data.assign(words, words + static_cast<size_t>(width) * height);
    for (DWORD& word : pixels.data)
        word &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(dib);
    return pixels;
}

Pixels CaptureClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Pixels pixels = Copy(dc, 0, 0, client.right, client.bottom);
    ReleaseDC(window, dc);
    return pixels;
}

Pixels LoadBitmapPixels(int resourceId) {
    Pixels pixels;
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(TestInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return pixels;
    BITMAP shape;
    GetObjectW(bitmap, sizeof shape, &shape);
    HDC screen = GetDC(nullptr);
    HDC holder = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(holder, bitmap);
    pixels = Copy(holder, 0, 0, shape.bmWidth, shape.bmHeight);
    SelectObject(holder, previous);
    DeleteDC(holder);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return pixels;
}

static BOOL CALLBACK DestroyChild(HWND child, LPARAM parent) {
    if (GetParent(child) == reinterpret_cast<HWND>(parent))
        DestroyWindow(child);
    return TRUE;
}

void DestroyChildren(HWND parent) {
    EnumChildWindows(parent, DestroyChild, reinterpret_cast<LPARAM>(parent));
    PumpMessages();
}

void ControlTest::SetUp() {
    // As the application constructor does; repeated registrations are ignored.
    RegisterControlClasses(TestInstance());
    GetSettings().KnobMode = 0;
    // One parent for the whole program: destroying a top-level window under Wine
    // without a window manager takes two seconds.
    static TestWindow* shared = new TestWindow(640, 480);
    parentWindow = shared->hwnd();
    // Away from the screen's corner, so that screen and parent coordinates differ.
    SetWindowPos(parentWindow, nullptr, kParentLeft, kParentTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(parentWindow);
    SetFocus(parentWindow);
    PumpMessages();
    TestWindow::clearReceived();
}

void ControlTest::TearDown() {
    ReleaseKey(VK_SHIFT);
    ReleaseKey(VK_CONTROL);
    ReleaseCapture();
    DestroyChildren(parentWindow);
    if (KnobSprites* sprites = Knob::Sprites())
        sprites->SetScale(1.0);
    GetSettings().KnobMode = 0;
    TestWindow::clearReceived();
}

std::vector<TestWindow::Received> ControlTest::ParentGot(UINT message) const {
    std::vector<TestWindow::Received> found;
    for (const TestWindow::Received& received : TestWindow::received()) {
        if (received.message == message)
            found.push_back(received);
    }
    return found;
}
