// The artwork as the program finds it in its resources: every bitmap with its exact
// size and pixel format, the icons at the sizes Windows asks for, and the knob
// strips whose frames, pointer angles and masks the knob's blits depend on.

#include "editor/PanelLayout.h"
#include "resources/ResourceIds.h"
#include "tests/support/Pixels.h"

#include <windows.h>

#include "controls/GdiplusHeader.h"
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct ExpectedImage {
    int id;
    int width;
    int height;
    int bits;
};

const ExpectedImage kImages[] = {
    {IDB_PANEL, 1920, 869, 24},          {IDB_KNOB_STRIP, 8576, 67, 8},
    {IDB_KNOB_MASK, 8576, 67, 8},        {IDB_SWITCH_UP, 24, 60, 8},
    {IDB_SWITCH_DOWN, 24, 60, 8},        {IDB_ABOUT, 640, 272, 24},
    {IDB_LEVER_TOP, 24, 75, 8},          {IDB_LEVER_BOTTOM, 24, 75, 8},
    {IDB_LEVER_MIDDLE, 24, 75, 8},       {IDB_LEVER_LOWER_MIDDLE, 24, 75, 8},
    {IDB_LEVER_UPPER_MIDDLE, 24, 75, 8}, {IDB_BANK1_ON, 45, 45, 8},
    {IDB_BANK1_OFF, 45, 45, 8},          {IDB_BANK2_ON, 45, 45, 8},
    {IDB_BANK2_OFF, 45, 45, 8},          {IDB_BANK3_ON, 45, 45, 8},
    {IDB_BANK3_OFF, 45, 45, 8},          {IDB_BANK4_ON, 45, 45, 8},
    {IDB_BANK4_OFF, 45, 45, 8},          {IDB_GLYPHS, 912, 33, 8},
};

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

std::unique_ptr<Gdiplus::Bitmap> Load(int id) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromResource(Module(), MAKEINTRESOURCEW(id)));
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok)
        bitmap.reset();
    return bitmap;
}

// Brightness 0 to 255 (the mean of the three channels).
int Level(const Pixels& p, int x, int y) {
    const DWORD v = p.At(x, y);
    return static_cast<int>(((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF)) / 3;
}

// The header of a bitmap resource as the resource compiler stored it.
const BITMAPINFOHEADER* ResourceHeader(int id) {
    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(Module(), found);
    if (!loaded || SizeofResource(Module(), found) < sizeof(BITMAPINFOHEADER))
        return nullptr;
    return static_cast<const BITMAPINFOHEADER*>(LockResource(loaded));
}

// Where the pointer of frame n of the knob strip points, in degrees clockwise from
// straight down: the mean direction of the near-white pixels between the cap's
// middle and the skirt's rim. Nothing else on the knob is that bright.
double PointerAngle(const Pixels& strip, int frame) {
    const double cx = kKnobFrameSize * frame + kKnobFrameSize / 2.0;
    const double cy = kKnobFrameSize / 2.0;
    double sumX = 0.0, sumY = 0.0;
    for (int y = 0; y < kKnobFrameSize; ++y) {
        for (int x = kKnobFrameSize * frame; x < kKnobFrameSize * (frame + 1); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double r = std::hypot(dx, dy);
            const int weight = Level(strip, x, y) - 200;
            if (weight > 0 && r >= 10.0 && r <= 31.0) {
                sumX += weight * dx / r;
                sumY += weight * dy / r;
            }
        }
    }
    const double degrees = std::atan2(-sumX, sumY) * 180.0 / kPi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

} // namespace

TEST(ArtResources, EveryBitmapHasItsExactSizeAndBitDepth) {
    for (const ExpectedImage& image : kImages) {
        SCOPED_TRACE("bitmap " + std::to_string(image.id));
        const BITMAPINFOHEADER* header = ResourceHeader(image.id);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, image.width);
        EXPECT_EQ(std::abs(header->biHeight), image.height);
        EXPECT_EQ(header->biBitCount, image.bits);
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));

        std::unique_ptr<Gdiplus::Bitmap> bitmap = Load(image.id);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(static_cast<int>(bitmap->GetWidth()), image.width);
        EXPECT_EQ(static_cast<int>(bitmap->GetHeight()), image.height);
        EXPECT_EQ(bitmap->GetPixelFormat(), image.bits == 24 ? PixelFormat24bppRGB : PixelFormat8bppIndexed);
    }
}

