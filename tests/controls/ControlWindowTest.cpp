// Knobs, switches and levers as real windows under a parent that logs what reaches
// it, driven by mouse messages; keys go through the system's input queue, and what the
// controls paint is read back from the screen.
#include "app/Settings.h"
#include "controls/ControlClasses.h"
#include "controls/GdiplusHeader.h"
#include "controls/GdiplusImages.h"
#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"
#include "controls/MainPanel.h"
#include "controls/SharedWork.h"
#include "controls/SimplePanel.h"
#include "controls/StatusPanel.h"
#include "resources/ResourceIds.h"
#include "tests/support/FakeHost.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pointer.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>

namespace {

using Changes = std::vector<std::pair<int, int>>;
const DWORD kBackground = 0x3090C0;

void Mouse(HWND window, UINT message, int x, int y, WPARAM keys = 0) {
    SendMessageW(window, message, keys, MAKELPARAM(x & 0xFFFF, y & 0xFFFF));
}

void Click(HWND window, int x, int y) {
    Mouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    Mouse(window, WM_LBUTTONUP, x, y);
}

class Controls : public testing::Test {
  protected:
    Controls() {
        GetSettings().KnobMode = 0;
        SetForegroundWindow(parent);
        SetFocus(parent);
        PumpMessages();
        TestWindow::clearReceived();
    }
    void TearDown() override {
        ReleaseCapture();
        DestroyChildren(parent);
        Knob::Sprites()->SetScale(1.0);
    }
    // One parent for the whole program, at (50, 30) so that screen and parent points
    // differ: destroying a top-level window under Wine without a window manager takes
    // two seconds.
    static HWND Parent() {
        static HWND shared = [] {
            RegisterControlClasses(GetModuleHandleW(nullptr));
            HWND window = (new TestWindow(640, 480))->hwnd();
            SetClassLongPtrW(window, GCLP_HBRBACKGROUND,
                             reinterpret_cast<LONG_PTR>(CreateSolidBrush(0xC09030)));
            SetWindowPos(window, nullptr, 50, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            return window;
        }();
        return shared;
    }
    using Got = std::vector<std::pair<WPARAM, LPARAM>>;
    static Got ParentGot(UINT message) {
        Got found;
        for (const TestWindow::Received& r : TestWindow::received())
            if (r.message == message)
                found.emplace_back(r.wParam, r.lParam);
        return found;
    }
    Pixels Shot(HWND control) const {
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages();
        return CaptureClient(control);
    }
    bool Only(HWND control, DWORD colour) const {
        const Pixels shot = Shot(control);
        return !shot.data.empty() &&
               std::all_of(shot.data.begin(), shot.data.end(), [&](DWORD p) { return p == colour; });
    }
    void Drag(int y, WPARAM keys = 0) {
        Mouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON | keys);
        Mouse(knob.hwnd, WM_MOUSEMOVE, 38, y, MK_LBUTTON | keys);
    }

