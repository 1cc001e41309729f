#include "tests/support/Pixels.h"

#include "controls/GdiplusImages.h"

#include <cstdlib>

RECT RectInParent(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// Copies width x height pixels of `source` at (x, y) through a top-down 32-bit DIB.
static Pixels Copy(HDC source, int x, int y, int width, int height) {
    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(width, height, bits);
    if (!dib)
        return Pixels();
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const DWORD*>(bits);
    Pixels pixels{width, height, std::vector<DWORD>(words, words + static_cast<size_t>(width) * height)};
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

Pixels BitmapPixels(HBITMAP bitmap, int x, int y, int width, int height) {
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(holder, bitmap);
    Pixels pixels = Copy(holder, x, y, width, height);
    SelectObject(holder, previous);
    DeleteDC(holder);
    return pixels;
}

Pixels LoadBitmapPixels(int resourceId) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return Pixels();
    BITMAP shape;
    GetObjectW(bitmap, sizeof shape, &shape);
    Pixels pixels = BitmapPixels(bitmap, 0, 0, shape.bmWidth, shape.bmHeight);
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
