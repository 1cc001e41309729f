#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

#include <vector>

std::unique_ptr<Gdiplus::Bitmap> LoadResourceBitmap(HINSTANCE instance, int id) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromResource(instance, MAKEINTRESOURCEW(id)));
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok)
        bitmap.reset();
    return bitmap;
}

std::unique_ptr<Gdiplus::Bitmap> MapResourceBitmap(HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* info = loaded ? static_cast<const BITMAPINFO*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize != sizeof(BITMAPINFOHEADER))
        return LoadResourceBitmap(instance, id);
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const bool indexed = header.biBitCount == 8;
    const DWORD colours = indexed ? (header.biClrUsed != 0 ? header.biClrUsed : 256) : header.biClrUsed;
    if ((header.biBitCount != 24 && !indexed) || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight == 0 || colours > 256)
        return LoadResourceBitmap(instance, id);
    const LONG width = header.biWidth;
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const INT stride = static_cast<INT>((width * (indexed ? 1 : 3) + 3) & ~3);
    const DWORD offset = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    if (size < offset + static_cast<DWORD>(stride) * static_cast<DWORD>(height))
        return LoadResourceBitmap(instance, id);
    auto* bits = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(info) + offset);
    // Rows bottom-up (a positive height): the first row shown is the last one stored.
    INT step = stride;
    if (header.biHeight > 0) {
        bits += static_cast<size_t>(stride) * static_cast<size_t>(height - 1);
        step = -stride;
    }
    std::unique_ptr<Gdiplus::Bitmap> bitmap(
        new Gdiplus::Bitmap(static_cast<INT>(width), static_cast<INT>(height), step,
                            indexed ? PixelFormat8bppIndexed : PixelFormat24bppRGB, bits));
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return LoadResourceBitmap(instance, id);
    if (indexed) {
        // The resource's colours, opaque, as decoding the resource gives them.
        std::vector<BYTE> storage(sizeof(Gdiplus::ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
        auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(storage.data());
        palette->Flags = 0;
        palette->Count = colours;
        for (DWORD i = 0; i < colours; ++i) {
            const RGBQUAD& c = info->bmiColors[i];
            palette->Entries[i] = Gdiplus::Color::MakeARGB(255, c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
        if (bitmap->SetPalette(palette) != Gdiplus::Ok)
            return LoadResourceBitmap(instance, id);
    }
    return bitmap;
}

std::unique_ptr<Gdiplus::Bitmap> RenderScaledBitmap(Gdiplus::Bitmap& source, int width, int height,
                                                    double ratio) {
    if (width <= 0 || height <= 0)
        return nullptr;
    auto target = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (target->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(target.get());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.ScaleTransform(static_cast<float>(ratio), static_cast<float>(ratio));
    // The size is given so that the bitmap's resolution plays no part.
    graphics.DrawImage(&source, 0, 0, static_cast<INT>(source.GetWidth()),
                       static_cast<INT>(source.GetHeight()));
    return target;
}

HBITMAP CreateTopDownDib(int width, int height, void*& bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

HBITMAP RenderScaledDib(Gdiplus::Bitmap& source, int width, int height, double ratio,
                        std::unique_ptr<Gdiplus::Bitmap>& view) {
    view.reset();
    if (width <= 0 || height <= 0)
        return nullptr;
    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(width, height, bits);
    if (!dib)
        return nullptr;
    view = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                             static_cast<BYTE*>(bits));
    if (view->GetLastStatus() != Gdiplus::Ok) {
        view.reset();
        DeleteObject(dib);
        return nullptr;
    }
    Gdiplus::Graphics graphics(view.get());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.ScaleTransform(static_cast<float>(ratio), static_cast<float>(ratio));
    graphics.DrawImage(&source, 0, 0, static_cast<INT>(source.GetWidth()),
                       static_cast<INT>(source.GetHeight()));
    return dib;
}

void DrawBitmapUnscaled(HDC dc, Gdiplus::Bitmap& image) {
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&image, 0, 0, static_cast<INT>(image.GetWidth()), static_cast<INT>(image.GetHeight()));
}
