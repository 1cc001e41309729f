#pragma once

#include "controls/CustomControl.h"

class KnobSprites;

// A rotary control showing one frame of the shared sprite strip for its value. The
// left button drags it, vertically or by pointing around it (the knob mode setting);
// the right button or Escape during a drag returns to the value at the press. A click
// gives it the keyboard focus, and with the focus the arrow, page, Home and End keys
// turn it.
class Knob : public CustomControl {
  public:
    // A knob of range 0..maxValue centred on (x, y) in the parent's client coordinates.
    Knob(IHost* controlHost, HWND parent, HINSTANCE instance, int x, int y, int maximum, int id);
    ~Knob() override;

    // Registers the "KNOB" class and creates the shared sprites from bitmaps 136 and 137.
    // Repeated calls keep the sprites already made.
    static void ModuleStartup(HINSTANCE instance);
    // The shared sprites; null before ModuleStartup.
    static KnobSprites* Sprites();
    // Side of one sprite frame at the current scale (67 at natural size); the window is
    // a square of FrameSize() + 10 centred on the knob's position.
    static int FrameSize();
    // Top-left corner of the window of a knob centred on (x, y).
    static POINT WindowOrigin(int x, int y);

    // Sets the value from the program: clamped, repainted, the host is not told.
    void SetValue(int newValue);

    int GetUnits() override;
    int GetValue() override;
    void SetScale(double factor) override;
    void OnPaint() override;
    bool DrawnByPanel() const override;
    void DrawAt(HDC dc, POINT origin) override;
    void PrepareScale(double factor, std::vector<std::function<void(int lane)>>& work) override;
    bool OnLButtonDown(int x, int y) override;
    bool OnRButtonDown(int x, int y) override;
    bool OnMButtonDown(int x, int y) override;
    bool OnLButtonUp(int x, int y) override;
    bool OnRButtonUp(int x, int y) override;
    bool OnMButtonUp(int x, int y) override;
    bool OnMouseMove(int x, int y) override;
    bool OnMouseWheel(int delta, int keys, int x, int y) override;
    bool OnCaptureLost(bool cancelMode) override;
    bool OnKeyDown(int virtualKey) override;
    long AccessibleRole() override;          // a slider
    std::wstring AccessibleValue() override; // the value's text

    // The sprite frame the current value shows.
    int CurrentFrame() const;

    int minValue = 0;
    int maxValue;
    int firstFrame = 0;
    int lastFrame = 126;
    int value = 0;
    int units = 1;
    int dragStartX = 0;
    int dragStartY = 0;
    int dragStartValue = 0;
    bool dragging = false;
    bool rightCaptured = false;

  private:
    // Stores a user's value and tells the host; `candidate` may lie past an end.
    void ChangeByUser(int candidate);
    void RevertDrag(); // ends the drag at the value of the press
};
