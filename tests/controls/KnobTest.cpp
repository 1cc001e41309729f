// Knobs as real windows: dragged with mouse messages, the keys read from the system's
// key state, capture and focus as Windows keeps them, and the sprite frames they paint.
// A drag with the real pointer is tested with the program (DeviceLinkTests).
#include "tests/controls/ControlTestSupport.h"

#include "controls/GdiplusHeader.h"
#include "controls/GdiplusImages.h"

#include <initializer_list>
#include <memory>

namespace {

constexpr int kId = 21;

class KnobTest : public ControlTest {
  protected:
    // A press at (38, 38), then moves to each height, in the knob's coordinates.
    void DragThrough(std::initializer_list<int> heights) {
        SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
        for (int y : heights)
            SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, y, MK_LBUTTON);
    }
    Knob knob{&host, parent, TestInstance(), 200, 150, 255, kId}; // its window at (162, 112)
};

// The frames a knob paints are compared with the strip on the whole front panel
// (MainWindowTests); here the values, the highlight and the inactive state.
TEST_F(KnobTest, ValueFromTheProgramIsClampedShownAndNeverReported) {
    const struct {
        int value, shown, frame;
    } cases[] = {{300, 255, 126}, {-4, 0, 0}, {128, 128, 63}, {60, 60, 29}};
    for (const auto& c : cases) {
        knob.SetValue(c.value);
        EXPECT_EQ(knob.GetValue(), c.shown) << c.value;
        EXPECT_EQ(knob.CurrentFrame(), c.frame) << c.value;
    }
    EXPECT_TRUE(host.changes.empty());
    knob.SetHighlighted(true);
    const Pixels shot = Shot(knob.hwnd);
    for (int i = 0; i < 77; ++i)
        EXPECT_EQ(shot.At(i, 0) & shot.At(76, i), 0xFFFF00u) << "a yellow frame, " << i;
    EXPECT_FALSE(AllBackground(shot));
    knob.SetActive(false);
    EXPECT_TRUE(AllBackground(Shot(knob.hwnd))) << "an inactive knob paints nothing";
}

TEST_F(KnobTest, VerticalDragReadsTheKeysAtEveryMoveAndStopsAtTheEnds) {
    SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 400, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), knob.hwnd);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 390, MK_LBUTTON); // 10 of 177.5 pixels
    SendKey(VK_SHIFT, false);                                // the same distance counts four times less
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 389, MK_LBUTTON | MK_SHIFT);
    SendKey(VK_SHIFT, true);
    SendKey(VK_CONTROL, false);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 388, MK_LBUTTON | MK_CONTROL);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 300, MK_LBUTTON | MK_CONTROL); // past the top: the end again
    SendKey(VK_CONTROL, true);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 600, MK_LBUTTON); // past the bottom
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 650, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, 650);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 0); // after the release moves change nothing
    EXPECT_EQ(host.changes, (Changes{{kId, 14}, {kId, 3}, {kId, 68}, {kId, 255}, {kId, 0}, {kId, 0}}));
    EXPECT_NE(GetCapture(), knob.hwnd);
}

TEST_F(KnobTest, RightButtonOrEscapeDuringADragRestoresThePressValueOnce) {
    knob.SetValue(100);
    DragThrough({18, 38}); // back where it started: nothing to restore
    SendMouse(knob.hwnd, WM_RBUTTONDOWN, 38, 38, MK_LBUTTON | MK_RBUTTON);
    SendMouse(knob.hwnd, WM_RBUTTONUP, 38, 38, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, 38);
    DragThrough({8});
    SendMouse(knob.hwnd, WM_RBUTTONDOWN, 38, 8, MK_LBUTTON | MK_RBUTTON);
    EXPECT_NE(GetCapture(), knob.hwnd);
    // The drag is over: neither further moves nor the releases change anything.
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON | MK_RBUTTON);
    SendMouse(knob.hwnd, WM_RBUTTONUP, 38, -100, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, -100);
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty()) << "the right button never reaches the parent";
    // Escape from the keyboard reaches the knob through the focus it holds while dragged.
    ASSERT_EQ(GetFocus(), parent);
    DragThrough({0});
    EXPECT_EQ(GetFocus(), knob.hwnd);
    SendKey(VK_ESCAPE, false);
    SendKey(VK_ESCAPE, true);
    EXPECT_EQ(GetFocus(), parent) << "the focus goes back when the drag ends";
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, -50, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, -50);
    EXPECT_EQ(host.changes,
              (Changes{{kId, 128}, {kId, 100}, {kId, 143}, {kId, 100}, {kId, 154}, {kId, 100}}));
    EXPECT_TRUE(ParentGot(WM_KEYDOWN).empty());
}

