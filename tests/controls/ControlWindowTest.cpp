// The shared window procedure and the control base, on real windows: which message
// reaches which handler, what goes on to the parent and how, leave tracking, the
// window classes, and what an inactive control does with the mouse.
#include "tests/controls/ControlTestSupport.h"

#include "controls/CustomControl.h"
#include "controls/ImageToggle.h"
#include "controls/Knob.h"
#include "controls/ListControl.h"
#include "controls/SimplePanel.h"
#include "resources/ResourceIds.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A control that records the handlers it was called with and answers `passOn`.
class ProbeControl : public CustomControl {
  public:
    ProbeControl(IHost* controlHost, HWND parent, int id, const RECT& area)
        : CustomControl(controlHost, L"GROUPPANEL", id, area) {
        CreateControlWindow(parent, TestInstance());
    }
    bool OnKeyDown(int virtualKey) override {
        calls.push_back(L"key " + std::to_wstring(virtualKey));
        return passOn;
    }
    void OnTimer(int timerId) override { calls.push_back(L"timer " + std::to_wstring(timerId)); }
    bool OnCaptureLost(bool cancelMode) override {
        calls.push_back(cancelMode ? L"cancel" : L"capture");
        return passOn;
    }
    bool OnMouseLeave() override {
        calls.push_back(L"leave");
        return CustomControl::OnMouseLeave() || passOn;
    }

    std::vector<std::wstring> calls;
    bool passOn = false;
};

// An owner-drawn list's object, as the list window keeps it in its user data.
class ProbeList : public ListControl {
  public:
    void DrawItem(const DRAWITEMSTRUCT& item) override { drawn.push_back(static_cast<int>(item.itemID)); }
    LRESULT OnNotification(int code) override {
        codes.push_back(code);
        return 40 + code;
    }
    std::vector<int> drawn;
    std::vector<int> codes;
};

// Whether a leave notification is currently requested for `window`.
bool LeaveTracked(HWND window) {
    TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    return query.hwndTrack == window && (query.dwFlags & TME_LEAVE);
}

class ControlWindowTest : public ControlTest {
  protected:
    std::unique_ptr<Knob> MakeKnob() {
        // Centred on (100, 80): the window spans (62, 42) to (139, 119).
        return std::make_unique<Knob>(&host, parentWindow, TestInstance(), 100, 80, 255, 12);
    }
    std::unique_ptr<ImageToggle> MakeSwitch() {
        return std::make_unique<ImageToggle>(&host, parentWindow, TestInstance(), 300, 100, IDB_SWITCH_DOWN,
                                             IDB_SWITCH_UP, false, 13);
    }
    std::unique_ptr<ProbeControl> MakeProbe(int id = 5) {
        return std::make_unique<ProbeControl>(&host, parentWindow, id, RECT{20, 30, 120, 90});
    }
};

TEST_F(ControlWindowTest, EveryClassIsRegisteredWithTheSharedProcedure) {
    for (const wchar_t* name :
         {L"SIMPLEPANEL", L"MAINPANEL", L"GROUPPANEL", L"TEXTLABEL", L"MENUBUTTON", L"ALCHECKBOX", L"TOGGLEH",
          L"TOGGLEV", L"SLIDERV", L"ALCOLORBTN", L"ALIMAGETOGGLE", L"IMAGETOGGLE3STATE", L"IMAGETOGGLE4STATE",
          L"KNOB", L"STATUSPANEL"}) {
        WNDCLASSEXW info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetClassInfoExW(TestInstance(), name, &info)) << name;
        EXPECT_EQ(info.lpfnWndProc, &CustomControlWndProc) << name;
        EXPECT_EQ(info.style & CS_DBLCLKS, 0u) << name;
    }
}

