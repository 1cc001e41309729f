#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

// The one pair of knob sprite strips (frames left to right, and their masks) that all
// knobs share, kept as GDI bitmaps ready for blitting at the current scale.
class KnobSprites {
  public:
    KnobSprites(HINSTANCE instance, int imageId, int maskId, int lastFrame);
    KnobSprites(const KnobSprites&) = delete;
    KnobSprites& operator=(const KnobSprites&) = delete;
    ~KnobSprites();

    // Renders both strips at factor x natural size; the current factor does nothing.
    void SetScale(double factor);
    // Draws `frame` with its top-left at (x, y): the mask by AND, then the image by OR.
    // Frames outside the strip and missing strips draw nothing.
    void Draw(HDC dc, int frame, int x, int y) const;

    HINSTANCE module;
    int imageResource;  // the knob frames
    int maskResource;   // their masks
    int lastFrameIndex; // the strip holds lastFrameIndex + 1 frames
    std::unique_ptr<Gdiplus::Bitmap> image;
    std::unique_ptr<Gdiplus::Bitmap> mask;
    HBITMAP imageHandle = nullptr;
    HBITMAP maskHandle = nullptr;
    int frameWidth = 67; // one frame at the current scale
    int frameHeight = 67;
    double scale = 1.0;  // the factor the strips were last rendered at
    int renderCount = 0; // how often the strips were rendered anew, for tests and benchmarks

  private:
    void MakeHandles();
    void ReleaseAll();
};
