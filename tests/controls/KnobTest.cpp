// Knobs as real windows: values chosen by dragging with real mouse messages, the
// keys read from the system's key state, capture and focus as Windows keeps them.
#include "tests/controls/ControlTestSupport.h"

#include "app/Settings.h"
#include "controls/GdiplusImages.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"

#include "controls/GdiplusHeader.h"

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Changes = std::vector<std::pair<int, int>>;

constexpr int kId = 21;

class KnobTest : public ControlTest {
  protected:
    // A 0..255 knob centred on (200, 150): its window spans (162, 112) to (239, 189).
    std::unique_ptr<Knob> MakeKnob(int maximum = 255, int id = kId) {
        return std::make_unique<Knob>(&host, parentWindow, TestInstance(), 200, 150, maximum, id);
    }
    // A press at (38, 38), then moves to each height, in the knob's coordinates.
    void DragThrough(Knob& knob, std::initializer_list<int> heights) {
        SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
        for (int y : heights)
            SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, y, MK_LBUTTON);
    }
};

TEST_F(KnobTest, ValueFromTheProgramIsClampedShownAndNeverReported) {
    auto knob = MakeKnob();
    EXPECT_EQ(RectInParent(knob->hwnd).left, 200 - 33 - 5);
    UpdateWindow(knob->hwnd);
    const struct { int value, shown, frame; } cases[] = {{300, 255, 126}, {-4, 0, 0}, {128, 128, 63}};
    for (const auto& c : cases) {
        knob->SetValue(c.value);
        EXPECT_EQ(knob->GetValue(), c.shown) << c.value;
        EXPECT_EQ(knob->CurrentFrame(), c.frame) << c.value;
    }
    EXPECT_TRUE(GetUpdateRect(knob->hwnd, nullptr, FALSE));
    PumpMessages();
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(KnobTest, VerticalDragReadsTheKeysAtEveryMoveAndStopsAtTheEnds) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 400, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), knob->hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone changes nothing";
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 390, MK_LBUTTON); // 10 of 177.5 pixels
    PressKey(VK_SHIFT);                                       // the same distance counts four times less
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 389, MK_LBUTTON | MK_SHIFT);
    ReleaseKey(VK_SHIFT);
    PressKey(VK_CONTROL);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 388, MK_LBUTTON | MK_CONTROL);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 300, MK_LBUTTON | MK_CONTROL); // past the top: the end again
    ReleaseKey(VK_CONTROL);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 600, MK_LBUTTON); // past the bottom
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 650, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 650);
    EXPECT_NE(GetCapture(), knob->hwnd);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0); // after the release moves change nothing
    EXPECT_EQ(host.changes, (Changes{{kId, 14}, {kId, 3}, {kId, 68}, {kId, 255}, {kId, 0}, {kId, 0}}));
    EXPECT_EQ(knob->GetValue(), 0);
}

TEST_F(KnobTest, RotaryModePointsAtTheValueAndTheModeIsReadAtEveryMove) {
    GetSettings().KnobMode = 1;
    auto knob = MakeKnob();
    // The press arms the drag wherever it lands; only the pointer's angle counts.
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 70, 70, MK_LBUTTON);
    const struct {
        int x, y, mode, value;
    } moves[] = {{38, 0, 1, 130}, {38, -300, 1, 130}, {30, 76, 1, 0}, {46, 76, 1, 255},
                 {0, 38, 1, 52},  {0, 28, 0, 60},     {0, 27, 7, 61}, {0, 38, 1, 52}};
    for (const auto& m : moves) {
        GetSettings().KnobMode = m.mode; // anything but 1 drags vertically, from the press
        SendMouse(knob->hwnd, WM_MOUSEMOVE, m.x, m.y, MK_LBUTTON);
        EXPECT_EQ(knob->GetValue(), m.value) << m.x << ", " << m.y << " in mode " << m.mode;
    }
    SendMouse(knob->hwnd, WM_LBUTTONUP, 0, 38);
}

