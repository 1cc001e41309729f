#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

#include <algorithm>
#include <vector>

std::unique_ptr<Gdiplus::Bitmap> LoadResourceBitmap(HINSTANCE instance, int id) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromResource(instance, MAKEINTRESOURCEW(id)));
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok)
        bitmap.reset();
    return bitmap;
}

namespace {

// The packed bitmap `info` of `size` bytes as a GDI+ bitmap over its own pixels; null
// when it is not a 24-bit or 8-bit one GDI+ takes as it is.
std::unique_ptr<Gdiplus::Bitmap> BitmapOverPixels(const BITMAPINFO* info, DWORD size) {
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize != sizeof(BITMAPINFOHEADER))
        return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const bool indexed = header.biBitCount == 8;
    const DWORD colours = indexed ? (header.biClrUsed != 0 ? header.biClrUsed : 256) : header.biClrUsed;
    if ((header.biBitCount != 24 && !indexed) || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight == 0 || colours > 256)
        return nullptr;
    const LONG width = header.biWidth;
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const INT stride = static_cast<INT>((width * (indexed ? 1 : 3) + 3) & ~3);
    const DWORD offset = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    if (size < offset + static_cast<DWORD>(stride) * static_cast<DWORD>(height))
        return nullptr;
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
        return nullptr;
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
            return nullptr;
    }
    return bitmap;
}

// The resource's bytes and size; null when it is missing.
const BITMAPINFO* FindBitmapResource(HINSTANCE instance, int id, DWORD& size) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    size = found ? SizeofResource(instance, found) : 0;
    return loaded ? static_cast<const BITMAPINFO*>(LockResource(loaded)) : nullptr;
}

// Where the loaded module's byte at `address` lies in its file; 0 when no section holds it.
DWORD FileOffsetOf(HINSTANCE instance, const void* address) {
    const auto* base = reinterpret_cast<const BYTE*>(instance);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto rva = static_cast<DWORD>(static_cast<const BYTE*>(address) - base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (rva >= section->VirtualAddress && rva - section->VirtualAddress < section->SizeOfRawData)
            return rva - section->VirtualAddress + section->PointerToRawData;
    }
    return 0;
}

// The program file of `instance` mapped for reading; null when it cannot be. Made once
// and kept: a mapping holds no memory until a view of it is read, and opening the file
// for every rescale cost a few requests to the system each time.
HANDLE ProgramFileMapping(HINSTANCE instance) {
    static HINSTANCE mapped = nullptr;
    static HANDLE mapping = nullptr;
    if (mapping && mapped == instance)
        return mapping;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    HANDLE file = length > 0 && length < MAX_PATH
                      ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE made = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file); // the mapping keeps it
    if (!made)
        return nullptr;
    if (mapping)
        CloseHandle(mapping);
    mapped = instance;
    mapping = made;
    return mapping;
}

} // namespace

std::unique_ptr<Gdiplus::Bitmap> MapResourceBitmap(HINSTANCE instance, int id) {
    DWORD size = 0;
    const BITMAPINFO* resource = FindBitmapResource(instance, id, size);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = BitmapOverPixels(resource, size);
    return bitmap ? std::move(bitmap) : LoadResourceBitmap(instance, id);
}

FileResourceBitmap::FileResourceBitmap(HINSTANCE instance, int id) : module(instance), resource(id) {
    DWORD size = 0;
    const BITMAPINFO* loaded = FindBitmapResource(instance, id, size);
    pixels = loaded;
    pixelsSize = size;
    const DWORD offset = loaded ? FileOffsetOf(instance, loaded) : 0;
    if (HANDLE mapping = offset != 0 ? ProgramFileMapping(instance) : nullptr) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const DWORD start = offset - offset % system.dwAllocationGranularity;
        view = MapViewOfFile(mapping, FILE_MAP_READ, 0, start, offset - start + size);
        if (view) {
            pixels = reinterpret_cast<const BITMAPINFO*>(static_cast<const BYTE*>(view) + (offset - start));
            bitmap = BitmapOverPixels(pixels, size);
        }
    }
    if (!bitmap) {
        pixels = loaded;
        bitmap = MapResourceBitmap(instance, id);
    }
}

