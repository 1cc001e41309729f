#pragma once

// The arithmetic of a knob, apart from any window: which sprite frame a value shows
// and which value a drag points at.

// How far the pointer must travel for the whole range in a vertical drag.
enum class DragPace { Normal, Fine, Coarse };

// `value` limited to [minValue, maxValue].
int ClampKnobValue(int value, int minValue, int maxValue);

// The sprite frame for `value`: firstFrame at minValue, lastFrame at maxValue.
int KnobFrame(int value, int minValue, int maxValue, int firstFrame, int lastFrame);

// Vertical mode: the value after moving from startY to y (moving up raises it). The
// result is not clamped, so a drag past an end can be told from one that stops there.
int VerticalDragValue(int startY, int y, int startValue, int minValue, int maxValue, DragPace pace);

// Rotary mode: the value the pointer (x, y) points at around the centre of the client
// rectangle (left, top, right, bottom); the dead zone around straight down gives the
// nearer end. Always within [minValue, maxValue].
int RotaryDragValue(int x, int y, int left, int top, int right, int bottom, int firstFrame, int lastFrame,
                    int minValue, int maxValue);

// The keys that turn a control with the focus.
enum class ControlKey { Up, Down, PageUp, PageDown, Home, End, Space };

// The value a key gives a knob: Up and Down one step (4 with `larger`), Page Up and Page
// Down a tenth of the range (at least 1), Home and End the ends. Clamped; other keys keep
// the value.
int KnobKeyValue(ControlKey key, bool larger, int value, int minValue, int maxValue);