TEST_F(KnobTest, RightButtonDuringADragRestoresThePressValueOnce) {
    auto knob = MakeKnob();
    knob->SetValue(100);
    DragThrough(*knob, {18, 38}); // back where it started: nothing to restore
    host.changes.clear();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 38, MK_LBUTTON | MK_RBUTTON);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_FALSE(knob->dragging);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 38);

    DragThrough(*knob, {18, 8});
    ASSERT_EQ(knob->GetValue(), 143);
    host.changes.clear();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 8, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(knob->GetValue(), 100);
    EXPECT_FALSE(knob->dragging);
    EXPECT_NE(GetCapture(), knob->hwnd);
    // The drag is over: neither further moves nor the releases change anything.
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON | MK_RBUTTON);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 38, -100, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, -100);
    EXPECT_EQ(host.changes, (Changes{{kId, 100}}));
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty()) << "the right button never reaches the parent";
}

TEST_F(KnobTest, EscapeFromTheKeyboardCancelsADragThroughTheFocus) {
    auto knob = MakeKnob();
    knob->SetValue(10);
    ASSERT_EQ(GetFocus(), parentWindow);
    EXPECT_EQ(SendMessageW(knob->hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0) << "outside a drag it does nothing";
    DragThrough(*knob, {0});
    EXPECT_EQ(GetFocus(), knob->hwnd) << "the knob takes the focus while it is dragged";
    SendMessageW(knob->hwnd, WM_KEYDOWN, 'A', 0); // other keys do nothing
    EXPECT_TRUE(knob->dragging);
    PressKey(VK_ESCAPE);
    ReleaseKey(VK_ESCAPE);
    EXPECT_FALSE(knob->dragging);
    EXPECT_NE(GetCapture(), knob->hwnd);
    EXPECT_EQ(GetFocus(), parentWindow) << "the focus goes back when the drag ends";
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -50, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, -50);
    EXPECT_EQ(knob->GetValue(), 10);
    EXPECT_EQ(host.changes, (Changes{{kId, 64}, {kId, 10}}));
    EXPECT_TRUE(ParentGot(WM_KEYDOWN).empty());
}

TEST_F(KnobTest, LosingTheCaptureEndsTheDragWithoutReverting) {
    auto knob = MakeKnob();
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 400, 400, 20, 20, parentWindow,
                                 nullptr, TestInstance(), nullptr);
    DragThrough(*knob, {0});
    SetCapture(other); // another window takes the mouse
    EXPECT_FALSE(knob->dragging);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 54);
    ReleaseCapture();

    // WM_CANCELMODE (a dialog coming up) ends the drag and gives the capture back.
    DragThrough(*knob, {28});
    ASSERT_EQ(GetCapture(), knob->hwnd);
    SendMessageW(knob->hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(knob->dragging);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(host.changes, (Changes{{kId, 54}, {kId, 68}}));
    DestroyWindow(other);
}

TEST_F(KnobTest, RightButtonOutsideADragHoldsTheMouseAndALeftPressStillDrags) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 10, 20); // no drag: the move goes to the parent
    auto moves = ParentGot(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].lParam).x, 162 + 10);
    EXPECT_EQ(PointOf(moves[0].lParam).y, 112 + 20);

    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 38, MK_RBUTTON);
    EXPECT_TRUE(knob->rightCaptured);
    EXPECT_EQ(GetCapture(), knob->hwnd);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_RBUTTON | MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_RBUTTON | MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 0, MK_RBUTTON);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 38, 0);
    EXPECT_FALSE(knob->rightCaptured);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty());
    EXPECT_TRUE(ParentGot(WM_RBUTTONUP).empty());
    EXPECT_EQ(host.changes, (Changes{{kId, 54}}));
}

