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

TEST_F(ImageToggleTest, WindowsTakeTheirSizeFromTheTopImage) {
    auto slide = MakeSwitch();
    auto button = MakeButton();
    ImageToggle3State three(&host, parentWindow, TestInstance(), 10, 20, 41);
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    struct Case {
        CustomControl* control;
        const wchar_t* className;
        int width, height;
    } cases[] = {{slide.get(), L"ALIMAGETOGGLE", 24, 60},
                 {button.get(), L"ALIMAGETOGGLE", 45, 45},
                 {&three, L"IMAGETOGGLE3STATE", 24, 75},
                 {&four, L"IMAGETOGGLE4STATE", 24, 75}};
    for (const Case& c : cases) {
        ASSERT_NE(c.control->hwnd, nullptr) << c.className;
        wchar_t name[32];
        GetClassNameW(c.control->hwnd, name, 32);
        EXPECT_STREQ(name, c.className);
        RECT client;
        GetClientRect(c.control->hwnd, &client);
        EXPECT_EQ(client.right, c.width) << c.className;
        EXPECT_EQ(client.bottom, c.height) << c.className;
        EXPECT_EQ(c.control->GetUnits(), 9);
        EXPECT_EQ(c.control->GetValue(), 0);
    }
    RECT area = RectInParent(three.hwnd);
    EXPECT_EQ(area.left, 10);
    EXPECT_EQ(area.top, 20);
    EXPECT_EQ(three.stateResources, (std::vector<WORD>{147, 148, 146}));
    EXPECT_EQ(four.stateResources, (std::vector<WORD>{147, 149, 150, 146}));
    EXPECT_EQ(slide->stateResources, (std::vector<WORD>{142, 141}));
    for (auto& image : four.stateImages)
        EXPECT_NE(image, nullptr);
}

TEST_F(ImageToggleTest, ClickInTheUpperHalfReportsOnRelease) {
    auto slide = MakeSwitch();
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 12, 10, MK_LBUTTON);
    EXPECT_TRUE(slide->pressed);
    EXPECT_EQ(GetCapture(), slide->hwnd);
    EXPECT_TRUE(host.changes.empty()) << "the press alone moves nothing";
    SendMouse(slide->hwnd, WM_LBUTTONUP, 12, 10);
    EXPECT_EQ(host.changes, (Changes{{31, 1}}));
    EXPECT_EQ(slide->GetValue(), 1);
    EXPECT_FALSE(slide->pressed);
    EXPECT_EQ(GetCapture(), nullptr);

    // The same click at position 1 reports nothing; a click low down goes back to 0.
    Click(slide->hwnd, 12, 10);
    EXPECT_EQ(host.changes.size(), 1u);
    Click(slide->hwnd, 12, 29);
    EXPECT_EQ(host.changes.size(), 1u);
    Click(slide->hwnd, 12, 30);
    EXPECT_EQ(host.changes, (Changes{{31, 1}, {31, 0}}));
}

TEST_F(ImageToggleTest, FourPositionBoundariesAt18And37And56) {
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 74, MK_LBUTTON);
    for (int y : {74, 56, 55, 37, 36, 18, 17, 0, 17, 18, 37, 56})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, 56);
    EXPECT_EQ(host.changes, (Changes{{42, 1}, {42, 2}, {42, 3}, {42, 2}, {42, 1}, {42, 0}}));
}

TEST_F(ImageToggleTest, ThreePositionBoundariesAt25And50) {
    ImageToggle3State three(&host, parentWindow, TestInstance(), 10, 20, 41);
    SendMouse(three.hwnd, WM_LBUTTONDOWN, 5, 74, MK_LBUTTON);
    for (int y : {50, 49, 25, 24, 0, 24, 25, 49, 50})
        SendMouse(three.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{41, 1}, {41, 2}, {41, 1}, {41, 0}}));
    SendMouse(three.hwnd, WM_LBUTTONUP, 5, 50);
    EXPECT_EQ(host.changes.size(), 4u);
}

TEST_F(ImageToggleTest, DraggingAboveOrBelowTheWindowGivesTheEnds) {
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 60, MK_LBUTTON);
    SendMouse(four.hwnd, WM_MOUSEMOVE, 5, -40, MK_LBUTTON);
    EXPECT_EQ(four.GetValue(), 3);
    SendMouse(four.hwnd, WM_MOUSEMOVE, 300, 200, MK_LBUTTON);
    EXPECT_EQ(four.GetValue(), 0);
    SendMouse(four.hwnd, WM_MOUSEMOVE, -30, -1, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, -30, -1);
    EXPECT_EQ(host.changes, (Changes{{42, 3}, {42, 0}, {42, 3}}));

    auto slide = MakeSwitch();
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 5, -500, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONUP, 5, 500);
    EXPECT_EQ(host.changes, (Changes{{42, 3}, {42, 0}, {42, 3}, {31, 1}, {31, 0}}));
}

