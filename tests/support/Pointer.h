#pragma once

#include <windows.h>

#include <vector>

// The mouse and the keyboard as a person uses them, through the system's input queue:
// tests of whole windows, in this process or in another one on the same Wine desktop.

void MovePointerTo(POINT screen); // and waits until the pointer stays there
void PressLeftButton();           // where the pointer is
void ReleaseLeftButton();
void DoubleClickAt(POINT screen); // two clicks within the double-click time
POINT CentreOf(HWND window);      // in screen coordinates
// Types a key with modifiers held: all down in order, then up in reverse.
void Type(const std::vector<WORD>& keys);
