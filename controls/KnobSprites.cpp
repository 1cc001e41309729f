#include "controls/KnobSprites.h"

#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

KnobSprites::KnobSprites(HINSTANCE instance, int imageId, int maskId, int lastFrame)
    : module(instance), imageResource(imageId), maskResource(maskId), lastFrameIndex(lastFrame) {
    image = LoadResourceBitmap(module, imageResource);
    mask = LoadResourceBitmap(module, maskResource);
    MakeHandles();
}

KnobSprites::~KnobSprites() {
    ReleaseAll();
}

void KnobSprites::ReleaseAll() {
    if (imageHandle)
        DeleteObject(imageHandle);
    if (maskHandle)
        DeleteObject(maskHandle);
    imageHandle = nullptr;
    maskHandle = nullptr;
    image.reset();
    mask.reset();
}

void KnobSprites::MakeHandles() {
    if (image && image->GetHBITMAP(Gdiplus::Color(0), &imageHandle) != Gdiplus::Ok)
        imageHandle = nullptr;
    if (mask && mask->GetHBITMAP(Gdiplus::Color(0), &maskHandle) != Gdiplus::Ok)
        maskHandle = nullptr;
}

void KnobSprites::SetScale(double factor) {
    if (factor == scale)
        return;
    ReleaseAll();
    scale = factor;
    ++renderCount;
    std::unique_ptr<Gdiplus::Bitmap> naturalImage = LoadResourceBitmap(module, imageResource);
    if (!naturalImage)
        return;
    int frames = lastFrameIndex + 1;
    int naturalWidth = static_cast<int>(naturalImage->GetWidth());
    int naturalHeight = static_cast<int>(naturalImage->GetHeight());
    int frame = static_cast<int>(naturalWidth / frames * factor);
    int width = frames * frame;
    double ratio = static_cast<double>(width) / naturalWidth;
    int height = static_cast<int>(naturalHeight * ratio);
    image = RenderScaledBitmap(*naturalImage, width, height, ratio);
    naturalImage.reset();
    frameWidth = frame;
    frameHeight = height;
    if (std::unique_ptr<Gdiplus::Bitmap> naturalMask = LoadResourceBitmap(module, maskResource))
        mask = RenderScaledBitmap(*naturalMask, width, height, ratio);
    MakeHandles();
}

void KnobSprites::Draw(HDC dc, int frame, int x, int y) const {
    if (frame < 0 || frame >= lastFrameIndex || !imageHandle || !maskHandle)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return;
    HGDIOBJ previous = SelectObject(memory, maskHandle);
    BitBlt(dc, x, y, frameWidth, frameHeight, memory, frameWidth * frame, 0, SRCAND);
    SelectObject(memory, imageHandle);
    BitBlt(dc, x, y, frameWidth, frameHeight, memory, frameWidth * frame, 0, SRCPAINT);
    SelectObject(memory, previous);
    DeleteDC(memory);
}