    FakeHost host;
    HWND parent = Parent();
    HINSTANCE module = GetModuleHandleW(nullptr);
    Knob knob{&host, parent, module, 100, 80, 255, 12}; // its window at (62, 42)
    ImageToggle slide{&host, parent, module, 300, 100, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 13};
    ImageToggle button{&host, parent, module, 400, 100, IDB_BANK3_OFF, IDB_BANK3_ON, true, 14};
    ImageToggle3State three{&host, parent, module, 460, 50, 15};
    ImageToggle4State four{&host, parent, module, 200, 200, 16};
};

TEST_F(Controls, WhatGoesOnToTheParentAndWhere) {
    SimplePanel panel(&host, parent, module, RECT{500, 300, 600, 350});
    three.SetActive(false);
    knob.SetValue(90);
    const LPARAM screen = MAKELPARAM(150, 110); // over the knob's centre
    const struct {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM sent, passed; // where it reaches the parent; 0: it does not
    } cases[] = {{knob.hwnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 12), MAKELPARAM(72, 54)},
                 {slide.hwnd, WM_MBUTTONUP, 0, MAKELPARAM(-20, -150), MAKELPARAM(280, -50)},    // dragged off
                 {knob.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA), screen, screen}, // once
                 {three.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6), MAKELPARAM(465, 56)}, // inactive
                 {knob.hwnd, WM_TIMER, 3, 0, 0},
                 {panel.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), 0}};
    for (const auto& c : cases) {
        TestWindow::clearReceived();
        SendMessageW(c.window, c.message, c.wParam, c.sent);
        EXPECT_EQ(ParentGot(c.message), (c.passed ? Got{{c.wParam, c.passed}} : Got{}))
            << "message " << c.message;
    }
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(knob.GetValue(), 90) << "the wheel does not turn a knob";
    EXPECT_TRUE(host.changes.empty());
    EXPECT_TRUE(Only(panel.hwnd, 0)) << "a simple panel is black";
    EXPECT_EQ(SendMessageW(knob.hwnd, WM_CTLCOLORLISTBOX, 0, 0),
              reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH)))
        << "a list box on a control is black, and its parent is not asked";
    EXPECT_TRUE(ParentGot(WM_CTLCOLORLISTBOX).empty());
}

TEST_F(Controls, ControlsWithoutAWindowRepaintNothingElse) {
    for (HWND window : {knob.hwnd, slide.hwnd, button.hwnd})
        DestroyWindow(window);
    ASSERT_EQ(knob.hwnd, nullptr);
    UpdateWindow(parent);
    ValidateRect(parent, nullptr);
    knob.SetValue(90);
    slide.SetValue(1);
    button.SetValue(1);
    knob.SetHighlighted(true);
    slide.SetActive(false);
    EXPECT_FALSE(GetUpdateRect(parent, nullptr, FALSE)) << "a null window invalidates the whole desktop";
}

TEST_F(Controls, AKnobValueFromTheProgramIsClampedAndNeverReported) {
    const int cases[][3] = {{300, 255, 126}, {-4, 0, 0}, {128, 128, 63}}; // value, shown, frame
    for (const auto& c : cases) {
        knob.SetValue(c[0]);
        EXPECT_EQ(std::make_pair(knob.GetValue(), knob.CurrentFrame()), std::make_pair(c[1], c[2])) << c[0];
    }
    EXPECT_TRUE(host.changes.empty());
    EXPECT_FALSE(Only(knob.hwnd, kBackground));
    knob.SetActive(false);
    EXPECT_TRUE(Only(knob.hwnd, kBackground)) << "an inactive knob paints nothing";
}

TEST_F(Controls, AKnobDragEndsAtEscapeTheRightButtonOrACaptureLoss) {
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 9, 9, parent, nullptr, nullptr, nullptr);
    knob.SetValue(100);
    Drag(0); // 38 of 177.5 pixels up
    EXPECT_EQ(GetFocus(), knob.hwnd) << "held while dragging, so that Escape reaches the knob";
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    PumpMessages();
    EXPECT_EQ(GetFocus(), knob.hwnd) << "a click leaves the focus on the knob, for its keys";
    Drag(8);
    Mouse(knob.hwnd, WM_RBUTTONDOWN, 38, 8, MK_LBUTTON | MK_RBUTTON);
    Mouse(knob.hwnd, WM_RBUTTONUP, 38, 8, MK_LBUTTON);
    Drag(28);
    SetCapture(other);
    Mouse(knob.hwnd, WM_MOUSEMOVE, 38, -100, MK_LBUTTON); // after each end, moves change nothing
    Mouse(knob.hwnd, WM_LBUTTONUP, 38, -100);
    // The right button holds the capture; a left press takes it again, which Windows
    // reports as a capture change.
    Mouse(knob.hwnd, WM_RBUTTONDOWN, 38, 38, MK_RBUTTON);
    Drag(-1000, MK_RBUTTON);
    Mouse(knob.hwnd, WM_LBUTTONUP, 38, -1000, MK_RBUTTON);
    Mouse(knob.hwnd, WM_RBUTTONUP, 38, -1000);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(host.changes, (Changes{{12, 154}, {12, 100}, {12, 143}, {12, 100}, {12, 114}, {12, 255}}));
    EXPECT_TRUE(ParentGot(WM_RBUTTONDOWN).empty() && ParentGot(WM_KEYDOWN).empty());
}

