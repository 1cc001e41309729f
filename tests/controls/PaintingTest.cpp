// What the controls put on the screen: their windows are painted on the virtual
// display over a coloured parent and read back pixel by pixel, then compared with the
// pixels of the resource bitmaps they draw from.
#include "tests/controls/ControlTestSupport.h"

#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"
#include "controls/SimplePanel.h"
#include "resources/ResourceIds.h"

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr COLORREF kBackground = RGB(0x30, 0x90, 0xC0);
constexpr int kFrame = 67;

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Where a mismatch was found, for the failure message; empty when the pictures agree.
struct Comparison {
    int mismatches = 0;
    std::string first;
};

void Note(Comparison& result, int x, int y, DWORD got, DWORD expected) {
    if (result.mismatches++ == 0) {
        std::ostringstream text;
        text << "first at (" << x << ", " << y << "): got " << std::hex << got << ", expected " << expected;
        result.first = text.str();
    }
}

class PaintingTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        static bool registered = false;
        if (!registered) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = PlainWindowProc;
            windowClass.hInstance = TestInstance();
            windowClass.hbrBackground = CreateSolidBrush(kBackground); // lives as long as the class
            windowClass.lpszClassName = L"TAVRENPAINTPARENT";
            RegisterClassW(&windowClass);
            registered = true;
        }
        // Kept for the whole program, like the parent of the other tests, and beside it
        // on the screen so that neither covers the other.
        static HWND shared = CreateWindowExW(0, L"TAVRENPAINTPARENT", L"", WS_POPUP | WS_VISIBLE, 1000, 0,
                                             640, 480, nullptr, nullptr, TestInstance(), nullptr);
        canvas = shared;
        ASSERT_NE(canvas, nullptr);
        strip = LoadBitmapPixels(IDB_KNOB_STRIP);
        mask = LoadBitmapPixels(IDB_KNOB_MASK);
        ASSERT_EQ(strip.width, 128 * kFrame);
        ASSERT_EQ(mask.width, 128 * kFrame);
    }
    void TearDown() override {
        DestroyChildren(canvas);
        ControlTest::TearDown();
    }

    // Repaints the canvas and all its controls now, as after an uncovering.
    void Repaint() {
        RedrawWindow(canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages();
    }

    // A knob's window against frame `frame` of the strip: the mask blackens the knob's
    // pixels of the background, the image is added to them, with the frame's top-left
    // at (4, 5) of the 77-pixel window; the background shows everywhere else.
    Comparison CompareKnob(const Pixels& shot, int frame) const {
        Comparison result;
        DWORD background = Rgb(kBackground);
        for (int y = 0; y < shot.height; ++y) {
            for (int x = 0; x < shot.width; ++x) {
                int fx = x - 4;
                int fy = y - 5;
                DWORD expected = background;
                if (fx >= 0 && fx < kFrame && fy >= 0 && fy < kFrame)
                    expected =
                        (background & mask.At(frame * kFrame + fx, fy)) | strip.At(frame * kFrame + fx, fy);
                if (shot.At(x, y) != expected)
                    Note(result, x, y, shot.At(x, y), expected);
            }
        }
        return result;
    }

    static Comparison CompareWhole(const Pixels& shot, const Pixels& expected) {
        Comparison result;
        if (shot.width != expected.width || shot.height != expected.height) {
            result.mismatches = -1;
            result.first = "sizes differ";
            return result;
        }
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (shot.At(x, y) != expected.At(x, y))
                    Note(result, x, y, shot.At(x, y), expected.At(x, y));
        return result;
    }

    static bool AllBackground(const Pixels& shot) {
        for (DWORD pixel : shot.data)
            if (pixel != Rgb(kBackground))
                return false;
        return !shot.data.empty();
    }

    HWND canvas = nullptr;
    Pixels strip;
    Pixels mask;
};

TEST_F(PaintingTest, KnobShowsTheFrameOfItsValue) {
    Knob knob(&host, canvas, TestInstance(), 100, 100, 255, 3);
    struct Case {
        int value, frame;
    } cases[] = {{0, 0}, {128, 63}, {60, 29}, {200, 98}};
    for (const Case& c : cases) {
        knob.SetValue(c.value);
        Repaint();
        Pixels shot = CaptureClient(knob.hwnd);
        ASSERT_EQ(shot.width, 77);
        ASSERT_EQ(shot.height, 77);
        Comparison result = CompareKnob(shot, c.frame);
        EXPECT_EQ(result.mismatches, 0) << "value " << c.value << ": " << result.first;
        // And it is not the picture of a neighbouring frame far away.
        if (c.frame != 126) {
            EXPECT_GT(CompareKnob(shot, 126).mismatches, 0) << "value " << c.value;
        }
    }
    // Dragged to the top, only the knob's own window is repainted.
    SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 200, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 200 - 178, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, 22);
    UpdateWindow(knob.hwnd);
    Comparison result = CompareKnob(CaptureClient(knob.hwnd), 126);
    EXPECT_EQ(result.mismatches, 0) << result.first;
}

