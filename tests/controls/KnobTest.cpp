// Knobs as real windows: values chosen by dragging with real mouse messages, the
// keys read from the system's key state, capture and focus as Windows keeps them.
#include "tests/controls/ControlTestSupport.h"

#include "app/Settings.h"
#include "controls/GdiplusImages.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"

#include "controls/GdiplusHeader.h"

#include <algorithm>
#include <cstdlib>
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
};

TEST_F(KnobTest, WindowIsASquareAroundItsCentre) {
    auto knob = MakeKnob();
    ASSERT_NE(knob->hwnd, nullptr);
    wchar_t name[32];
    GetClassNameW(knob->hwnd, name, 32);
    EXPECT_STREQ(name, L"KNOB");
    EXPECT_EQ(GetParent(knob->hwnd), parentWindow);
    RECT area = RectInParent(knob->hwnd);
    EXPECT_EQ(area.left, 200 - 33 - 5);
    EXPECT_EQ(area.top, 150 - 33 - 5);
    EXPECT_EQ(area.right - area.left, 77);
    EXPECT_EQ(area.bottom - area.top, 77);
    EXPECT_EQ(knob->GetValue(), 0);
    EXPECT_EQ(knob->GetUnits(), 1);
    EXPECT_EQ(knob->controlId, kId);
    EXPECT_TRUE(knob->active);
    EXPECT_FALSE(knob->highlighted);
}

TEST_F(KnobTest, FrameFollowsTheValue) {
    auto knob = MakeKnob();
    knob->SetValue(255);
    EXPECT_EQ(knob->CurrentFrame(), 126);
    knob->SetValue(0);
    EXPECT_EQ(knob->CurrentFrame(), 0);
    knob->SetValue(128);
    EXPECT_EQ(knob->CurrentFrame(), 63);
}

TEST_F(KnobTest, ValueFromTheProgramIsClampedRepaintedAndNeverReported) {
    auto knob = MakeKnob();
    UpdateWindow(knob->hwnd);
    knob->SetValue(300);
    EXPECT_EQ(knob->GetValue(), 255);
    EXPECT_TRUE(GetUpdateRect(knob->hwnd, nullptr, FALSE));
    UpdateWindow(knob->hwnd);
    knob->SetValue(-4);
    EXPECT_EQ(knob->GetValue(), 0);
    knob->SetValue(77);
    EXPECT_EQ(knob->GetValue(), 77);
    PumpMessages();
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(KnobTest, VerticalDragCovers255In177AndAHalfPixels) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 300, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), knob->hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone changes nothing";
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 300 - 177, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 254);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 300 - 178, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 255);
    // On past the end: each move that points beyond it reports the end again.
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 300 - 200, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 300 - 260, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 40);
    EXPECT_EQ(knob->GetValue(), 255);
    EXPECT_NE(GetCapture(), knob->hwnd);
    EXPECT_EQ(host.changes, (Changes{{kId, 254}, {kId, 255}, {kId, 255}, {kId, 255}}));
    // After the release, moves no longer change the value.
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 600);
    EXPECT_EQ(knob->GetValue(), 255);
    EXPECT_EQ(host.changes.size(), 4u);
}

TEST_F(KnobTest, DraggingDownFromTheTopStopsAtZeroAndSidewaysMovesReportNothing) {
    auto knob = MakeKnob();
    knob->SetValue(255);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 60, 10, MK_LBUTTON); // sideways: no step
    EXPECT_TRUE(host.changes.empty());
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 10, 10 + 177, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 10, 10 + 178, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 10, 10 + 178, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 10, 188);
    EXPECT_EQ(host.changes, (Changes{{kId, 1}, {kId, 0}}));
}

TEST_F(KnobTest, ShiftIsFinerAndCtrlCoarserReadAtEveryMove) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 400, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 390, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 14); // 10 pixels of 177.5 for the whole range

    PressKey(VK_SHIFT); // the same distance now counts four times less
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 389, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(knob->GetValue(), 3); // 11 of 710
    ReleaseKey(VK_SHIFT);

    PressKey(VK_CONTROL);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 388, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(knob->GetValue(), 68); // 12 of 44.375
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 400 - 45, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(knob->GetValue(), 255);
    ReleaseKey(VK_CONTROL);

    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 390, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 14);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 390);
    EXPECT_EQ(host.changes, (Changes{{kId, 14}, {kId, 3}, {kId, 68}, {kId, 255}, {kId, 14}}));
}