// Shift and Ctrl are read at each move, so keys pressed after the press still count;
// 20 pixels up is 28 steps, 7 with Shift (Shift wins over Ctrl) and 114 with Ctrl.
TEST_F(Controls, AKnobDragsFineWithShiftAndCoarseWithCtrl) {
    const struct {
        std::vector<int> keys;
        int value;
    } rows[] = {{{}, 28}, {{VK_SHIFT}, 7}, {{VK_CONTROL}, 114}, {{VK_CONTROL, VK_SHIFT}, 7}};
    for (const auto& r : rows) {
        knob.SetValue(0);
        Mouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
        for (int key : r.keys)
            keybd_event(static_cast<BYTE>(key), 0, 0, 0);
        PumpMessages();
        Mouse(knob.hwnd, WM_MOUSEMOVE, 38, 18, MK_LBUTTON);
        for (int key : r.keys)
            keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
        Mouse(knob.hwnd, WM_LBUTTONUP, 38, 18);
        PumpMessages();
        EXPECT_EQ(knob.GetValue(), r.value) << "keys " << testing::PrintToString(r.keys);
    }
}

TEST_F(Controls, AKnobFrameRenderedWhenFirstShownLooksAsInTheWholeStrip) {
    KnobSprites* sprites = Knob::Sprites();
    knob.SetScale(1.5);
    const int frames = sprites->frameRenders;
    for (int paint = 0; paint < 2; ++paint)
        RedrawWindow(knob.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(sprites->frameRenders, frames + 1) << "the frame shown, once";
    for (double factor : {0.5, 1.25, 2.0}) {
        // Frames rendered as the panel has them rendered during a rescale, by both of its
        // threads, and one when first drawn.
        sprites->SetScale(factor);
        std::vector<std::function<void(int)>> work;
        for (int frame : {0, 63, 63})
            sprites->AddFrameWork(frame, work);
        ASSERT_EQ(work.size(), 2u) << "each frame once";
        work[0](0);
        work[1](1);
        const int size = sprites->frameWidth;
        for (auto [source, handle] : {std::pair{sprites->image.get(), sprites->imageHandle},
                                      std::pair{sprites->mask.get(), sprites->maskHandle}}) {
            HBITMAP whole = nullptr;
            RenderScaledBitmap(*source, 128 * size, size, 128.0 * size / 8576)
                ->GetHBITMAP(Gdiplus::Color(0), &whole);
            for (int frame : {0, 63, 125}) {
                ASSERT_TRUE(sprites->Prepare(frame));
                // GDI+ works in single precision from the corner of what it draws, so a
                // frame drawn on its own comes out a rounding step away in places.
                EXPECT_LT(MeanDifference(BitmapPixels(handle, frame * size, 0, size, size), 0, 0, size, size,
                                         BitmapPixels(whole, frame * size, 0, size, size), 0, 0, size, size),
                          0.25)
                    << "frame " << frame << " at " << factor;
            }
            DeleteObject(whole);
        }
    }
}

// Every task is done once, by the worker (lane 0) or the finishing thread (lane 1) as
// asked, also when added once the worker has stopped, and when the kept worker is busy
// with other work; dropped ones are never begun.
TEST(SharedWork, EachTaskOnceInItsLaneUntilDropped) {
    for (bool helps : {true, false}) {
        std::atomic<int> done[30] = {};
        std::atomic<int> lanes[2] = {};
        auto task = [&](int i) { return [&, i](int lane) { ++done[i], ++lanes[lane]; }; };
        std::vector<SharedWork::Task> first, more, beside;
        for (int i = 0; i < 30; ++i)
            (i < 10 ? first : i < 20 ? more : beside).push_back(task(i));
        SharedWork work(std::move(first), helps);
        while (done[9] == 0) // the worker then stops, having nothing left to do
            Sleep(1);
        Sleep(20);
        SharedWork other(std::move(beside), helps);
        work.Add(std::move(more));
        work.Finish();
        other.Finish();
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(done[i].load(), 1) << "task " << i << (helps ? " with help" : " alone");
        EXPECT_EQ(lanes[0] + lanes[1], 30);
        EXPECT_TRUE(helps || lanes[1] == 0) << "a finisher that does not help";
    }
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> begun{0}, ended{0};
    {
        std::vector<SharedWork::Task> tasks(5, [&](int) {
            ++begun;
            WaitForSingleObject(go, 5000);
            Sleep(10);
            ++ended;
        });
        SharedWork work(std::move(tasks), true);
        while (begun == 0)
            Sleep(1);
        work.Drop();
        SetEvent(go);
    } // dropped, then waited for
    EXPECT_EQ(std::make_pair(begun.load(), ended.load()), std::make_pair(1, 1))
        << "only the task under way when dropped, and waited for";
    CloseHandle(go);
}

// A switch's picture is drawn from premultiplied pixels kept for it, as GDI+ draws the
// bitmap with alpha on a device context, at any scale and over any background.
TEST_F(Controls, ASwitchPictureLooksAsGdiplusDrawsIt) {
    auto drawn = [](int width, int height, const std::function<void(HDC)>& draw) {
        void* bits = nullptr;
        HBITMAP target = CreateTopDownDib(width + 8, height + 8, bits);
        for (int i = 0; i < (width + 8) * (height + 8); ++i)
            static_cast<DWORD*>(bits)[i] = 0xff000000u | static_cast<DWORD>(i * 2654435761u >> 8);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, target);
        draw(dc);
        SelectObject(dc, previous);
        DeleteDC(dc);
        Pixels pixels = BitmapPixels(target, 0, 0, width + 8, height + 8);
        DeleteObject(target);
        return pixels;
    };
    for (int id : {IDB_SWITCH_UP, IDB_LEVER_MIDDLE, IDB_BANK1_ON}) {
        std::unique_ptr<Gdiplus::Bitmap> natural = LoadResourceBitmap(module, id);
        ASSERT_TRUE(natural) << id;
        for (double factor : {1.0, 0.5, 1.5}) {
            const int width = static_cast<int>(natural->GetWidth() * factor);
            const int height = static_cast<int>(natural->GetHeight() * factor);
            std::unique_ptr<Gdiplus::Bitmap> image = RenderScaledBitmap(*natural, width, height, factor);
            Gdiplus::Bitmap& shown = factor == 1.0 ? *natural : *image;
            const BlendedPicture picture(shown);
            ASSERT_EQ(std::make_pair(picture.width, picture.height), std::make_pair(width, height));
            const Pixels kept = drawn(width, height, [&](HDC dc) { picture.Draw(dc, 4, 4); });
            const Pixels byGdiplus = drawn(width, height, [&](HDC dc) {
                Gdiplus::Graphics graphics(dc);
                graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
                graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
                graphics.DrawImage(&shown, 4, 4, width, height);
            });
            EXPECT_TRUE(kept.data == byGdiplus.data) << id << " at " << factor;
        }
    }
}

