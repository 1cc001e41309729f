// The artwork in the program's resources: the icon sizes, the knob strip's pointer
// angles and mask. The bitmaps and the switch images show through the screenshots of
// the window tests.

#include "editor/PanelLayout.h"
#include "resources/ResourceIds.h"
#include "tests/support/Pixels.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const void* Resource(int id, int type) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    return found ? LockResource(LoadResource(nullptr, found)) : nullptr;
}

int Level(const Pixels& p, int x, int y) {
    const DWORD v = p.At(x, y);
    return static_cast<int>(((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF)) / 3;
}

// Where the pointer of frame n of the knob strip points, in degrees clockwise from
// straight down: the mean direction of the near-white pixels between the cap's
// middle and the skirt's rim. Nothing else on the knob is that bright.
double PointerAngle(const Pixels& strip, int frame) {
    const double cx = kKnobFrameSize * frame + kKnobFrameSize / 2.0, cy = kKnobFrameSize / 2.0;
    double sumX = 0.0, sumY = 0.0;
    for (int y = 0; y < kKnobFrameSize; ++y) {
        for (int x = kKnobFrameSize * frame; x < kKnobFrameSize * (frame + 1); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, r = std::hypot(dx, dy);
            const int weight = Level(strip, x, y) - 200;
            if (weight > 0 && r >= 10.0 && r <= 31.0) {
                sumX += weight * dx / r;
                sumY += weight * dy / r;
            }
        }
    }
    const double degrees = std::atan2(-sumX, sumY) * 180.0 / 3.14159265358979323846;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

} // namespace

TEST(ArtResources, EveryIconHasItsSizes) {
    // The small icon serves title bars and task lists at every display scale.
    for (const auto& [id, sizes] : {std::pair{IDI_TAVREN, std::vector<int>{16, 20, 24, 32, 48, 64, 128, 256}},
                                    std::pair{IDI_SMALL, std::vector<int>{16, 20, 24, 32, 48, 256}}}) {
        const auto* group = static_cast<const BYTE*>(Resource(id, 14)); // RT_GROUP_ICON
        ASSERT_NE(group, nullptr) << id;
        std::vector<int> found; // a 6-byte header with the count at 4, then 14 bytes an image, width first
        for (int i = 0; i < group[4]; ++i)
            found.push_back(group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, sizes) << "icon group " << id;
    }
}

TEST(ArtResources, KnobFramesShowThePointerAtTheirAngleAndTheMaskLetsThePanelThrough) {
    const Pixels strip = LoadBitmapPixels(IDB_KNOB_STRIP), mask = LoadBitmapPixels(IDB_KNOB_MASK);
    ASSERT_TRUE(strip.width == kKnobFrameSize * kKnobFrameCount && mask.width == strip.width &&
                mask.height == strip.height);
    // The pointer points where the knob's value says: 30 degrees past straight down at
    // frame 0, turning clockwise by 300 / 128 degrees a frame.
    for (int frame = 0; frame < kKnobFrameCount - 1; frame += 9)
        EXPECT_NEAR(PointerAngle(strip, frame), PanelLayout::FrameAngle(frame), 0.5) << "frame " << frame;
    // The mask is ANDed with the panel and the image ORed on top: a white mask pixel
    // keeps the panel, so the image must add nothing there; a black one clears the
    // panel for the knob. Nothing in between, which would tint the panel.
    int lit = 0, grey = 0, knob = 0;
    for (int y = 0; y < strip.height; ++y) {
        for (int x = 0; x < strip.width; ++x) {
            const DWORD m = mask.At(x, y) & 0xFFFFFF;
            lit += m == 0xFFFFFF && (strip.At(x, y) & 0xFFFFFF) != 0;
            grey += m != 0 && m != 0xFFFFFF;
            knob += m == 0;
        }
    }
    EXPECT_EQ(lit, 0) << "image pixels lit outside the knob";
    EXPECT_EQ(grey, 0) << "mask pixels neither black nor white";
    EXPECT_GT(knob, kKnobFrameCount * 3000) << "a knob in every frame";
}