TEST_F(KnobTest, RotaryModePointsAtTheValue) {
    GetSettings().KnobMode = 1;
    auto knob = MakeKnob();
    // The press arms the drag wherever it lands; only the pointer's angle counts.
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 70, 70, MK_LBUTTON);
    EXPECT_TRUE(host.changes.empty());
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON); // straight up
    EXPECT_EQ(knob->GetValue(), 130);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -300, MK_LBUTTON); // further out, same angle
    EXPECT_EQ(knob->GetValue(), 130);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 30, 76, MK_LBUTTON); // dead zone, left of straight down
    EXPECT_EQ(knob->GetValue(), 0);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 46, 76, MK_LBUTTON); // dead zone, right of it
    EXPECT_EQ(knob->GetValue(), 255);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 0, 38, MK_LBUTTON); // due left: 60 of 295.3 degrees
    EXPECT_EQ(knob->GetValue(), 52);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 0, 38);
    EXPECT_EQ(host.changes, (Changes{{kId, 130}, {kId, 0}, {kId, 255}, {kId, 52}}));
}

TEST_F(KnobTest, ModeIsReadAtEveryMove) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 28, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 14);
    GetSettings().KnobMode = 1;
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 27, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 130);
    GetSettings().KnobMode = 7; // anything but 1 drags vertically
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 27, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 15);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 27);
}

TEST_F(KnobTest, RightButtonDuringADragRestoresThePressValueOnce) {
    auto knob = MakeKnob();
    knob->SetValue(100);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 18, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 8, MK_LBUTTON);
    ASSERT_EQ(knob->GetValue(), 143);
    host.changes.clear();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 8, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(knob->GetValue(), 100);
    EXPECT_EQ(host.changes, (Changes{{kId, 100}}));
    EXPECT_FALSE(knob->dragging);
    EXPECT_NE(GetCapture(), knob->hwnd);
    // The drag is over: neither further moves nor the releases change anything.
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON | MK_RBUTTON);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 38, -100, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, -100);
    EXPECT_EQ(knob->GetValue(), 100);
    EXPECT_EQ(host.changes.size(), 1u);
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty()) << "the right button never reaches the parent";
}

TEST_F(KnobTest, RightButtonWithoutChangeReportsNothing) {
    auto knob = MakeKnob();
    knob->SetValue(100);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 18, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 38, MK_LBUTTON); // back where it started
    host.changes.clear();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 38, MK_LBUTTON | MK_RBUTTON);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_FALSE(knob->dragging);
}

TEST_F(KnobTest, EscapeFromTheKeyboardCancelsADragThroughTheFocus) {
    auto knob = MakeKnob();
    knob->SetValue(10);
    ASSERT_EQ(GetFocus(), parentWindow);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    EXPECT_EQ(GetFocus(), knob->hwnd) << "the knob takes the focus while it is dragged";
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    ASSERT_EQ(knob->GetValue(), 64);
    host.changes.clear();

    PressKey(VK_ESCAPE);
    ReleaseKey(VK_ESCAPE);
    EXPECT_EQ(knob->GetValue(), 10);
    EXPECT_EQ(host.changes, (Changes{{kId, 10}}));
    EXPECT_FALSE(knob->dragging);
    EXPECT_NE(GetCapture(), knob->hwnd);
    EXPECT_EQ(GetFocus(), parentWindow) << "the focus goes back when the drag ends";
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -50, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, -50);
    EXPECT_EQ(knob->GetValue(), 10);
    EXPECT_EQ(host.changes.size(), 1u);
}

