// The shared window procedure and the control base on real windows: what goes on to
// the parent and how, inactive controls, and controls whose window is gone.
#include "tests/controls/ControlTestSupport.h"

#include "controls/ImageToggle.h"
#include "controls/SimplePanel.h"
#include "resources/ResourceIds.h"

#include <initializer_list>

namespace {

class ControlWindowTest : public ControlTest {
  protected:
    // The knob's window spans (62, 42) to (139, 119) of the parent.
    Knob knob{&host, parent, TestInstance(), 100, 80, 255, 12};
    ImageToggle slide{&host, parent, TestInstance(), 300, 100, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 13};
    ImageToggle button{&host, parent, TestInstance(), 400, 100, IDB_BANK2_OFF, IDB_BANK2_ON, true, 1201};
};

TEST_F(ControlWindowTest, WhatGoesOnToTheParentAndWhere) {
    SimplePanel panel(&host, parent, TestInstance(), RECT{400, 300, 500, 350});
    knob.SetValue(90);
    // The wheel's point is on the screen: over the knob's centre at (100, 80) in the parent.
    const LPARAM screen = MAKELPARAM(kParentLeft + 100, kParentTop + 80);
    const struct {
        const char* what;
        HWND window;
        UINT message;
        WPARAM wParam;
        POINT at;     // where it is sent, in the window's coordinates
        int count;    // how often it reaches the parent
        POINT passed; // where it arrives there
    } cases[] = {
        {"middle press on a knob", knob.hwnd, WM_MBUTTONDOWN, MK_MBUTTON, {10, 12}, 1, {72, 54}},
        {"middle release dragged off a switch", slide.hwnd, WM_MBUTTONUP, 0, {-20, -150}, 1, {280, -50}},
        {"right press on a switch", slide.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, {2, 3}, 1, {302, 103}},
        {"wheel over a knob, once", knob.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA),
         PointOf(screen), 1, PointOf(screen)},
        {"vertical scroll", knob.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 17), {0, 0}, 1, {0, 0}},
        {"timer", knob.hwnd, WM_TIMER, 3, {0, 0}, 0, {}},
        {"left press on a panel", panel.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, {5, 5}, 0, {}},
        {"Escape on a panel", panel.hwnd, WM_KEYDOWN, VK_ESCAPE, {0, 0}, 0, {}},
    };
    for (const auto& c : cases) {
        TestWindow::clearReceived();
        SendMessageW(c.window, c.message, c.wParam, MAKELPARAM(c.at.x & 0xFFFF, c.at.y & 0xFFFF));
        const auto got = ParentGot(c.message);
        ASSERT_EQ(got.size(), static_cast<size_t>(c.count)) << c.what;
        if (c.count == 1) {
            EXPECT_EQ(std::make_pair(got[0].wParam, got[0].lParam),
                      std::make_pair(c.wParam, MAKELPARAM(c.passed.x & 0xFFFF, c.passed.y & 0xFFFF)))
                << c.what;
        }
    }
    EXPECT_EQ(knob.GetValue(), 90) << "the wheel does not turn a knob";
    // A list box on a control is painted black, and its parent is not asked.
    EXPECT_EQ(SendMessageW(knob.hwnd, WM_CTLCOLORLISTBOX, 0, 0),
              reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH)));
    EXPECT_TRUE(ParentGot(WM_CTLCOLORLISTBOX).empty());
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(ControlWindowTest, InactiveControlsPassAllMouseInputToTheParent) {
    const UINT messages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MBUTTONUP};
    for (CustomControl* control : std::initializer_list<CustomControl*>{&knob, &slide, &button}) {
        control->SetActive(false);
        for (UINT message : messages)
            SendMouse(control->hwnd, message, 5, 6);
    }
    for (UINT message : messages) {
        auto got = ParentGot(message);
        ASSERT_EQ(got.size(), 3u) << std::hex << message;
        EXPECT_EQ(got[0].lParam, MAKELPARAM(67, 48));
        EXPECT_EQ(got[2].lParam, MAKELPARAM(405, 106));
    }
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(host.changes.empty());
    knob.SetActive(true); // active again, it takes the mouse
    SendMouse(knob.hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob.hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    EXPECT_EQ(host.changes, (Changes{{12, 54}}));
}

TEST_F(ControlWindowTest, ControlsWithoutAWindowRepaintNothingElse) {
    // A control whose window is gone has a null handle; setting its value, state or
    // highlight must not invalidate every window on the desktop.
    for (HWND window : {knob.hwnd, slide.hwnd, button.hwnd})
        DestroyWindow(window);
    EXPECT_EQ(knob.hwnd, nullptr);
    UpdateWindow(parent);
    ValidateRect(parent, nullptr);
    knob.SetValue(90);
    slide.SetValue(1);
    button.SetValue(1);
    knob.SetHighlighted(true);
    slide.SetActive(false);
    EXPECT_FALSE(GetUpdateRect(parent, nullptr, FALSE));
    EXPECT_EQ(knob.GetValue() + button.GetValue(), 91);
}

} // namespace
