// Slide switches, levers and push buttons as real windows, driven by mouse messages,
// and the bitmaps they show read back from the screen.
#include "tests/controls/ControlTestSupport.h"

#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "controls/SimplePanel.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

namespace {

class ImageToggleTest : public ControlTest {
  protected:
    static void Click(HWND window, int x, int y) {
        SendMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        SendMouse(window, WM_LBUTTONUP, x, y);
    }
    ImageToggle slide{&host, parent, TestInstance(), 300, 100, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 31};
    ImageToggle button{&host, parent, TestInstance(), 400, 100, IDB_BANK3_OFF, IDB_BANK3_ON, true, 1200};
    ImageToggle3State three{&host, parent, TestInstance(), 460, 50, 41};
    ImageToggle4State four{&host, parent, TestInstance(), 40, 20, 42};
};

TEST_F(ImageToggleTest, SwitchReportsOnReleaseAndOnlyAChange) {
    SendMouse(slide.hwnd, WM_LBUTTONDOWN, 12, 10, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), slide.hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone moves nothing";
    SendMouse(slide.hwnd, WM_LBUTTONUP, 12, 10);
    EXPECT_EQ(GetCapture(), nullptr);
    Click(slide.hwnd, 12, 29); // still position 1
    Click(slide.hwnd, 12, 30);
    // A second press while captured still slides: the capture is taken before the press is marked.
    SendMouse(slide.hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide.hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide.hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    SendMouse(slide.hwnd, WM_LBUTTONUP, 5, 5);
    // Values from the program are not reported; the next change starts from them.
    slide.SetValue(0);
    four.SetValue(7); // stored as it comes
    EXPECT_EQ(four.GetValue(), 7);
    Click(slide.hwnd, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{31, 1}, {31, 0}, {31, 1}, {31, 1}}));
}

TEST_F(ImageToggleTest, CancelModeOrACaptureTakenElsewhereEndsThePress) {
    SendMouse(three.hwnd, WM_LBUTTONDOWN, 5, 70, MK_LBUTTON);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0); // released as at the top
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0); // without a press: nothing
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 9, 9, parent, nullptr,
                                 nullptr, nullptr);
    SendMouse(slide.hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SetCapture(other);
    SendMouse(slide.hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON); // no longer followed
    SendMouse(slide.hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{41, 2}}));
}

TEST_F(ImageToggleTest, DraggingFollowsThePositionsAtEveryScale) {
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 74, MK_LBUTTON);
    for (int y : {56, 55, 37, 36, 18, 17, -40, 200, -1})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, -1);
    SendMouse(four.hwnd, WM_MOUSEMOVE, 3, 4); // without a press the move goes to the parent
    ASSERT_EQ(ParentGot(WM_MOUSEMOVE).size(), 1u);
    EXPECT_EQ(ParentGot(WM_MOUSEMOVE)[0].lParam, MAKELPARAM(43, 24));
    // Scaled, the positions follow the new height and show the art at the new size.
    four.SetScale(2.0);
    MoveWindow(four.hwnd, 80, 40, 48, 150, TRUE); // as its parameter does
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 149, MK_LBUTTON);
    for (int y : {112, 111, 37, 36})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, 36);
    EXPECT_EQ(host.changes,
              (Changes{{42, 1}, {42, 2}, {42, 3}, {42, 0}, {42, 3}, {42, 0}, {42, 1}, {42, 2}, {42, 3}}));
    const Pixels lever = Shot(four.hwnd);
    ASSERT_EQ(lever.height, 150);
    EXPECT_LT(MeanDifference(lever, 0, 0, 48, 150, LoadBitmapPixels(IDB_LEVER_TOP), 0, 0, 24, 75), 12.0);
    EXPECT_GT(MeanDifference(lever, 0, 0, 48, 150, LoadBitmapPixels(IDB_LEVER_BOTTOM), 0, 0, 24, 75), 12.0);
}

TEST_F(ImageToggleTest, PushButtonFlipsAtEveryPressAndTurnsAnyNonzeroValueOff) {
    SendMouse(button.hwnd, WM_LBUTTONDOWN, 2, 44, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}})) << "reported on the press";
    SendMouse(button.hwnd, WM_MOUSEMOVE, 2, 2, MK_LBUTTON); // passes over, changes nothing
    SendMouse(button.hwnd, WM_LBUTTONUP, 2, 2);
    // A quick second click arrives as another press (no double-click class style).
    Click(button.hwnd, 20, 20);
    Click(button.hwnd, 20, 20);
    EXPECT_EQ(GetClassLongW(button.hwnd, GCL_STYLE) & CS_DBLCLKS, 0u);
    button.SetValue(2); // shown as on
    Click(button.hwnd, 5, 5);
    EXPECT_EQ(button.GetValue(), 0) << "not 1 - 2";
    button.SetValue(-3);
    Click(button.hwnd, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}, {1200, 0}, {1200, 1}, {1200, 0}, {1200, 0}}));
}

TEST_F(ImageToggleTest, TogglesShowTheBitmapOfEachPosition) {
    SimplePanel panel(&host, parent, TestInstance(), RECT{500, 300, 600, 350});
    const struct {
        ImageToggleBase* toggle;
        int value;
        int resource; // 0: nothing drawn
    } cases[] = {{&slide, 0, IDB_SWITCH_DOWN},
                 {&slide, 2, IDB_SWITCH_UP},
                 {&button, 0, IDB_BANK3_OFF},
                 {&button, 1, IDB_BANK3_ON},
                 {&three, 0, IDB_LEVER_BOTTOM},
                 {&three, 1, IDB_LEVER_MIDDLE},
                 {&three, -1, 0},
                 {&four, 1, IDB_LEVER_LOWER_MIDDLE},
                 {&four, 2, IDB_LEVER_UPPER_MIDDLE},
                 {&four, 3, IDB_LEVER_TOP},
                 {&four, 4, 0}};
    for (const auto& c : cases) {
        c.toggle->SetValue(c.value);
        const Pixels shot = Shot(c.toggle->hwnd);
        if (c.resource == 0)
            EXPECT_TRUE(AllBackground(shot)) << "a position the toggle does not have draws nothing";
        else
            EXPECT_TRUE(shot.data == LoadBitmapPixels(c.resource).data) << "bitmap " << c.resource;
    }
    EXPECT_NE(LoadBitmapPixels(IDB_LEVER_TOP).data, LoadBitmapPixels(IDB_LEVER_MIDDLE).data);
    EXPECT_TRUE(Only(Shot(panel.hwnd), 0)) << "a simple panel is black";
    slide.SetActive(false);
    EXPECT_TRUE(AllBackground(Shot(slide.hwnd))) << "an inactive toggle paints nothing";
}

} // namespace