TEST_F(KnobTest, OtherKeysAndEscapeOutsideADragDoNothing) {
    auto knob = MakeKnob();
    knob->SetValue(10);
    EXPECT_EQ(SendMessageW(knob->hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    SendMessageW(knob->hwnd, WM_KEYDOWN, 'A', 0);
    SendMessageW(knob->hwnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(knob->dragging);
    EXPECT_EQ(knob->GetValue(), 64);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 0);
    EXPECT_EQ(GetFocus(), parentWindow);
    EXPECT_TRUE(ParentGot(WM_KEYDOWN).empty());
    EXPECT_EQ(host.changes, (Changes{{kId, 64}}));
}

TEST_F(KnobTest, LeftReleaseKeepsTheDraggedValue) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 0);
    EXPECT_EQ(knob->GetValue(), 54);
    EXPECT_EQ(host.changes, (Changes{{kId, 54}}));
    EXPECT_FALSE(knob->dragging);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(KnobTest, LosingTheCaptureEndsTheDragWithoutReverting) {
    auto knob = MakeKnob();
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 400, 400, 20, 20, parentWindow,
                                 nullptr, TestInstance(), nullptr);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    SetCapture(other); // another window takes the mouse
    EXPECT_FALSE(knob->dragging);
    EXPECT_EQ(knob->GetValue(), 54);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 54);
    EXPECT_EQ(host.changes, (Changes{{kId, 54}}));
    ReleaseCapture();

    // WM_CANCELMODE (a dialog coming up) ends the drag and gives the capture back.
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 28, MK_LBUTTON);
    ASSERT_EQ(GetCapture(), knob->hwnd);
    SendMessageW(knob->hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(knob->dragging);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(knob->GetValue(), 68);
    EXPECT_EQ(host.changes, (Changes{{kId, 54}, {kId, 68}}));
    DestroyWindow(other);
}

TEST_F(KnobTest, RightButtonOutsideADragHoldsTheMouseUntilReleased) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 5, 5, MK_RBUTTON);
    EXPECT_TRUE(knob->rightCaptured);
    EXPECT_EQ(GetCapture(), knob->hwnd);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 5, 5);
    EXPECT_FALSE(knob->rightCaptured);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty());
    EXPECT_TRUE(ParentGot(WM_RBUTTONUP).empty());
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(KnobTest, LeftPressWhileTheRightButtonHoldsTheMouseStillDrags) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_RBUTTONDOWN, 38, 38, MK_RBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_RBUTTON | MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_RBUTTON | MK_LBUTTON);
    EXPECT_EQ(knob->GetValue(), 54);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 0, MK_RBUTTON);
    SendMouse(knob->hwnd, WM_RBUTTONUP, 38, 0);
    EXPECT_EQ(host.changes, (Changes{{kId, 54}}));
}

TEST_F(KnobTest, MovesWithoutADragGoToTheParent) {
    auto knob = MakeKnob();
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 10, 20);
    auto moves = ParentGot(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].lParam).x, 162 + 10);
    EXPECT_EQ(PointOf(moves[0].lParam).y, 112 + 20);
    EXPECT_EQ(knob->GetValue(), 0);
}

TEST_F(KnobTest, RealPointerDragWithSystemInput) {
    auto knob = MakeKnob();
    MoveCursorTo(parentWindow, 200, 150); // the knob's centre
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input[0], sizeof(INPUT));
    PumpUntil([&] { return knob->dragging; }, 2000);
    ASSERT_TRUE(knob->dragging);
    MoveCursorTo(parentWindow, 200, 120);
    PumpUntil([&] { return knob->GetValue() != 0; }, 2000);
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input[1], sizeof(INPUT));
    PumpUntil([&] { return !knob->dragging; }, 2000);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.y, ScreenPoint(parentWindow, 200, 120).y);
    EXPECT_EQ(knob->GetValue(), 43); // trunc(30 / (177.5 / 255))
    EXPECT_EQ(host.changes.back(), std::make_pair(kId, 43));
    EXPECT_FALSE(knob->dragging);
}

TEST_F(KnobTest, SmallRangeKnob) {
    auto knob = MakeKnob(5, 44);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 100, MK_LBUTTON);
    for (int y = 99; y >= 20; --y)
        SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, y, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 20);
    // 52.5 pixels for the range, 10.5 per step; on past the end the 5 is repeated.
    ASSERT_GE(host.changes.size(), 5u);
    Changes firstFive(host.changes.begin(), host.changes.begin() + 5);
    EXPECT_EQ(firstFive, (Changes{{44, 1}, {44, 2}, {44, 3}, {44, 4}, {44, 5}}));
    for (size_t i = 5; i < host.changes.size(); ++i)
        EXPECT_EQ(host.changes[i], std::make_pair(44, 5));
    EXPECT_EQ(knob->CurrentFrame(), 126);
}

