#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

// The one pair of knob sprite strips (frames left to right, and their masks) that all
// knobs share, kept as GDI bitmaps ready for blitting at the current scale. At a new
// scale a frame is rendered only for a knob that shows it (while the panel's picture is
// drawn, or when first drawn): a knob shows one frame, and rendering all 128 of both
// strips at every step of a window drag would cost more than the whole panel picture.
class KnobSprites {
  public:
    KnobSprites(HINSTANCE instance, int imageId, int maskId, int lastFrame);
    KnobSprites(const KnobSprites&) = delete;
    KnobSprites& operator=(const KnobSprites&) = delete;
    ~KnobSprites();

    // Takes factor x natural size: the frame size follows at once, the frames as they
    // are shown. The current factor does nothing.
    void SetScale(double factor);
    // Draws `frame` with its top-left at (x, y): the mask by AND, then the image by OR.
    // Frames outside the strip and missing strips draw nothing.
    void Draw(HDC dc, int frame, int x, int y);
    // Renders `frame` at the current scale unless the strips hold it already; false
    // for a frame that cannot be drawn.
    bool Prepare(int frame);
    // Adds to `work` the rendering of `frame` at the current scale, unless the strips
    // hold it or it is added already; until the work is finished nothing may draw from
    // the strips. A frame the work fails to render is rendered when first drawn.
    void AddFrameWork(int frame, std::vector<std::function<void(int lane)>>& work);

    HINSTANCE module;
    int imageResource;                      // the knob frames
    int maskResource;                       // their masks
    int lastFrameIndex;                     // the strip holds lastFrameIndex + 1 frames
    std::unique_ptr<Gdiplus::Bitmap> image; // the strips as loaded, the source of every scale
    std::unique_ptr<Gdiplus::Bitmap> mask;
    // The strips at the current scale; hold the frames in `ready`. At natural size they
    // are made by the first Prepare.
    HBITMAP imageHandle = nullptr;
    HBITMAP maskHandle = nullptr;
    int frameWidth = 67; // one frame at the current scale
    int frameHeight = 67;
    double scale = 1.0;  // the factor the strips were last made for
    int renderCount = 0; // how often the strips were made anew for a factor, for tests and benchmarks
    std::atomic<int> frameRenders{0}; // frames rendered at a new factor, likewise
    // Each frame at the current scale: missing, held by the strips, or to be rendered by
    // work AddFrameWork gave (and rendered when first drawn if that work fails).
    enum FrameState : char { kMissing, kHeld, kGiven };
    std::vector<FrameState> ready;

  private:
    void ReleaseHandles();
    bool RenderFrame(Gdiplus::Bitmap& source, void* stripBits, int frame, int lane);
    // Renders `frame` of both strips from the lane's sources in the lane's tile (lane 0:
    // the worker's, 1: the program's own thread's) and marks it held; false on failure.
    bool RenderBoth(int frame, int lane);

    void* imageBits = nullptr; // the pixels of the strips made for a factor other than 1.0
    void* maskBits = nullptr;
    // The strips as loaded once more, for the worker thread of AddFrameWork.
    std::unique_ptr<Gdiplus::Bitmap> workerImage;
    std::unique_ptr<Gdiplus::Bitmap> workerMask;
    // One frame's size at the current scale, for each lane to render a frame in before
    // it is copied into the strips.
    struct Tile {
        std::vector<unsigned char> pixels;
        std::unique_ptr<Gdiplus::Bitmap> bitmap;
    };
    Tile tiles[2];
};
