#include "controls/KnobSprites.h"

#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

#include <algorithm>

namespace {

// Source pixels taken beyond a frame's own on each side: the filter reaches into the
// neighbouring frames at the edges, as it does when the whole strip is drawn at once.
constexpr int kFrameMargin = 8;

HBITMAP HandleOf(Gdiplus::Bitmap* bitmap) {
    HBITMAP handle = nullptr;
    if (bitmap && bitmap->GetHBITMAP(Gdiplus::Color(0), &handle) != Gdiplus::Ok)
        handle = nullptr;
    return handle;
}

} // namespace

KnobSprites::KnobSprites(HINSTANCE instance, int imageId, int maskId, int lastFrame)
    : module(instance), imageResource(imageId), maskResource(maskId), lastFrameIndex(lastFrame),
      ready(static_cast<size_t>(lastFrame + 1), kHeld) {
    // Read from the mapped resources: decoded, the two strips took 4.6 MB. Their GDI
    // bitmaps at natural size (as much again) are made when a frame is first drawn at
    // natural size: a window that opens scaled never needs them.
    image = MapResourceBitmap(module, imageResource);
    mask = MapResourceBitmap(module, maskResource);
}

KnobSprites::~KnobSprites() {
    ReleaseHandles();
}

void KnobSprites::ReleaseHandles() {
    for (Tile& tile : tiles) {
        tile.bitmap.reset();
        tile.pixels.clear();
        tile.pixels.shrink_to_fit();
    }
    if (imageHandle)
        DeleteObject(imageHandle);
    if (maskHandle)
        DeleteObject(maskHandle);
    imageHandle = nullptr;
    maskHandle = nullptr;
    imageBits = nullptr;
    maskBits = nullptr;
}

void KnobSprites::SetScale(double factor) {
    if (factor == scale)
        return;
    ReleaseHandles();
    scale = factor;
    ++renderCount;
    if (!image || !mask)
        return;
    const int frames = lastFrameIndex + 1;
    const int naturalWidth = static_cast<int>(image->GetWidth());
    const int naturalHeight = static_cast<int>(image->GetHeight());
    frameWidth = static_cast<int>(naturalWidth / frames * factor);
    const double ratio = static_cast<double>(frames * frameWidth) / naturalWidth;
    frameHeight = static_cast<int>(naturalHeight * ratio);
    if (factor == 1.0) {
        // Natural size is the loaded strips themselves, made GDI bitmaps when first drawn.
        ready.assign(ready.size(), kHeld);
        return;
    }
    if (frameWidth > 0 && frameHeight > 0) {
        imageHandle = CreateTopDownDib(frames * frameWidth, frameHeight, imageBits);
        maskHandle = CreateTopDownDib(frames * frameWidth, frameHeight, maskBits);
        for (Tile& tile : tiles) {
            tile.pixels.assign(static_cast<size_t>(frameWidth) * frameHeight * 4, 0);
            tile.bitmap = std::make_unique<Gdiplus::Bitmap>(frameWidth, frameHeight, frameWidth * 4,
                                                            PixelFormat32bppPARGB, tile.pixels.data());
            if (tile.bitmap->GetLastStatus() != Gdiplus::Ok)
                tile.bitmap.reset();
        }
    }
    ready.assign(ready.size(), kMissing);
}

bool KnobSprites::Prepare(int frame) {
    if (scale == 1.0 && !imageHandle && image && mask) {
        imageHandle = HandleOf(image.get());
        maskHandle = HandleOf(mask.get());
    }
    if (frame < 0 || frame >= lastFrameIndex || !imageHandle || !maskHandle)
        return false;
    if (ready[static_cast<size_t>(frame)] == kHeld)
        return true;
    return imageBits && maskBits && RenderBoth(frame, 1);
}

