#pragma once

#include <windows.h>

class ImageToggleBase;

// What the three switch parameters do alike with their toggle control.

// The middle of the toggle's window placed at `origin`: halves of its client size,
// truncated. A toggle without a window has its centre at the origin.
POINT ToggleCenter(ImageToggleBase* toggle, POINT origin);

// Moves the toggle's window to top-left (x, y), sized to its images at the current scale.
void MoveToggle(ImageToggleBase* toggle, int x, int y);
