#pragma once

// The position of a slide switch with `positions` positions (2 to 4) and height
// `height` under the pointer height y: the top of the switch is the highest position,
// heights above the window give the highest and below it 0.
int TogglePositionFromY(int positions, int height, int y);