TEST_F(ControlWindowTest, WindowIsAVisibleChildBoundToItsObject) {
    SimplePanel panel(&host, parentWindow, TestInstance(), RECT{10, 20, 210, 120});
    ASSERT_NE(panel.hwnd, nullptr);
    EXPECT_EQ(reinterpret_cast<SimplePanel*>(GetWindowLongPtrW(panel.hwnd, GWLP_USERDATA)), &panel);
    EXPECT_EQ(GetWindowLongW(panel.hwnd, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    const RECT area = RectInParent(panel.hwnd);
    EXPECT_EQ(area.left, 10);
    EXPECT_EQ(area.bottom, 120);
    panel.Show(false);
    EXPECT_FALSE(IsWindowVisible(panel.hwnd));
}

TEST_F(ControlWindowTest, WhatGoesOnToTheParentAndWhere) {
    auto knob = MakeKnob();    // its window at (62, 42) in the parent
    auto slide = MakeSwitch(); // at (300, 100)
    auto probe = MakeProbe();
    SimplePanel panel(&host, parentWindow, TestInstance(), RECT{400, 300, 500, 350});
    knob->SetValue(90);
    PumpMessages();
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
        {"middle press on a knob", knob->hwnd, WM_MBUTTONDOWN, MK_MBUTTON, {10, 12}, 1, {72, 54}},
        {"middle release on a knob", knob->hwnd, WM_MBUTTONUP, 0, {70, 3}, 1, {132, 45}},
        {"middle release dragged off a switch", slide->hwnd, WM_MBUTTONUP, 0, {-20, -150}, 1, {280, -50}},
        {"right press on a switch", slide->hwnd, WM_RBUTTONDOWN, MK_RBUTTON, {2, 3}, 1, {302, 103}},
        {"right release on a switch", slide->hwnd, WM_RBUTTONUP, 0, {2, 3}, 1, {302, 103}},
        {"wheel over a knob, once", knob->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA),
         PointOf(screen), 1, PointOf(screen)},
        {"horizontal scroll", probe->hwnd, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), {0, 0}, 1, {0, 0}},
        {"vertical scroll", knob->hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 17), {0, 0}, 1, {0, 0}},
        {"timer", knob->hwnd, WM_TIMER, 3, {0, 0}, 0, {}},
        {"left press on a panel", panel.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, {5, 5}, 0, {}},
        {"right press on a panel", panel.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, {5, 5}, 0, {}},
        {"middle press on a panel", panel.hwnd, WM_MBUTTONDOWN, MK_MBUTTON, {5, 5}, 0, {}},
        {"Escape on a panel", panel.hwnd, WM_KEYDOWN, VK_ESCAPE, {0, 0}, 0, {}},
    };
    for (const auto& c : cases) {
        TestWindow::clearReceived();
        SendMessageW(c.window, c.message, c.wParam, MAKELPARAM(c.at.x & 0xFFFF, c.at.y & 0xFFFF));
        const auto got = ParentGot(c.message);
        ASSERT_EQ(got.size(), static_cast<size_t>(c.count)) << c.what;
        if (c.count == 0)
            continue;
        EXPECT_EQ(got[0].wParam, c.wParam) << c.what;
        EXPECT_EQ(PointOf(got[0].lParam).x, c.passed.x) << c.what;
        EXPECT_EQ(PointOf(got[0].lParam).y, c.passed.y) << c.what;
    }
    EXPECT_EQ(knob->GetValue(), 90) << "the wheel does not turn a knob";
    // A list box on a control is painted black, and its parent is not asked.
    TestWindow::clearReceived();
    HDC dc = GetDC(knob->hwnd);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(
                  SendMessageW(knob->hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), 0)),
              GetStockObject(BLACK_BRUSH));
    ReleaseDC(knob->hwnd, dc);
    EXPECT_TRUE(ParentGot(WM_CTLCOLORLISTBOX).empty());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(ControlWindowTest, DeletingTheObjectLeavesTheWindow) {
    auto probe = MakeProbe();
    HWND window = probe->hwnd;
    probe.reset();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    // Messages now get default processing only.
    SendMouse(window, WM_MBUTTONDOWN, 1, 1);
    EXPECT_TRUE(ParentGot(WM_MBUTTONDOWN).empty());
    DestroyWindow(window);
}

TEST_F(ControlWindowTest, KeysAndCaptureLossReachTheHandlersAndGoOnWhenAsked) {
    auto probe = MakeProbe();
    SendMessageW(probe->hwnd, WM_KEYDOWN, 'Q', 0);
    SendMessageW(probe->hwnd, WM_CANCELMODE, 0, 0);
    SendMessageW(probe->hwnd, WM_CAPTURECHANGED, 0, 0);
    EXPECT_EQ(probe->calls, (std::vector<std::wstring>{L"key 81", L"cancel", L"capture"}));
    EXPECT_TRUE(ParentGot(WM_KEYDOWN).empty());
    EXPECT_TRUE(ParentGot(WM_CANCELMODE).empty());

    probe->passOn = true;
    SendMessageW(probe->hwnd, WM_KEYDOWN, 'R', 0x10001);
    SendMessageW(probe->hwnd, WM_CAPTURECHANGED, 0, 0);
    auto keys = ParentGot(WM_KEYDOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].wParam, WPARAM('R'));
    EXPECT_EQ(keys[0].lParam, LPARAM(0x10001));
    EXPECT_EQ(ParentGot(WM_CAPTURECHANGED).size(), 1u);
}