TEST_F(KnobTest, RealPointerDragWithSystemInput) {
    auto knob = MakeKnob(5, 44);          // 10.5 pixels a step
    MoveCursorTo(parentWindow, 200, 150); // the knob's centre
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return knob->dragging; }, 2000));
    MoveCursorTo(parentWindow, 200, 120);
    PumpUntil([&] { return knob->GetValue() != 0; }, 2000);
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(INPUT));
    PumpUntil([&] { return !knob->dragging; }, 2000);
    EXPECT_EQ(knob->GetValue(), 2); // trunc(30 / 10.5)
    EXPECT_EQ(host.changes.back(), std::make_pair(44, 2));
    EXPECT_EQ(knob->CurrentFrame(), 50);
}

// One frame of a strip, read back.
Pixels FramePixels(HBITMAP strip, int frame, int size) {
    HDC screen = GetDC(nullptr);
    HDC holder = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(holder, strip);
    Pixels pixels;
    pixels.width = pixels.height = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.data.push_back(Rgb(GetPixel(holder, frame * size + x, y)));
    SelectObject(holder, previous);
    DeleteDC(holder);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(KnobTest, SharedSpritesTakeANewFactorOnceAndRenderOnlyTheFramesShown) {
    KnobSprites* sprites = Knob::Sprites();
    ASSERT_NE(sprites, nullptr);
    ASSERT_NE(sprites->imageHandle, nullptr) << "bitmap 136 did not load";
    auto first = MakeKnob();
    auto second = MakeKnob(127, 22);
    const int renders = sprites->renderCount;
    first->SetScale(1.0); // the current factor
    EXPECT_EQ(sprites->renderCount, renders);
    first->SetScale(1.5);
    second->SetScale(1.5); // finds the strips done
    EXPECT_EQ(sprites->renderCount, renders + 1);
    EXPECT_EQ(Knob::FrameSize(), 100);
    EXPECT_EQ(Knob::WindowOrigin(200, 150).x, 200 - 50 - 5);

    // Both knobs show frame 0: it is rendered once, when the first of them paints.
    const int frames = sprites->frameRenders;
    UpdateWindow(first->hwnd);
    UpdateWindow(second->hwnd);
    EXPECT_EQ(sprites->frameRenders, frames + 1);
    first->SetScale(1.0);
    EXPECT_EQ(sprites->renderCount, renders + 2);
    EXPECT_EQ(sprites->frameWidth, 67);
}

TEST_F(KnobTest, AFrameRenderedWhenShownLooksAsInTheWholeStrip) {
    KnobSprites* sprites = Knob::Sprites();
    ASSERT_NE(sprites, nullptr);
    for (double factor : {0.5, 1.25, 2.0}) {
        sprites->SetScale(factor);
        const int size = sprites->frameWidth;
        const double ratio = 128.0 * size / 8576;
        for (auto [source, strip] : {std::pair{sprites->image.get(), sprites->imageHandle},
                                     std::pair{sprites->mask.get(), sprites->maskHandle}}) {
            std::unique_ptr<Gdiplus::Bitmap> whole = RenderScaledBitmap(*source, 128 * size, size, ratio);
            HBITMAP wholeHandle = nullptr;
            ASSERT_EQ(whole->GetHBITMAP(Gdiplus::Color(0), &wholeHandle), Gdiplus::Ok);
            for (int frame : {0, 63, 125}) {
                ASSERT_TRUE(sprites->Prepare(frame));
                // GDI+ works in single precision from the corner of what it draws, so a
                // frame drawn on its own comes out a rounding step away in places.
                const Pixels alone = FramePixels(strip, frame, size);
                const Pixels inStrip = FramePixels(wholeHandle, frame, size);
                EXPECT_LT(MeanDifference(alone, 0, 0, size, size, inStrip, 0, 0, size, size), 0.25)
                    << "frame " << frame << " at " << factor;
            }
            DeleteObject(wholeHandle);
        }
    }
    sprites->SetScale(1.0);
}

} // namespace
