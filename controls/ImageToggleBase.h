#pragma once

#include "controls/CustomControl.h"

#include <memory>
#include <vector>

class BlendedPicture;

// What the slide switches and push buttons share: one whole bitmap per position,
// position 0 at the bottom, the window sized to the highest position's bitmap.
// A slide switch follows the pointer's height while the left button is held; a push
// button (clickToggles) flips between its two positions at every press.
class ImageToggleBase : public CustomControl {
  public:
    ~ImageToggleBase() override;

    // Sets the position from the program: stored as it comes, repainted, the host is
    // not told.
    void SetValue(int newValue);

    int GetUnits() override;
    int GetValue() override;
    void SetScale(double factor) override;
    void OnPaint() override;
    bool DrawnByPanel() const override;
    void DrawAt(HDC dc, POINT origin) override;
    bool OnLButtonDown(int x, int y) override;
    bool OnRButtonDown(int x, int y) override;
    bool OnMButtonDown(int x, int y) override;
    bool OnLButtonUp(int x, int y) override;
    bool OnRButtonUp(int x, int y) override;
    bool OnMButtonUp(int x, int y) override;
    bool OnMouseMove(int x, int y) override;
    bool OnMouseWheel(int delta, int keys, int x, int y) override;
    bool OnCaptureLost(bool cancelMode) override;
    // With the focus, Up and Down move a lever and Space flips a two-position switch or
    // presses a button.
    bool OnKeyDown(int virtualKey) override;
    // A push button, a two-position switch as a check button, more positions as a group
    // whose value is the legend of the position.
    long AccessibleRole() override;
    std::wstring AccessibleValue() override;
    long AccessibleState() override;

    // The position under the pointer height y.
    int PositionFromY(int y) const;
    int PositionCount() const { return static_cast<int>(stateResources.size()); }

    HINSTANCE instance;
    std::vector<WORD> stateResources;                         // bitmap of each position
    std::vector<std::shared_ptr<BlendedPicture>> stateImages; // at the current scale, shared; may be null
    int imageWidth = 0; // size of the position images at the current scale, and of the window
    int imageHeight = 0;
    int value = 0;
    bool pressed = false;
    bool clickToggles;
    std::vector<std::wstring> positionNames; // bottom first; empty: "Off" and "On"

  protected:
    // Loads the images and creates the window at (x, y) sized to the last position's image.
    ImageToggleBase(IHost* controlHost, HWND parent, HINSTANCE module, int x, int y,
                    std::vector<WORD> resources, bool flipsOnPress, int id, const wchar_t* windowClass);

  private:
    void ChangeByUser(int position);
    void Press(); // a push button's press: flips, and the host is told
};