bool KnobSprites::RenderBoth(int frame, int lane) {
    Gdiplus::Bitmap& fromImage = lane == 0 ? *workerImage : *image;
    Gdiplus::Bitmap& fromMask = lane == 0 ? *workerMask : *mask;
    if (!RenderFrame(fromImage, imageBits, frame, lane) || !RenderFrame(fromMask, maskBits, frame, lane))
        return false;
    ready[static_cast<size_t>(frame)] = kHeld;
    ++frameRenders;
    return true;
}

void KnobSprites::AddFrameWork(int frame, std::vector<std::function<void(int lane)>>& work) {
    if (frame < 0 || frame >= lastFrameIndex || ready[static_cast<size_t>(frame)] != kMissing || !imageBits ||
        !maskBits)
        return;
    if (!workerImage)
        workerImage = MapResourceBitmap(module, imageResource);
    if (!workerMask)
        workerMask = MapResourceBitmap(module, maskResource);
    if (!workerImage || !workerMask)
        return;
    ready[static_cast<size_t>(frame)] = kGiven;
    // Each frame is a tile of its own in the strips, and an element of its own in `ready`.
    work.push_back([this, frame](int lane) { RenderBoth(frame, lane); });
}

bool KnobSprites::RenderFrame(Gdiplus::Bitmap& source, void* stripBits, int frame, int lane) {
    // The frame is drawn where drawing the whole strip would put it: the same scale,
    // moved left by the frames before it, from the same source pixels. It is drawn into
    // the lane's tile, kept for the scale (a GDI+ bitmap made for every frame cost about
    // a fifth of the frame under Wine), and copied into the strip, premultiplied as it is
    // blitted.
    Gdiplus::Bitmap* tile = tiles[lane].bitmap.get();
    if (!tile)
        return false;
    std::fill(tiles[lane].pixels.begin(), tiles[lane].pixels.end(), 0);
    const int naturalWidth = static_cast<int>(source.GetWidth());
    const int naturalHeight = static_cast<int>(source.GetHeight());
    const int stride = (lastFrameIndex + 1) * frameWidth * 4;
    const double ratio = static_cast<double>(stride / 4) / naturalWidth;
    const int naturalFrame = naturalWidth / (lastFrameIndex + 1);
    const int left = std::max(0, frame * naturalFrame - kFrameMargin);
    const int right = std::min(naturalWidth, (frame + 1) * naturalFrame + kFrameMargin);
    {
        Gdiplus::Graphics graphics(tile);
        // The tile is clear: copying what is drawn gives the pixels blending over it
        // would, without reading it back (a fifth of the time under Wine).
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.TranslateTransform(static_cast<float>(-frame * frameWidth), 0.0f);
        graphics.ScaleTransform(static_cast<float>(ratio), static_cast<float>(ratio));
        if (graphics.DrawImage(&source,
                               Gdiplus::RectF(static_cast<float>(left), 0.0f,
                                              static_cast<float>(right - left),
                                              static_cast<float>(naturalHeight)),
                               static_cast<float>(left), 0.0f, static_cast<float>(right - left),
                               static_cast<float>(naturalHeight), Gdiplus::UnitPixel) != Gdiplus::Ok)
            return false;
    }
    return CopyPremultiplied(*tile, frameWidth, frameHeight,
                             static_cast<BYTE*>(stripBits) + static_cast<size_t>(frame) * frameWidth * 4,
                             stride);
}

void KnobSprites::Draw(HDC dc, int frame, int x, int y) {
    if (!Prepare(frame))
        return;
    HDC memory = KeptMemoryDC();
    HGDIOBJ previous = SelectObject(memory, maskHandle);
    BitBlt(dc, x, y, frameWidth, frameHeight, memory, frameWidth * frame, 0, SRCAND);
    SelectObject(memory, imageHandle);
    BitBlt(dc, x, y, frameWidth, frameHeight, memory, frameWidth * frame, 0, SRCPAINT);
    SelectObject(memory, previous);
}
