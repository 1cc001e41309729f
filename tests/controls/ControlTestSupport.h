#pragma once

#include "tests/support/FakeHost.h"
#include "tests/support/Pixels.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

// What the control tests share: the control classes registered as the application
// registers them, a parent window that logs what reaches it, a recording host, real
// mouse and keyboard messages, and pixels read back from windows and resources.

HINSTANCE TestInstance();

// Sends a mouse message to `window` with a point in its client coordinates.
LRESULT SendMouse(HWND window, UINT message, int x, int y, WPARAM keys = 0);

// Presses or releases a key through the system's input queue, so that the
// asynchronous key state changes as it does when a person holds the key.
void PressKey(WORD virtualKey);
void ReleaseKey(WORD virtualKey);

// Where the parent of the control tests sits on the screen.
constexpr int kParentLeft = 50;
constexpr int kParentTop = 30;

// A control test: a 640 x 480 parent window at (kParentLeft, kParentTop), a host that records value changes,
// vertical knob dragging, natural scale and no keys held.
class ControlTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The messages of one kind that reached the parent, in order.
    std::vector<TestWindow::Received> ParentGot(UINT message) const;

    FakeHost host;
    HWND parentWindow = nullptr; // lives as long as the program; its children go after each test
};
