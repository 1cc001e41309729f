#include "tests/support/Pixels.h"

#include "controls/GdiplusImages.h"
#include "tests/support/WinTestUtil.h"

#include <windowsx.h>

#include <cstdlib>

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
    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(width, height, bits);
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
    auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
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

double MeanDifference(const Pixels& shot, int left, int top, int width, int height, const Pixels& natural,
                      int sourceLeft, int sourceTop, int sourceWidth, int sourceHeight) {
    double total = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            DWORD a = shot.At(left + x, top + y);
            DWORD b = natural.At(sourceLeft + x * sourceWidth / width, sourceTop + y * sourceHeight / height);
            for (int shift : {0, 8, 16})
                total +=
                    std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        }
    }
    return total / (3.0 * width * height);
}
