// main() of every test program that runs under Wine: GDI+ is started as the
// program starts it, so that bitmaps load from the resources as they do in tavren.exe.
#include <windows.h>

#include "controls/GdiplusHeader.h"
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int result = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