std::unique_ptr<Gdiplus::Bitmap> FileResourceBitmap::Another() const {
    std::unique_ptr<Gdiplus::Bitmap> another = BitmapOverPixels(pixels, pixelsSize);
    return another ? std::move(another) : MapResourceBitmap(module, resource);
}

FileResourceBitmap::~FileResourceBitmap() {
    bitmap.reset();
    if (view)
        UnmapViewOfFile(view);
}

std::unique_ptr<Gdiplus::Bitmap> RenderScaledBitmap(Gdiplus::Bitmap& source, int width, int height,
                                                    double ratio) {
    if (width <= 0 || height <= 0)
        return nullptr;
    auto target = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (target->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(target.get());
    // The target is still clear: copying what is drawn gives the pixels blending over it
    // would, without reading it back.
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
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

bool DrawScaledRows(Gdiplus::Bitmap& source, void* bits, int width, int top, int bottom, double ratio) {
    if (width <= 0 || bottom <= top || ratio <= 0)
        return false;
    Gdiplus::Bitmap band(width, bottom - top, width * 4, PixelFormat32bppPARGB,
                         static_cast<BYTE*>(bits) +
                             static_cast<size_t>(top) * static_cast<size_t>(width) * 4);
    if (band.GetLastStatus() != Gdiplus::Ok)
        return false;
    // The filter reaches a few source rows beyond those under the band, as it does
    // when the whole picture is drawn at once.
    constexpr int kMargin = 8;
    const int sourceHeight = static_cast<int>(source.GetHeight());
    const int first = std::max(0, static_cast<int>(top / ratio) - kMargin);
    const int last = std::min(sourceHeight, static_cast<int>(bottom / ratio) + 1 + kMargin);
    const auto sourceWidth = static_cast<float>(source.GetWidth());
    Gdiplus::Graphics graphics(&band);
    // Copied, not blended: the rows are still clear, so the pixels are the same, and the
    // new bitmap's pages are written without being read first. A page read first is the
    // zero page until written; its copy then stops the other drawing thread to flush its
    // page tables, once for each page.
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.TranslateTransform(0.0f, static_cast<float>(-top));
    graphics.ScaleTransform(static_cast<float>(ratio), static_cast<float>(ratio));
    const Gdiplus::RectF rows(0.0f, static_cast<float>(first), sourceWidth, static_cast<float>(last - first));
    return graphics.DrawImage(&source, rows, rows.X, rows.Y, rows.Width, rows.Height, Gdiplus::UnitPixel) ==
           Gdiplus::Ok;
}

bool CopyPremultiplied(Gdiplus::Bitmap& image, int width, int height, void* bits, int stride) {
    Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData pixels = {};
    pixels.Width = static_cast<UINT>(width);
    pixels.Height = static_cast<UINT>(height);
    pixels.Stride = stride;
    pixels.PixelFormat = PixelFormat32bppPARGB;
    pixels.Scan0 = bits;
    if (image.LockBits(&area, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                       PixelFormat32bppPARGB, &pixels) != Gdiplus::Ok)
        return false;
    image.UnlockBits(&pixels);
    return true;
}

HDC KeptMemoryDC() {
    static HDC memory = CreateCompatibleDC(nullptr);
    return memory;
}

BlendedPicture::BlendedPicture(Gdiplus::Bitmap& image) {
    const int imageWidth = static_cast<int>(image.GetWidth());
    const int imageHeight = static_cast<int>(image.GetHeight());
    void* bits = nullptr;
    handle = imageWidth > 0 && imageHeight > 0 ? CreateTopDownDib(imageWidth, imageHeight, bits) : nullptr;
    if (!handle)
        return;
    // GDI+'s own conversion, as it converts a bitmap to draw it on a device context.
    if (!CopyPremultiplied(image, imageWidth, imageHeight, bits, imageWidth * 4)) {
        DeleteObject(handle);
        handle = nullptr;
        return;
    }
    width = imageWidth;
    height = imageHeight;
}

BlendedPicture::~BlendedPicture() {
    if (handle)
        DeleteObject(handle);
}

void BlendedPicture::Draw(HDC dc, int x, int y) const {
    if (!handle)
        return;
    HDC memory = KeptMemoryDC();
    HGDIOBJ previous = SelectObject(memory, handle);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, width, height, memory, 0, 0, width, height, blend);
    SelectObject(memory, previous);
}