// The front panel's picture is drawn in bands on two threads at once; together they
// look as the picture drawn whole, at every seam. GDI+ works in single precision from
// the corner of what it draws, so a band can come out a rounding step away in places.
TEST_F(Controls, ThePanelPictureDrawnInBandsLooksAsDrawnWhole) {
    std::unique_ptr<Gdiplus::Bitmap> natural = MapResourceBitmap(module, IDB_PANEL);
    ASSERT_TRUE(natural);
    MainPanel panel(&host, parent, module, RECT{0, 0, 100, 100});
    for (double factor : {0.5, 0.66, 1.5}) {
        const int width = static_cast<int>(1920 * factor), height = static_cast<int>(869 * factor);
        panel.SetScale(factor);
        panel.FinishScale();
        ASSERT_TRUE(panel.imageHandle) << factor;
        HBITMAP whole = nullptr;
        RenderScaledBitmap(*natural, width, height, factor)->GetHBITMAP(Gdiplus::Color(0), &whole);
        for (int seam = 0; seam <= 8; ++seam) {
            const int top = std::clamp(height * seam / 8 - 2, 0, height - 4);
            EXPECT_LT(MeanDifference(BitmapPixels(panel.imageHandle, 0, top, width, 4), 0, 0, width, 4,
                                     BitmapPixels(whole, 0, top, width, 4), 0, 0, width, 4),
                      1.0)
                << "rows " << top << " at " << factor;
        }
        DeleteObject(whole);
    }
}

