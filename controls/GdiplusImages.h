#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

// Bitmaps of the program's resources for the controls, loaded and scaled with GDI+.

// The bitmap resource `id` of `instance`, or null when it cannot be loaded.
std::unique_ptr<Gdiplus::Bitmap> LoadResourceBitmap(HINSTANCE instance, int id);

// The 24-bit or 8-bit bitmap resource `id` of `instance` as a GDI+ bitmap over the
// resource's own pixels, which stay mapped from the program file: nothing is decoded or
// copied, so it costs no memory while unused. Other formats are loaded as
// LoadResourceBitmap loads them. The bitmap is only ever read.
std::unique_ptr<Gdiplus::Bitmap> MapResourceBitmap(HINSTANCE instance, int id);

// The same bitmap over the resource's pixels as MapResourceBitmap gives, but in a view
// of the program file of its own that is unmapped with this object: pixels read once to
// draw something else from them do not stay in memory with the loaded program.
class FileResourceBitmap {
  public:
    FileResourceBitmap(HINSTANCE instance, int id);
    FileResourceBitmap(const FileResourceBitmap&) = delete;
    FileResourceBitmap& operator=(const FileResourceBitmap&) = delete;
    ~FileResourceBitmap();
    // Null when the resource cannot be loaded; MapResourceBitmap's bitmap when the
    // file cannot be mapped.
    Gdiplus::Bitmap* get() const { return bitmap.get(); }
    // A second bitmap over the same pixels, for another thread to draw from at the same
    // time (GDI+ draws a bitmap on one thread at a time); released before this object.
    std::unique_ptr<Gdiplus::Bitmap> Another() const;

  private:
    HINSTANCE module;
    int resource;
    const BITMAPINFO* pixels = nullptr; // in `view`, or in the loaded program
    DWORD pixelsSize = 0;
    void* view = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap; // over `view`, so released first
};

// `source` drawn into a new 32-bit ARGB bitmap of width x height with both world
// scales set to `ratio`; null when the size is empty or GDI+ fails.
std::unique_ptr<Gdiplus::Bitmap> RenderScaledBitmap(Gdiplus::Bitmap& source, int width, int height,
                                                    double ratio);

// The same drawing straight into `bits`, the pixels of a 32-bit top-down GDI bitmap
// `width` pixels wide, ready for blitting (premultiplied, as drawn over black), but of
// its rows [top, bottom) only, read from the source rows the filter needs for them:
// bands drawn one by one make the same picture as one drawing of the whole. Bands may be
// drawn at once on threads of their own, each from a source bitmap of its own (GDI+
// draws a bitmap on one thread at a time). False when GDI+ fails.
bool DrawScaledRows(Gdiplus::Bitmap& source, void* bits, int width, int top, int bottom, double ratio);

// A blank 32-bit top-down DIB of width x height; `bits` receives its pixels. Null on failure.
HBITMAP CreateTopDownDib(int width, int height, void*& bits);

// Copies the width x height pixels at the top left of `image` into `bits`, rows `stride`
// bytes apart, premultiplied 32-bit as GDI blits them, by GDI+'s own conversion; false
// when it cannot.
bool CopyPremultiplied(Gdiplus::Bitmap& image, int width, int height, void* bits, int stride);

// A memory device context kept for the thread that paints the controls, with nothing
// of theirs selected into it between two uses: blitting from it spares making one for
// every control drawn.
HDC KeptMemoryDC();

// A picture kept as a premultiplied 32-bit GDI bitmap and drawn by AlphaBlend over what
// a device context shows, as GDI+ draws a bitmap with alpha pixel for pixel there, but
// without converting its pixels at every drawing.
class BlendedPicture {
  public:
    // `image` converted; empty (no handle) when it cannot be.
    explicit BlendedPicture(Gdiplus::Bitmap& image);
    ~BlendedPicture();
    BlendedPicture(const BlendedPicture&) = delete;
    BlendedPicture& operator=(const BlendedPicture&) = delete;

    // Draws it with its top left at (x, y) in its own pixel size.
    void Draw(HDC dc, int x, int y) const;

    HBITMAP handle = nullptr;
    int width = 0;
    int height = 0;
};
