#pragma once

// The position of a slide switch with `positions` positions (2 to 4) and height
// `height` under the pointer height y: the top of the switch is the highest position,
// heights above the window give the highest and below it 0.
int TogglePositionFromY(int positions, int height, int y);

enum class ControlKey;

// The position a key gives a switch of `positions` positions at `value`: Up and Down move
// the lever one position, within its travel; Space flips a two-position switch. Other keys
// keep the position.
int ToggleKeyPosition(ControlKey key, int positions, int value);