TEST_F(ImageToggleTest, MovesWithoutAPressGoToTheParent) {
    auto slide = MakeSwitch();
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 3, 4);
    auto moves = ParentGot(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].lParam).x, 303);
    EXPECT_EQ(PointOf(moves[0].lParam).y, 104);
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(ImageToggleTest, PushButtonFlipsAtEveryPressWhereverItLands) {
    auto button = MakeButton();
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 2, 44, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}})) << "reported on the press";
    EXPECT_EQ(button->GetValue(), 1);
    EXPECT_EQ(GetCapture(), button->hwnd);
    SendMouse(button->hwnd, WM_MOUSEMOVE, 2, 2, MK_LBUTTON); // passes over, changes nothing
    EXPECT_EQ(ParentGot(WM_MOUSEMOVE).size(), 1u);
    SendMouse(button->hwnd, WM_LBUTTONUP, 2, 2);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(host.changes.size(), 1u);

    SendMouse(button->hwnd, WM_LBUTTONDOWN, 40, 3, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}, {1200, 0}})) << "two presses return it";
    SendMouse(button->hwnd, WM_LBUTTONUP, 40, 3);
    // A quick second click arrives as another press (no double-click class style).
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    SendMouse(button->hwnd, WM_LBUTTONUP, 20, 20);
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    SendMouse(button->hwnd, WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(host.changes, (Changes{{1200, 1}, {1200, 0}, {1200, 1}, {1200, 0}}));
    EXPECT_EQ(GetClassLongW(button->hwnd, GCL_STYLE) & CS_DBLCLKS, 0u);
}

TEST_F(ImageToggleTest, PushButtonSetAboveOneByTheProgramTurnsOff) {
    auto button = MakeButton();
    button->SetValue(2); // shown as on
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(button->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(button->GetValue(), 0) << "not 1 - 2";
    button->SetValue(-3);
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(button->hwnd, WM_LBUTTONUP, 5, 5);
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(button->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{1200, 0}, {1200, 0}, {1200, 1}}));
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

TEST_F(ImageToggleTest, CancelModeReleasesAtTheTop) {
    ImageToggle3State three(&host, parentWindow, TestInstance(), 10, 20, 41);
    SendMouse(three.hwnd, WM_LBUTTONDOWN, 5, 70, MK_LBUTTON);
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(host.changes, (Changes{{41, 2}}));
    EXPECT_FALSE(three.pressed);
    EXPECT_EQ(GetCapture(), nullptr);
    // Without a press in progress WM_CANCELMODE changes nothing.
    SendMessageW(three.hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(host.changes.size(), 1u);

    auto button = MakeButton();
    SendMouse(button->hwnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMessageW(button->hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(host.changes, (Changes{{41, 2}, {1200, 1}}));
    EXPECT_FALSE(button->pressed);
}

TEST_F(ImageToggleTest, CaptureTakenElsewhereEndsThePress) {
    auto slide = MakeSwitch();
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 500, 400, 20, 20, parentWindow,
                                 nullptr, TestInstance(), nullptr);
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SetCapture(other);
    EXPECT_FALSE(slide->pressed);
    EXPECT_TRUE(host.changes.empty());
    // The switch no longer follows the pointer; its moves go to the parent.
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(slide->GetValue(), 0);
    EXPECT_EQ(ParentGot(WM_MOUSEMOVE).size(), 1u);
    ReleaseCapture();
    DestroyWindow(other);
}

TEST_F(ImageToggleTest, SecondPressWhileCapturedStillSlides) {
    auto slide = MakeSwitch();
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
    SendMouse(slide->hwnd, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(host.changes, (Changes{{31, 1}}));
}

TEST_F(ImageToggleTest, SetScaleRendersEveryPositionAtTheNewSize) {
    ImageToggle4State four(&host, parentWindow, TestInstance(), 40, 20, 42);
    auto button = MakeButton();
    four.SetScale(2.0);
    EXPECT_EQ(four.imageWidth, 48);
    EXPECT_EQ(four.imageHeight, 150);
    for (auto& image : four.stateImages) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 48u);
        EXPECT_EQ(image->GetHeight(), 150u);
    }
    button->SetScale(0.7);
    EXPECT_EQ(button->imageWidth, 31); // trunc(45 x 0.7)
    EXPECT_EQ(button->imageHeight, 31);
    ASSERT_NE(button->stateImages[0], nullptr);
    EXPECT_EQ(button->stateImages[0]->GetWidth(), 31u);

    // The parent moves the window; the positions then follow the new height.
    MoveWindow(four.hwnd, 80, 40, 48, 150, TRUE);
    SendMouse(four.hwnd, WM_LBUTTONDOWN, 5, 149, MK_LBUTTON);
    for (int y : {112, 111, 37, 36})
        SendMouse(four.hwnd, WM_MOUSEMOVE, 5, y, MK_LBUTTON);
    SendMouse(four.hwnd, WM_LBUTTONUP, 5, 36);
    EXPECT_EQ(host.changes, (Changes{{42, 1}, {42, 2}, {42, 3}}));

    four.SetScale(1.0);
    EXPECT_EQ(four.imageWidth, 24);
    EXPECT_EQ(four.imageHeight, 75);
}

} // namespace
