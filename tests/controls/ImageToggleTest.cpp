// Slide switches and push buttons as real windows, driven by real mouse messages.
#include "tests/controls/ControlTestSupport.h"

#include "controls/ImageToggle.h"
#include "controls/ImageToggle3State.h"
#include "controls/ImageToggle4State.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

#include <memory>
#include <utility>
#include <vector>

namespace {

using Changes = std::vector<std::pair<int, int>>;

class ImageToggleTest : public ControlTest {
  protected:
    // Slide switches and push buttons at (300, 100) in the parent.
    std::unique_ptr<ImageToggle> MakeSwitch(int id = 31) {
        return std::make_unique<ImageToggle>(&host, parentWindow, TestInstance(), 300, 100, IDB_SWITCH_DOWN,
                                             IDB_SWITCH_UP, false, id);
    }
    std::unique_ptr<ImageToggle> MakeButton(int id = 1200) {
        return std::make_unique<ImageToggle>(&host, parentWindow, TestInstance(), 300, 100, IDB_BANK1_OFF,
                                             IDB_BANK1_ON, true, id);
    }

    // A press and a release at the same point.
    static void Click(HWND window, int x, int y) {
        SendMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        SendMouse(window, WM_LBUTTONUP, x, y);
    }
};

TEST_F(ImageToggleTest, ClickReportsOnReleaseAndOnlyAChange) {
    auto slide = MakeSwitch();
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 12, 10, MK_LBUTTON);
    EXPECT_TRUE(slide->pressed);
    EXPECT_EQ(GetCapture(), slide->hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone moves nothing";
    SendMouse(slide->hwnd, WM_LBUTTONUP, 12, 10);
    EXPECT_FALSE(slide->pressed);
    EXPECT_EQ(GetCapture(), nullptr);
    Click(slide->hwnd, 12, 29); // still position 1
    Click(slide->hwnd, 12, 30);
    EXPECT_EQ(host.changes, (Changes{{31, 1}, {31, 0}}));
    // A second press while captured still slides: the capture is taken before the press is marked.
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{31, 1}, {31, 0}, {31, 1}}));
}

TEST_F(ImageToggleTest, DraggingFollowsThePositionsAndGivesTheEndsOutside) {
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 74, MK_LBUTTON);
    for (int y : {56, 55, 37, 36, 18, 17, -40, 200, -1})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, -1);
    EXPECT_EQ(host.changes, (Changes{{42, 1}, {42, 2}, {42, 3}, {42, 0}, {42, 3}}));
    TestWindow::clearReceived();
    SendMouse(four.hwnd, WM_MOUSEMOVE, 3, 4); // without a press the move goes to the parent
    auto moves = ParentGot(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].lParam).x, 43);
    EXPECT_EQ(PointOf(moves[0].lParam).y, 24);
}

TEST_F(ImageToggleTest, PushButtonFlipsAtEveryPressAndTurnsAnyNonzeroValueOff) {
    auto button = MakeButton();
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 2, 44, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}})) << "reported on the press";
    EXPECT_EQ(GetCapture(), button->hwnd);
    SendMouse(button->hwnd, WM_MOUSEMOVE, 2, 2, MK_LBUTTON); // passes over, changes nothing
    SendMouse(button->hwnd, WM_LBUTTONUP, 2, 2);
    EXPECT_EQ(GetCapture(), nullptr);
    // A quick second click arrives as another press (no double-click class style).
    Click(button->hwnd, 20, 20);
    Click(button->hwnd, 20, 20);
    EXPECT_EQ(GetClassLongW(button->hwnd, GCL_STYLE) & CS_DBLCLKS, 0u);
    button->SetValue(2); // shown as on
    Click(button->hwnd, 5, 5);
    EXPECT_EQ(button->GetValue(), 0) << "not 1 - 2";
    button->SetValue(-3);
    Click(button->hwnd, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}, {1200, 0}, {1200, 1}, {1200, 0}, {1200, 0}}));
}

TEST_F(ImageToggleTest, ValuesFromTheProgramAreNeverReported) {
    auto slide = MakeSwitch();
    auto button = MakeButton();
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    PumpMessages();
    slide->SetValue(1);
    EXPECT_TRUE(GetUpdateRect(slide->hwnd, nullptr, FALSE));
    button->SetValue(1);
    EXPECT_FALSE(GetUpdateRect(button->hwnd, nullptr, FALSE)) << "a push button is repainted at once";
    four.SetValue(7); // stored as it comes
    EXPECT_EQ(four.GetValue(), 7);
    PumpMessages();
    EXPECT_TRUE(host.changes.empty());
    // The next user change starts from the value set by the program.
    Click(slide->hwnd, 5, 59);
    EXPECT_EQ(host.changes, (Changes{{31, 0}}));
}

TEST_F(ImageToggleTest, CancelModeOrACaptureTakenElsewhereEndsThePress) {
    ImageToggle3State three(&host, parentWindow, TestInstance(), 10, 20, 41);
    SendMouse(three.hwnd, WM_LBUTTONDOWN, 5, 70, MK_LBUTTON);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0); // released as at the top
    EXPECT_FALSE(three.pressed);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0); // without a press: nothing
    EXPECT_EQ(host.changes, (Changes{{41, 2}}));

    auto slide = MakeSwitch();
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 500, 400, 20, 20, parentWindow,
                                 nullptr, TestInstance(), nullptr);
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SetCapture(other);
    EXPECT_FALSE(slide->pressed);
    // The switch no longer follows the pointer.
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(slide->GetValue(), 0);
    EXPECT_EQ(host.changes.size(), 1u);
    ReleaseCapture();
    DestroyWindow(other);
}

TEST_F(ImageToggleTest, SetScaleRendersEveryPositionAtTheNewSize) {
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    four.SetScale(2.0);
    for (auto& image : four.stateImages) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 48u);
        EXPECT_EQ(image->GetHeight(), 150u);
    }
    // The parent moves the window; the positions then follow the new height.
    MoveWindow(four.hwnd, 80, 40, 48, 150, TRUE);
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 149, MK_LBUTTON);
    for (int y : {112, 111, 37, 36})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, 36);
    EXPECT_EQ(host.changes, (Changes{{42, 1}, {42, 2}, {42, 3}}));
    four.SetScale(1.0);
    EXPECT_EQ(four.imageHeight, 75);
}

} // namespace
