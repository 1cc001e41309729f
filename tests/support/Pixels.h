#pragma once

#include <windows.h>

#include <vector>

// Where windows sit and what they show on the screen, for tests under Wine that read
// real pixels back.

RECT RectInParent(HWND window); // a child's rectangle in its parent's client area

// A window's client area or a bitmap, read back as 0x00RRGGBB pixels.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
Pixels CaptureClient(HWND window);
Pixels LoadBitmapPixels(int resourceId);
Pixels BitmapPixels(HBITMAP bitmap, int x, int y, int width, int height);

// Mean difference per channel between a part of `shot` and a part of `natural`
// enlarged (or shrunk) to its size by picking the nearest source pixel.
double MeanDifference(const Pixels& shot, int left, int top, int width, int height, const Pixels& natural,
                      int sourceLeft, int sourceTop, int sourceWidth, int sourceHeight);