TEST_F(Controls, ASwitchReportsAChangeOnReleaseAndAPushButtonTurnsAnyValueOff) {
    Mouse(slide.hwnd, WM_LBUTTONDOWN, 12, 10, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), slide.hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone moves nothing";
    Mouse(slide.hwnd, WM_LBUTTONUP, 12, 10);
    Click(slide.hwnd, 12, 29); // still up
    Click(slide.hwnd, 12, 30);
    // A second press while captured still slides: the capture is taken before the press is marked.
    Mouse(slide.hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    Click(slide.hwnd, 5, 5);
    slide.SetValue(0); // not reported; the next change starts from it
    Click(slide.hwnd, 5, 5);
    Mouse(button.hwnd, WM_LBUTTONDOWN, 2, 44, MK_LBUTTON); // reported on the press
    Mouse(button.hwnd, WM_LBUTTONUP, 2, 2);
    Click(button.hwnd, 20, 20); // a quick second click is another press
    for (int value : {2, -3}) {
        button.SetValue(value);
        Click(button.hwnd, 5, 5);
    }
    EXPECT_EQ(button.GetValue(), 0) << "not 1 - value";
    EXPECT_EQ(host.changes,
              (Changes{{13, 1}, {13, 0}, {13, 1}, {13, 1}, {14, 1}, {14, 0}, {14, 0}, {14, 0}}));
}

TEST_F(Controls, ALeverFollowsTheDragAtEveryScaleUntilThePressEnds) {
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 9, 9, parent, nullptr, nullptr, nullptr);
    Mouse(four.hwnd, WM_LBUTTONDOWN, 5, 74, MK_LBUTTON);
    for (int y : {55, 36, 17, 200})
        Mouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    Mouse(four.hwnd, WM_LBUTTONUP, 5, 200);
    four.SetScale(2.0);
    MoveWindow(four.hwnd, 200, 200, 48, 150, TRUE); // as its parameter does
    Mouse(four.hwnd, WM_LBUTTONDOWN, 5, 149, MK_LBUTTON);
    for (int y : {111, 36})
        Mouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    Mouse(four.hwnd, WM_LBUTTONUP, 5, 36);
    const Pixels lever = Shot(four.hwnd);
    ASSERT_EQ(lever.height, 150);
    EXPECT_LT(MeanDifference(lever, 0, 0, 48, 150, LoadBitmapPixels(IDB_LEVER_TOP), 0, 0, 24, 75), 12.0);
    EXPECT_GT(MeanDifference(lever, 0, 0, 48, 150, LoadBitmapPixels(IDB_LEVER_BOTTOM), 0, 0, 24, 75), 12.0);
    // Cancel mode or a capture taken elsewhere ends a press.
    Mouse(three.hwnd, WM_LBUTTONDOWN, 5, 70, MK_LBUTTON);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0); // released as at the top
    EXPECT_EQ(GetCapture(), nullptr);
    Mouse(slide.hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SetCapture(other);
    Mouse(slide.hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    Mouse(slide.hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{16, 1}, {16, 2}, {16, 3}, {16, 0}, {16, 1}, {16, 3}, {15, 2}}));
    four.SetValue(4);
    slide.SetActive(false);
    EXPECT_TRUE(Only(four.hwnd, kBackground)) << "a position the lever does not have shows nothing";
    EXPECT_TRUE(Only(slide.hwnd, kBackground)) << "an inactive switch paints nothing";
}