TEST_F(KnobTest, CaptureLossEndsTheDragAndTakingTheCaptureAgainDoesNot) {
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 9, 9, parent, nullptr,
                                 nullptr, nullptr);
    DragThrough({0});
    SetCapture(other); // another window takes the mouse
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON);
    ReleaseCapture();
    // WM_CANCELMODE (a dialog coming up) ends the drag and gives the capture back.
    DragThrough({28});
    SendMessageW(knob.hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    // The right button holds the mouse; a left press takes the capture over and drags.
    SendMouse(knob.hwnd, WM_RBUTTONDOWN, 38, 38, MK_RBUTTON);
    EXPECT_EQ(GetCapture(), knob.hwnd);
    SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_RBUTTON | MK_LBUTTON);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 28, MK_RBUTTON | MK_LBUTTON);
    SendMouse(knob.hwnd, WM_LBUTTONUP, 38, 28, MK_RBUTTON);
    SendMouse(knob.hwnd, WM_RBUTTONUP, 38, 28);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(ParentGot(WM_RBUTTONUP).empty());
    EXPECT_EQ(host.changes, (Changes{{kId, 54}, {kId, 68}, {kId, 82}}));
}

TEST_F(KnobTest, SpritesRenderAFrameWhenFirstShownAsItLooksInTheWholeStrip) {
    KnobSprites* sprites = Knob::Sprites();
    Knob second(&host, parent, TestInstance(), 400, 150, 255, 22);
    const int renders = sprites->renderCount;
    knob.SetScale(1.0); // the current factor
    knob.SetScale(1.5);
    second.SetScale(1.5); // finds the strips done
    EXPECT_EQ(sprites->renderCount, renders + 1);
    EXPECT_EQ(Knob::FrameSize(), 100);
    EXPECT_EQ(Knob::WindowOrigin(200, 150).x, 200 - 50 - 5);
    const int frames = sprites->frameRenders;
    UpdateWindow(knob.hwnd);
    UpdateWindow(second.hwnd);
    EXPECT_EQ(sprites->frameRenders, frames + 1) << "frame 0, shown by both, is rendered once";
    for (double factor : {0.5, 1.25, 2.0}) {
        sprites->SetScale(factor);
        const int size = sprites->frameWidth;
        for (auto [source, handle] : {std::pair{sprites->image.get(), sprites->imageHandle},
                                      std::pair{sprites->mask.get(), sprites->maskHandle}}) {
            std::unique_ptr<Gdiplus::Bitmap> whole =
                RenderScaledBitmap(*source, 128 * size, size, 128.0 * size / 8576);
            HBITMAP wholeHandle = nullptr;
            ASSERT_EQ(whole->GetHBITMAP(Gdiplus::Color(0), &wholeHandle), Gdiplus::Ok);
            for (int frame : {0, 63, 125}) {
                ASSERT_TRUE(sprites->Prepare(frame));
                // GDI+ works in single precision from the corner of what it draws, so a
                // frame drawn on its own comes out a rounding step away in places.
                EXPECT_LT(MeanDifference(BitmapPixels(handle, frame * size, 0, size, size), 0, 0, size, size,
                                         BitmapPixels(wholeHandle, frame * size, 0, size, size), 0, 0, size,
                                         size),
                          0.25)
                    << "frame " << frame << " at " << factor;
            }
            DeleteObject(wholeHandle);
        }
    }
}

} // namespace
