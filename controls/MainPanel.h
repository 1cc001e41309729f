#pragma once

#include "controls/CustomControl.h"

#include <memory>
#include <vector>

struct PictureJob;

// The front panel: bitmap 129 drawn at the current scale, the parent of every control,
// the patch list and the status panel. The middle button pans it and the wheel
// scrolls it when it is larger than its parent.
class MainPanel : public CustomControl {
  public:
    // Loads bitmap 129 and creates the window at the rectangle's top-left corner with
    // the bitmap's size (the rectangle's own size when the bitmap cannot be loaded).
    MainPanel(IHost* controlHost, HWND parent, HINSTANCE module, const RECT& area);
    ~MainPanel() override;

    // Starts redrawing the bitmap at factor x natural size on a thread of its own and
    // puts the window at (0, 0) in its parent with that size, drawing nothing; a pan
    // offset is lost. The new picture is shown from FinishScale, or the next paint.
    void SetScale(double factor) override;
    // Draws what its thread has not yet begun of the picture SetScale started, waits
    // for the rest and takes it.
    void FinishScale();
    void OnPaint() override;
    // Takes the windows of the controls it draws out of the next repaint: the window just
    // shown is painted as one, not as sixty.
    void ValidateControls();
    bool OnLButtonDown(int x, int y) override; // passed on to the main window
    bool OnMButtonDown(int x, int y) override; // starts a pan
    bool OnMButtonUp(int x, int y) override;
    bool OnMouseMove(int x, int y) override;
    bool OnMouseWheel(int delta, int keys, int x, int y) override;
    bool OnCaptureLost(bool cancelMode) override;

    // Starts drawing bitmap 129 of `module` `width` pixels wide on a thread of its own,
    // for the window to be made next: the first picture its panel needs at that size is
    // then taken over instead of drawn again. Call it once, before the panel is made.
    static void PrepareFirstPicture(HINSTANCE module, int width);

    // Moves the window to (x, y) in its parent, clamped so that it covers the parent.
    void MoveClamped(int x, int y, int width, int height);
    // The window's top-left corner in its parent's client coordinates.
    POINT PositionInParent() const;

    HINSTANCE instance;
    int resource;
    HBITMAP imageHandle = nullptr; // the panel at the current scale, blitted where a repaint needs it;
                                   // null when it did not load
    RECT dragWindowRect = {0, 0, 0, 0};
    POINT dragCursorStart = {0, 0};
    POINT dragWindowStart = {0, 0};
    int currentWidth = 0;
    int currentHeight = 0;
    int naturalWidth = 0;
    int naturalHeight = 0;
    bool panning = false;
    // The knobs and switches on the panel, which it draws in its own paint (DrawAt) over the
    // picture: after a rescale or a show, one window is painted instead of sixty. Their
    // windows are left out of such a repaint. Not owned.
    std::vector<CustomControl*> drawnControls;

  private:
    void StartRender(double factor); // the picture at factor x natural size, to be finished
    void ReleaseImage();
    bool hasPicture = false; // bitmap 129 loaded; read anew from the program file for each scale
    double scale = 1.0;
    std::unique_ptr<PictureJob> pending; // the picture being drawn
};