TEST_F(ControlWindowTest, MeasureItemAnswersTrueAndSizesOnlyTheList) {
    auto probe = MakeProbe();
    MEASUREITEMSTRUCT other = {};
    other.CtlType = ODT_LISTBOX;
    other.CtlID = 1001;
    other.itemHeight = 13;
    EXPECT_EQ(SendMessageW(probe->hwnd, WM_MEASUREITEM, 1001, reinterpret_cast<LPARAM>(&other)), TRUE);
    EXPECT_EQ(other.itemHeight, 13u);
    MEASUREITEMSTRUCT list = other;
    list.CtlID = 1002;
    EXPECT_EQ(SendMessageW(probe->hwnd, WM_MEASUREITEM, 1002, reinterpret_cast<LPARAM>(&list)), TRUE);
    EXPECT_EQ(list.itemHeight, 35u);
    EXPECT_TRUE(ParentGot(WM_MEASUREITEM).empty());
}

TEST_F(ControlWindowTest, ListNotificationsAndDrawingGoToTheListObject) {
    SimplePanel panel(&host, parentWindow, TestInstance(), RECT{0, 0, 300, 300});
    ProbeList list;
    HWND listWindow =
        CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_NOTIFY, 0, 0, 100, 100, panel.hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)), TestInstance(), nullptr);
    ASSERT_NE(listWindow, nullptr);
    SetWindowLongPtrW(listWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&list));
    LRESULT result = SendMessageW(panel.hwnd, WM_COMMAND, MAKEWPARAM(1002, LBN_DBLCLK),
                                  reinterpret_cast<LPARAM>(listWindow));
    EXPECT_EQ(result, 40 + LBN_DBLCLK);
    EXPECT_EQ(list.codes, (std::vector<int>{LBN_DBLCLK}));
    EXPECT_TRUE(ParentGot(WM_COMMAND).empty());

    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = 1002;
    item.hwndItem = listWindow;
    item.itemID = 4;
    SendMessageW(panel.hwnd, WM_DRAWITEM, 1002, reinterpret_cast<LPARAM>(&item));
    item.itemID = static_cast<UINT>(-1); // an empty list's focus rectangle: nothing to draw
    SendMessageW(panel.hwnd, WM_DRAWITEM, 1002, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(list.drawn, (std::vector<int>{4}));

    // Commands from anything else go on to the parent.
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, panel.hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(77)), TestInstance(), nullptr);
    SendMessageW(panel.hwnd, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    SendMessageW(panel.hwnd, WM_COMMAND, MAKEWPARAM(105, 0), 0);
    auto commands = ParentGot(WM_COMMAND);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].wParam, WPARAM(MAKEWPARAM(77, BN_CLICKED)));
    EXPECT_EQ(commands[1].wParam, WPARAM(MAKEWPARAM(105, 0)));
    SetWindowLongPtrW(listWindow, GWLP_USERDATA, 0);
}

TEST_F(ControlWindowTest, KnobAsksForLeaveTrackingOncePerEntry) {
    auto knob = MakeKnob();
    MoveCursorTo(knob->hwnd, 38, 38);
    // Start from a clean slate: whatever the pointer's arrival asked for is dropped.
    TRACKMOUSEEVENT cancel = {sizeof cancel, TME_CANCEL | TME_LEAVE, knob->hwnd, 0};
    TrackMouseEvent(&cancel);
    knob->trackingLeave = false;

    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 38);
    EXPECT_TRUE(knob->trackingLeave);
    EXPECT_TRUE(LeaveTracked(knob->hwnd));

    // Take the request away behind the knob's back: further moves do not ask again,
    // since the knob believes its request still stands.
    TrackMouseEvent(&cancel);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 39, 38);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 40, 38);
    EXPECT_FALSE(LeaveTracked(knob->hwnd));

    // The leave notification clears the flag; the next move asks again.
    SendMessageW(knob->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(knob->trackingLeave);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 38);
    EXPECT_TRUE(knob->trackingLeave);
    EXPECT_TRUE(LeaveTracked(knob->hwnd));

    // A real departure of the pointer delivers the notification.
    MoveCursorTo(parentWindow, 500, 400);
    EXPECT_TRUE(PumpUntil([&] { return !knob->trackingLeave; }, 3000));
    EXPECT_TRUE(ParentGot(WM_MOUSELEAVE).empty());
}