// The width of a GDI bitmap.
int WidthOf(HBITMAP bitmap) {
    BITMAP shape = {};
    GetObjectW(bitmap, sizeof shape, &shape);
    return shape.bmWidth;
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

// The largest difference of one channel between two pictures of the same size.
int LargestDifference(const Pixels& a, const Pixels& b) {
    int largest = 0;
    for (size_t i = 0; i < a.data.size(); ++i)
        for (int shift : {0, 8, 16})
            largest = std::max(largest, std::abs(static_cast<int>((a.data[i] >> shift) & 0xFF) -
                                                 static_cast<int>((b.data[i] >> shift) & 0xFF)));
    return largest;
}

TEST_F(KnobTest, SharedSpritesTakeANewFactorOnceAndRenderOnlyTheFramesShown) {
    KnobSprites* sprites = Knob::Sprites();
    ASSERT_NE(sprites, nullptr);
    ASSERT_NE(sprites->imageHandle, nullptr) << "bitmap 136 did not load";
    ASSERT_NE(sprites->maskHandle, nullptr) << "bitmap 137 did not load";
    auto first = MakeKnob();
    auto second = MakeKnob(127, 22);
    int renders = sprites->renderCount;

    first->SetScale(1.0); // the current factor
    EXPECT_EQ(sprites->renderCount, renders);

    first->SetScale(1.5);
    EXPECT_EQ(sprites->renderCount, renders + 1);
    second->SetScale(1.5); // finds the strips done
    EXPECT_EQ(sprites->renderCount, renders + 1);
    EXPECT_EQ(sprites->frameWidth, 100);
    EXPECT_NEAR(sprites->frameHeight, 100, 1);
    EXPECT_EQ(WidthOf(sprites->imageHandle), 12800);
    EXPECT_EQ(WidthOf(sprites->maskHandle), 12800);
    EXPECT_EQ(Knob::FrameSize(), 100);
    POINT origin = Knob::WindowOrigin(200, 150);
    EXPECT_EQ(origin.x, 200 - 50 - 5);

    // Both knobs show frame 0: it is rendered once, when the first of them paints.
    const int frames = sprites->frameRenders;
    UpdateWindow(first->hwnd);
    UpdateWindow(second->hwnd);
    EXPECT_EQ(sprites->frameRenders, frames + 1);

    second->SetScale(0.5);
    EXPECT_EQ(sprites->renderCount, renders + 2);
    EXPECT_EQ(sprites->frameWidth, 33);
    first->SetScale(1.0);
    EXPECT_EQ(sprites->renderCount, renders + 3);
    EXPECT_EQ(sprites->frameWidth, 67);
    EXPECT_EQ(sprites->frameHeight, 67);
    EXPECT_EQ(WidthOf(sprites->imageHandle), 8576);
}

TEST_F(KnobTest, AFrameRenderedWhenShownLooksAsInTheWholeStrip) {
    KnobSprites* sprites = Knob::Sprites();
    ASSERT_NE(sprites, nullptr);
    for (double factor : {0.5, 0.75, 1.25, 2.0}) {
        sprites->SetScale(factor);
        const int size = sprites->frameWidth;
        const double ratio = 128.0 * size / 8576;
        for (auto [source, strip] : {std::pair{sprites->image.get(), sprites->imageHandle},
                                     std::pair{sprites->mask.get(), sprites->maskHandle}}) {
            std::unique_ptr<Gdiplus::Bitmap> whole = RenderScaledBitmap(*source, 128 * size, size, ratio);
            HBITMAP wholeHandle = nullptr;
            ASSERT_EQ(whole->GetHBITMAP(Gdiplus::Color(0), &wholeHandle), Gdiplus::Ok);
            for (int frame : {0, 1, 63, 125}) {
                ASSERT_TRUE(sprites->Prepare(frame));
                // GDI+ works in single precision from the corner of what it draws, so a
                // frame drawn on its own comes out a rounding step away in places.
                const Pixels alone = FramePixels(strip, frame, size);
                const Pixels inStrip = FramePixels(wholeHandle, frame, size);
                EXPECT_LE(LargestDifference(alone, inStrip), 8) << "frame " << frame << " at " << factor;
                EXPECT_LT(MeanDifference(alone, 0, 0, size, size, inStrip, 0, 0, size, size), 0.25)
                    << "frame " << frame << " at " << factor;
            }
            DeleteObject(wholeHandle);
        }
    }
    sprites->SetScale(1.0);
}

} // namespace