// The panel (1920 x 869 in a 640 x 480 parent) moved by the wheel, 12 pixels a notch,
// 24 with Ctrl (which wins over Shift) and 6 with Shift, or panned by the middle button;
// either way it keeps within x -1280..0 and y -389..0.
TEST_F(Controls, TheMainPanelScrollsAndPansWithinItsParent) {
    MainPanel panel(&host, parent, module, RECT{0, 0, 100, 100});
    const POINT cursor = {960, 540};
    const struct {
        POINT from;
        int wheel; // 0: a pan by `moved` instead
        WPARAM keys;
        POINT moved, to;
    } rows[] = {{{0, 0}, 120, 0, {}, {0, 0}},
                {{0, -100}, 120, 0, {}, {0, -88}},
                {{-5, -100}, -120, MK_CONTROL, {}, {-5, -124}},
                {{0, -100}, -120, MK_SHIFT, {}, {0, -106}},
                {{0, -100}, -120, MK_CONTROL | MK_SHIFT, {}, {0, -124}},
                {{-1300, -380}, -240, 0, {}, {-1280, -389}},
                {{-600, -100}, 0, 0, {-5, 7}, {-605, -93}},
                {{-600, -100}, 0, 0, {-680, 289}, {-1280, 0}},
                {{-600, -100}, 0, 0, {700, -290}, {0, -389}}};
    for (const auto& r : rows) {
        SetWindowPos(panel.hwnd, nullptr, r.from.x, r.from.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (r.wheel) {
            SendMessageW(panel.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(r.keys, r.wheel),
                         MAKELPARAM(cursor.x, cursor.y));
        } else {
            MovePointerTo(cursor);
            Mouse(panel.hwnd, WM_MBUTTONDOWN, 0, 0, MK_MBUTTON);
            MovePointerTo(POINT{cursor.x + r.moved.x, cursor.y + r.moved.y});
            Mouse(panel.hwnd, WM_MOUSEMOVE, 0, 0, MK_MBUTTON);
            Mouse(panel.hwnd, WM_MBUTTONUP, 0, 0);
        }
        RECT placed;
        GetWindowRect(panel.hwnd, &placed);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(std::make_pair(placed.left, placed.top), std::make_pair(r.to.x, r.to.y))
            << "from " << r.from.x << ", " << r.from.y << " wheel " << r.wheel << " keys " << r.keys;
    }
}

// Lines are dropped from the front beyond the limit: 4 at first, then the panel's
// height at the scale in lines of 15 pixels (5 at 0.6, 9 at 1.0).
TEST_F(Controls, TheStatusPanelKeepsTheNewestLinesThatFit) {
    StatusPanel status(&host, parent, module, RECT{45, 700, 252, 835});
    const struct {
        double factor; // 0: not rescaled
        int added;
        const wchar_t* kept;
    } rows[] = {{0, 3, L"1|2|3"},
                {0, 2, L"2|3|4|5"},
                {1.0, 6, L"3|4|5|6|7|8|9|10|11"},
                {0.6, 1, L"8|9|10|11|12"},
                {0.5, 1, L"10|11|12|13"}};
    int next = 1;
    for (const auto& r : rows) {
        if (r.factor)
            status.SetScale(r.factor);
        for (int i = 0; i < r.added; ++i)
            status.AddLine(std::to_wstring(next++));
        std::wstring joined;
        for (const std::wstring& line : status.lines)
            joined += (joined.empty() ? L"" : L"|") + line;
        EXPECT_EQ(joined, r.kept) << "at " << r.factor;
    }
}

} // namespace