TEST(ArtResources, IconsLoadAtEverySizeFrom16To256) {
    for (int id : {IDI_TAVREN, IDI_SMALL}) {
        HRSRC group = FindResourceW(Module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
        ASSERT_NE(group, nullptr) << "icon group " << id;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(Module(), group)));
        ASSERT_NE(directory, nullptr);
        // The small icon serves title bars and task lists at every display scale.
        const std::vector<int> sizes = id == IDI_TAVREN ? std::vector<int>{16, 20, 24, 32, 48, 64, 128, 256}
                                                        : std::vector<int>{16, 20, 24, 32, 48, 256};
        for (int size : sizes) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            // The group holds an image of exactly this size...
            const int entry = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
            ASSERT_NE(entry, 0);
            HRSRC image = FindResourceW(Module(), MAKEINTRESOURCEW(entry), MAKEINTRESOURCEW(3)); // RT_ICON
            ASSERT_NE(image, nullptr);
            HICON fromData = CreateIconFromResourceEx(
                static_cast<BYTE*>(LockResource(LoadResource(Module(), image))),
                SizeofResource(Module(), image), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
            ASSERT_NE(fromData, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(fromData, &info));
            BITMAP colour{};
            ASSERT_NE(info.hbmColor, nullptr) << "a colour icon";
            GetObjectW(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size);
            EXPECT_EQ(colour.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(fromData);
            // ...and LoadImage hands it out at that size.
            HICON loaded =
                static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(loaded, nullptr);
            DestroyIcon(loaded);
        }
    }
}

