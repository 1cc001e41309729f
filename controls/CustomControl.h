#pragma once

#include "controls/IDisplayUnits.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ControlAccessible;
class IHost;
enum class ControlKey;

// The base of every control window: the object behind one child window, served by
// CustomControlWndProc, which turns window messages into the virtual handlers below.
// A handler that returns true passes its message on to the parent window.
class CustomControl : public IDisplayUnits {
  public:
    CustomControl(const CustomControl&) = delete;
    CustomControl& operator=(const CustomControl&) = delete;

    const wchar_t* FormatValue(int value) override; // the text of `value` under GetUnits()
    ~CustomControl() override;                      // the window is not destroyed here

    virtual int GetUnits();               // unit kind of the value text; 0 = none
    virtual int GetValue();               // current value; 0 for controls without one
    virtual void Show(bool show);         // shows or hides the window
    virtual void SetScale(double factor); // re-renders the artwork at factor x natural size
    // Paints the window between BeginPaint and EndPaint, which validate it; by default
    // only the background is erased.
    virtual void OnPaint();
    // Whether the front panel draws this control in its own paint, by DrawAt: after a
    // rescale, one window is painted instead of sixty.
    virtual bool DrawnByPanel() const;
    // Draws the control into `dc` with its top left at `origin`, as its own paint does.
    virtual void DrawAt(HDC dc, POINT origin);
    // Adds to `work` what the control will need to be drawn at `factor`, for the panel
    // to have it done on two threads while the windows move (a knob's frame). Nothing
    // may draw the control until that work is finished. Adds nothing by default.
    virtual void PrepareScale(double factor, std::vector<std::function<void(int lane)>>& work);
    virtual bool OnLButtonDown(int x, int y);
    virtual bool OnRButtonDown(int x, int y);
    virtual bool OnMButtonDown(int x, int y);
    virtual bool OnLButtonUp(int x, int y);
    virtual bool OnRButtonUp(int x, int y);
    virtual bool OnMButtonUp(int x, int y);
    virtual bool OnMouseMove(int x, int y);
    virtual bool OnMouseLeave();
    virtual bool OnMouseWheel(int delta, int keys, int x, int y); // x, y in screen coordinates
    virtual bool OnCaptureLost(bool cancelMode); // cancelMode: WM_CANCELMODE rather than WM_CAPTURECHANGED
    virtual bool OnKeyDown(int virtualKey);
    virtual void OnTimer(int timerId);
    virtual bool OnReserved1(int argument); // no message reaches these two
    virtual bool OnReserved2(int argument);

    // What a screen reader is told (MSAA roles and states): a control names itself by
    // accessibleName and has no value unless it says otherwise.
    virtual long AccessibleRole();
    virtual std::wstring AccessibleName();
    virtual std::wstring AccessibleValue();
    virtual long AccessibleState();
    // Tells a screen reader that the control changed (EVENT_OBJECT_VALUECHANGE, say).
    void NotifyAccessible(DWORD event) const;
    // The answer to WM_GETOBJECT for the client area.
    LRESULT AccessibleObject(WPARAM flags);

    // Invalidates, without erasing, the parent's area under this control.
    void InvalidateParentArea();
    // Change the flag and repaint the parent's area and the control; equal values do nothing.
    void SetActive(bool isActive);
    void SetHighlighted(bool isHighlighted);
    // Invalidates the whole window without erasing; nothing when there is no window.
    void InvalidateOwnWindow();
    // Asks for one WM_MOUSELEAVE unless one is pending or the control has no identifier.
    void RequestLeaveTracking();
    // Draws the ring that shows the keyboard focus just inside `area`, when the control
    // has it and rings are shown.
    void DrawFocusRing(HDC dc, const RECT& area) const;
    // As Windows does, the focus ring shows once the keyboard is used and hides at a
    // click; Tab shows it too.
    static void ShowFocusRings(bool show);
    static bool FocusRingsShown();
    // The key of a control with the focus that `virtualKey` is; false for other keys.
    static bool ControlKeyOf(int virtualKey, ControlKey& key);

    // How many times a mouse button went down on a control: a drag is the changes made
    // while the count stays the same and a control holds the mouse.
    static unsigned Presses();

    // Sends `message` to the parent of `window`, with mouse points translated into the
    // parent's client coordinates.
    static void ForwardToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    RECT rect;                   // rectangle in the parent's client coordinates at construction
    HWND hwnd = nullptr;         // the control's window; null until creation returns
    const wchar_t* className;    // window class of this control
    IHost* host;                 // receives value changes; not owned
    int controlId;               // reported with every value change; 0 for panels
    bool active = true;          // false: paints nothing and passes mouse input on
    bool highlighted = false;    // a knob draws a yellow frame
    bool trackingLeave = false;  // a leave notification is requested and not yet delivered
    bool focused = false;        // the control has the keyboard focus
    std::wstring accessibleName; // "Filter: CUTOFF"; empty for none
    unsigned invalidatedInBatch =
        0; // the RepaintBatch that invalidated the window; 0: none since its last paint

    // The focus came or went: the control and the panel under its ring are drawn again.
    virtual void OnFocusChanged();

  protected:
    CustomControl(IHost* controlHost, const wchar_t* windowClass, int id, const RECT& area);
    // Creates the window with this object as creation parameter. Concrete classes call
    // it last in their constructor, so the window never sees a half-built object.
    void CreateControlWindow(HWND parent, HINSTANCE instance);

  private:
    ControlAccessible* accessible = nullptr; // made at the first WM_GETOBJECT; one reference held
};

// The colour of the ring around the control with the keyboard focus: plain on the
// panel's black and on the controls' grey.
constexpr COLORREF kFocusRingColour = RGB(64, 192, 255);

// SetWindowPos flags for a move within a rescale of the front panel: nothing is drawn,
// erased or copied, as the panel and all it holds are drawn anew once everything has moved.
constexpr UINT kMoveWithoutDrawing =
    SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS | SWP_DEFERERASE;

// While one lives, a control that changes again and again (every patch of a bank load)
// is invalidated at its first change only: the window is drawn once, when messages are
// next dispatched, as it would be after every change. Batches may nest; the outermost
// one counts.
class RepaintBatch {
  public:
    RepaintBatch();
    ~RepaintBatch();
    RepaintBatch(const RepaintBatch&) = delete;
    RepaintBatch& operator=(const RepaintBatch&) = delete;

    // The batch in progress; 0 when there is none.
    static unsigned Current();
};

// The window procedure of every control class.
LRESULT CALLBACK CustomControlWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the control class `name` with CustomControlWndProc, the arrow cursor and
// `background` (null: nothing is erased). A class already registered is left as it is.
void RegisterControlClass(HINSTANCE instance, const wchar_t* name, HBRUSH background);
