#pragma once

// Arithmetic of moving a panel that may be larger than its parent.

// One axis of a panel of `size` inside a parent of `parentSize`: never a gap on the
// left or top, never one on the right or bottom when the panel is the larger.
int ClampPanAxis(int position, int size, int parentSize);

// Pixels one wheel turn of `delta` moves the panel (one notch of 120 gives 12,
// 24 with Ctrl, 6 with Shift; Ctrl wins over Shift).
int WheelScrollPixels(int delta, bool control, bool shift);