TEST_F(ControlWindowTest, ActiveAndHighlightedRepaintOnlyOnChange) {
    auto knob = MakeKnob();
    UpdateWindow(parentWindow);
    PumpMessages();
    ValidateRect(parentWindow, nullptr);
    ValidateRect(knob->hwnd, nullptr);

    knob->SetActive(true); // already active
    knob->SetHighlighted(false);
    EXPECT_FALSE(GetUpdateRect(knob->hwnd, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(parentWindow, nullptr, FALSE));

    knob->SetHighlighted(true);
    EXPECT_TRUE(knob->highlighted);
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(knob->hwnd, &dirty, FALSE));
    EXPECT_TRUE(GetUpdateRect(parentWindow, &dirty, FALSE));
    EXPECT_EQ(dirty.left, 62);
    EXPECT_EQ(dirty.top, 42);
    EXPECT_EQ(dirty.right, 139);
    EXPECT_EQ(dirty.bottom, 119);
    ValidateRect(parentWindow, nullptr);
    ValidateRect(knob->hwnd, nullptr);

    knob->SetActive(false);
    EXPECT_FALSE(knob->active);
    EXPECT_TRUE(GetUpdateRect(knob->hwnd, nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(parentWindow, nullptr, FALSE));
}

TEST_F(ControlWindowTest, ControlsWithoutAWindowRepaintNothingElse) {
    // A control whose window is gone (or was never made) has a null handle; setting
    // its value, state or highlight must not invalidate every window on the desktop.
    auto knob = MakeKnob();
    auto slide = MakeSwitch();
    auto button = std::make_unique<ImageToggle>(&host, parentWindow, TestInstance(), 400, 100, IDB_BANK2_OFF,
                                                IDB_BANK2_ON, true, 1201);
    for (HWND window : {knob->hwnd, slide->hwnd, button->hwnd})
        DestroyWindow(window);
    EXPECT_EQ(knob->hwnd, nullptr);
    EXPECT_EQ(button->hwnd, nullptr);
    UpdateWindow(parentWindow);
    PumpMessages();
    ValidateRect(parentWindow, nullptr);

    knob->SetValue(90);
    slide->SetValue(1);
    button->SetValue(1);
    knob->SetHighlighted(true);
    slide->SetActive(false);
    EXPECT_FALSE(GetUpdateRect(parentWindow, nullptr, FALSE));
    EXPECT_EQ(knob->GetValue(), 90);
    EXPECT_EQ(button->GetValue(), 1);
    EXPECT_TRUE(knob->highlighted);
    EXPECT_FALSE(slide->active);
    EXPECT_TRUE(host.changes.empty());
}

TEST_F(ControlWindowTest, InactiveControlsPassAllMouseInputToTheParent) {
    auto knob = MakeKnob();
    auto slide = MakeSwitch();
    auto button = std::make_unique<ImageToggle>(&host, parentWindow, TestInstance(), 400, 100, IDB_BANK2_OFF,
                                                IDB_BANK2_ON, true, 1201);
    knob->SetActive(false);
    slide->SetActive(false);
    button->SetActive(false);
    PumpMessages();
    TestWindow::clearReceived();
    const UINT buttons[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE,   WM_LBUTTONUP, WM_RBUTTONDOWN,
                            WM_RBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP};
    for (CustomControl* control :
         {static_cast<CustomControl*>(knob.get()), static_cast<CustomControl*>(slide.get()),
          static_cast<CustomControl*>(button.get())}) {
        for (UINT message : buttons)
            SendMouse(control->hwnd, message, 5, 6);
        SendMessageW(control->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(7, 8));
        EXPECT_EQ(GetCapture(), nullptr);
    }
    for (UINT message : buttons) {
        auto got = ParentGot(message);
        ASSERT_EQ(got.size(), 3u) << std::hex << message;
        EXPECT_EQ(PointOf(got[0].lParam).x, 67);
        EXPECT_EQ(PointOf(got[0].lParam).y, 48);
        EXPECT_EQ(PointOf(got[1].lParam).x, 305);
        EXPECT_EQ(PointOf(got[2].lParam).x, 405);
    }
    EXPECT_EQ(ParentGot(WM_MOUSEWHEEL).size(), 3u);
    SendMessageW(knob->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(ParentGot(WM_KEYDOWN).size(), 1u);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(knob->GetValue(), 0);
    EXPECT_EQ(slide->GetValue(), 0);
    EXPECT_EQ(button->GetValue(), 0);

    // Active again, they take the mouse.
    knob->SetActive(true);
    SendMouse(knob->hwnd, WM_LBUTTONDOWN, 38, 38, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_MOUSEMOVE, 38, 0, MK_LBUTTON);
    SendMouse(knob->hwnd, WM_LBUTTONUP, 38, 0);
    EXPECT_EQ(knob->GetValue(), 54);
}

} // namespace