TEST(ArtResources, KnobFramesSitOnTheirGridWithThePointerAtTheirAngle) {
    const Pixels strip = LoadBitmapPixels(IDB_KNOB_STRIP);
    const Pixels mask = LoadBitmapPixels(IDB_KNOB_MASK);
    ASSERT_TRUE(!strip.data.empty());
    ASSERT_TRUE(!mask.data.empty());
    ASSERT_EQ(strip.width, kKnobFrameSize * kKnobFrameCount);
    for (int frame : {0, 1, 32, 63, 64, 95, 125, 126}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        // The knob (the mask's black) is centred in its 67 x 67 cell and stays in it.
        int left = kKnobFrameSize, right = -1, top = kKnobFrameSize, bottom = -1;
        for (int y = 0; y < kKnobFrameSize; ++y) {
            for (int x = 0; x < kKnobFrameSize; ++x) {
                if (Level(mask, kKnobFrameSize * frame + x, y) == 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        ASSERT_GE(right, 0) << "the frame has a knob";
        EXPECT_GT(left, 0);
        EXPECT_LT(right, kKnobFrameSize - 1);
        EXPECT_NEAR((left + right) / 2.0, (kKnobFrameSize - 1) / 2.0, 0.5);
        EXPECT_NEAR((top + bottom) / 2.0, (kKnobFrameSize - 1) / 2.0, 0.5);
        // The pointer points where the knob's value says: 30 degrees past straight
        // down at frame 0, turning clockwise by 300 / 128 degrees a frame.
        EXPECT_NEAR(PointerAngle(strip, frame), PanelLayout::FrameAngle(frame), 0.5);
    }
    // The end stops: frame 0 points down-left of straight down, frame 126 down-right.
    EXPECT_NEAR(PointerAngle(strip, 0), 30.0, 0.5);
    EXPECT_NEAR(PointerAngle(strip, 126), 325.3, 0.5);
}

TEST(ArtResources, KnobImageIsDarkWhereverItsMaskLetsThePanelThrough) {
    const Pixels strip = LoadBitmapPixels(IDB_KNOB_STRIP);
    const Pixels mask = LoadBitmapPixels(IDB_KNOB_MASK);
    ASSERT_TRUE(!strip.data.empty());
    ASSERT_TRUE(!mask.data.empty());
    ASSERT_EQ(strip.width, mask.width);
    ASSERT_EQ(strip.height, mask.height);
    // The mask is ANDed with the panel and the image ORed on top: a white mask pixel
    // keeps the panel, so the image must add nothing there; a black one clears the
    // panel for the knob. Nothing in between, which would tint the panel.
    int lit = 0, grey = 0, knobPixels = 0;
    for (int y = 0; y < strip.height; ++y) {
        for (int x = 0; x < strip.width; ++x) {
            const uint32_t m = mask.At(x, y) & 0xFFFFFF;
            if (m == 0xFFFFFF) {
                lit += (strip.At(x, y) & 0xFFFFFF) != 0;
            } else if (m == 0) {
                ++knobPixels;
            } else {
                ++grey;
            }
        }
    }
    EXPECT_EQ(lit, 0) << "image pixels lit outside the knob";
    EXPECT_EQ(grey, 0) << "mask pixels neither black nor white";
    // Every one of the 128 frames holds a knob of the same size.
    EXPECT_GT(knobPixels, kKnobFrameCount * 3000);
    EXPECT_LT(knobPixels, kKnobFrameCount * kKnobFrameSize * kKnobFrameSize);
    // The corners of every cell are outside the knob.
    for (int frame = 0; frame < kKnobFrameCount; ++frame) {
        EXPECT_EQ(mask.At(kKnobFrameSize * frame, 0) & 0xFFFFFF, 0xFFFFFFu) << frame;
        EXPECT_EQ(mask.At(kKnobFrameSize * frame + kKnobFrameSize - 1, kKnobFrameSize - 1) & 0xFFFFFF,
                  0xFFFFFFu)
            << frame;
    }
}

TEST(ArtResources, SwitchImagesShowTheLeverWhereItsPositionIs) {
    // The lever's end is the brightest part of a switch image: its height must lie in
    // the band of pointer heights that selects that position, so that clicking on
    // the lever leaves it where it is.
    struct Lever {
        int id;
        int bandTop;
        int bandBottom;
    };
    const Lever levers[] = {
        {IDB_SWITCH_UP, 0, 30},           {IDB_SWITCH_DOWN, 30, 60},        {IDB_LEVER_TOP, 0, 18},
        {IDB_LEVER_UPPER_MIDDLE, 18, 37}, {IDB_LEVER_LOWER_MIDDLE, 37, 56}, {IDB_LEVER_BOTTOM, 56, 75},
        {IDB_LEVER_MIDDLE, 25, 50},
    };
    for (const Lever& lever : levers) {
        const Pixels p = LoadBitmapPixels(lever.id);
        ASSERT_TRUE(!p.data.empty()) << lever.id;
        int brightestRow = -1, best = -1;
        for (int y = 0; y < p.height; ++y) {
            int sum = 0;
            for (int x = 0; x < p.width; ++x)
                sum += Level(p, x, y);
            if (sum > best) {
                best = sum;
                brightestRow = y;
            }
        }
        EXPECT_GE(brightestRow, lever.bandTop) << lever.id;
        EXPECT_LT(brightestRow, lever.bandBottom) << lever.id;
    }
}

TEST(ArtResources, BankButtonsAreBrighterWhenOn) {
    for (int bank = 0; bank < 4; ++bank) {
        const Pixels on = LoadBitmapPixels(IDB_BANK1_ON + 2 * bank);
        const Pixels off = LoadBitmapPixels(IDB_BANK1_OFF + 2 * bank);
        ASSERT_TRUE(!on.data.empty());
        ASSERT_TRUE(!off.data.empty());
        long onSum = 0, offSum = 0, differing = 0;
        for (int y = 0; y < on.height; ++y) {
            for (int x = 0; x < on.width; ++x) {
                onSum += Level(on, x, y);
                offSum += Level(off, x, y);
                differing += on.At(x, y) != off.At(x, y);
            }
        }
        EXPECT_GT(onSum, offSum + 20000) << "bank " << bank + 1;
        EXPECT_GT(differing, 40) << "bank " << bank + 1;
    }
}