TEST_F(PaintingTest, HighlightedKnobHasAYellowFrameAndInactiveControlsPaintNothing) {
    Knob knob(&host, canvas, TestInstance(), 100, 100, 255, 3);
    ImageToggle slide(&host, canvas, TestInstance(), 300, 50, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 4);
    knob.SetValue(200);
    knob.SetHighlighted(true);
    Repaint();
    Pixels shot = CaptureClient(knob.hwnd);
    for (int i = 0; i < 77; ++i) {
        EXPECT_EQ(shot.At(i, 0), 0xFFFF00u) << i;
        EXPECT_EQ(shot.At(0, i), 0xFFFF00u) << i;
        EXPECT_EQ(shot.At(76, 76 - i), 0xFFFF00u) << i;
    }
    EXPECT_EQ(shot.At(1, 1), Rgb(kBackground));
    knob.SetActive(false);
    slide.SetActive(false);
    Repaint();
    EXPECT_TRUE(AllBackground(CaptureClient(knob.hwnd)));
    EXPECT_TRUE(AllBackground(CaptureClient(slide.hwnd)));
    knob.SetActive(true);
    knob.SetHighlighted(false);
    Repaint();
    EXPECT_EQ(CompareKnob(CaptureClient(knob.hwnd), 98).mismatches, 0);
}

TEST_F(PaintingTest, SimplePanelShowsItsBlackBackground) {
    SimplePanel panel(&host, canvas, TestInstance(), RECT{10, 20, 110, 70});
    Repaint();
    Pixels shot = CaptureClient(panel.hwnd);
    ASSERT_EQ(shot.width, 100);
    ASSERT_EQ(shot.height, 50);
    for (DWORD pixel : shot.data)
        ASSERT_EQ(pixel, 0u);
}

TEST_F(PaintingTest, SwitchesShowTheBitmapOfEachPosition) {
    ImageToggle slide(&host, canvas, TestInstance(), 300, 50, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 4);
    ImageToggle button(&host, canvas, TestInstance(), 340, 50, IDB_BANK3_OFF, IDB_BANK3_ON, true, 1202);
    ImageToggle3State three(&host, canvas, TestInstance(), 400, 50, 5);
    ImageToggle4State four(&host, canvas, TestInstance(), 440, 50, 6);
    struct Case {
        ImageToggleBase* toggle;
        int value;
        int resource;
    } cases[] = {
        {&slide, 0, IDB_SWITCH_DOWN},       {&slide, 1, IDB_SWITCH_UP},         {&slide, 2, IDB_SWITCH_UP},
        {&button, 0, IDB_BANK3_OFF},        {&button, 1, IDB_BANK3_ON},         {&three, 0, IDB_LEVER_BOTTOM},
        {&three, 1, IDB_LEVER_MIDDLE},      {&three, 2, IDB_LEVER_TOP},         {&four, 0, IDB_LEVER_BOTTOM},
        {&four, 1, IDB_LEVER_LOWER_MIDDLE}, {&four, 2, IDB_LEVER_UPPER_MIDDLE}, {&four, 3, IDB_LEVER_TOP},
    };
    for (const Case& c : cases) {
        c.toggle->SetValue(c.value);
        Repaint();
        Pixels expected = LoadBitmapPixels(c.resource);
        ASSERT_GT(expected.width, 0) << c.resource;
        Comparison result = CompareWhole(CaptureClient(c.toggle->hwnd), expected);
        EXPECT_EQ(result.mismatches, 0) << "bitmap " << c.resource << ": " << result.first;
    }
    // The lever pictures differ, so the comparisons tell the positions apart.
    EXPECT_NE(CompareWhole(LoadBitmapPixels(IDB_LEVER_TOP), LoadBitmapPixels(IDB_LEVER_BOTTOM)).mismatches,
              0);

    // A position the toggle does not have draws nothing.
    four.SetValue(4);
    three.SetValue(-1);
    Repaint();
    EXPECT_TRUE(AllBackground(CaptureClient(four.hwnd)));
    EXPECT_TRUE(AllBackground(CaptureClient(three.hwnd)));
}

TEST_F(PaintingTest, ScaledArtIsDrawnAtTheNewSize) {
    ImageToggle4State four(&host, canvas, TestInstance(), 440, 50, 6);
    four.SetValue(3);
    four.SetScale(2.0);
    MoveWindow(four.hwnd, 440, 50, four.imageWidth, four.imageHeight, FALSE); // as its parameter does
    Knob knob(&host, canvas, TestInstance(), 100, 100, 255, 3);
    knob.SetValue(255);
    knob.SetScale(1.5);
    POINT origin = Knob::WindowOrigin(150, 150);
    int side = Knob::FrameSize() + 10;
    MoveWindow(knob.hwnd, origin.x, origin.y, side, side, FALSE);
    Repaint();

    Pixels lever = CaptureClient(four.hwnd);
    ASSERT_EQ(lever.width, 48);
    ASSERT_EQ(lever.height, 150);
    Pixels top = LoadBitmapPixels(IDB_LEVER_TOP);
    EXPECT_LT(MeanDifference(lever, 0, 0, 48, 150, top, 0, 0, 24, 75), 12.0);
    EXPECT_GT(MeanDifference(lever, 0, 0, 48, 150, LoadBitmapPixels(IDB_LEVER_BOTTOM), 0, 0, 24, 75), 12.0);

    // The 100-pixel frame 126 sits at (110 / 2 - 50 - 1, 110 / 2 - 50) = (4, 5); inside its
    // circle the mask blackened the background, so the image alone shows there.
    Pixels shot = CaptureClient(knob.hwnd);
    ASSERT_EQ(shot.width, 110);
    KnobSprites* sprites = Knob::Sprites();
    ASSERT_EQ(sprites->frameWidth, 100);
    EXPECT_LT(MeanDifference(shot, 4 + 20, 5 + 20, 60, 60, strip, 126 * kFrame + 13, 13, 40, 40), 12.0);
    EXPECT_GT(MeanDifference(shot, 4 + 20, 5 + 20, 60, 60, strip, 0 * kFrame + 13, 13, 40, 40), 3.0);
}

} // namespace
