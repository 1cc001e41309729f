#pragma once

#include <windows.h>

// The mouse as a person uses it, through the system's input queue: tests of whole
// windows, in this process or in another one on the same Wine desktop.

// Moves the pointer to a screen point and waits until it stays there.
void MovePointerTo(POINT screen);

// Presses or releases the left button where the pointer is.
void PressLeftButton();
void ReleaseLeftButton();

// Two clicks at a screen point, within the double-click time.
void DoubleClickAt(POINT screen);

// The centre of a window, in screen coordinates.
POINT CentreOf(HWND window);
