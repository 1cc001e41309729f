#include "controls/CustomControl.h"

#include "controls/ControlAccessible.h"
#include "controls/KnobMath.h"
#include "controls/ListControl.h"
#include "controls/UnitFormat.h"

#include <oleacc.h>
#include <windowsx.h>

namespace {

unsigned gBatch = 0;     // the batch in progress
unsigned gLastBatch = 0; // numbers are not reused, so an old mark never matches
int gBatchDepth = 0;
unsigned gPresses = 0;
bool gFocusRings = false;

} // namespace

static CustomControl* ControlOf(HWND hwnd);

unsigned CustomControl::Presses() {
    return gPresses;
}

RepaintBatch::RepaintBatch() {
    if (gBatchDepth++ != 0)
        return;
    if (++gLastBatch == 0)
        ++gLastBatch;
    gBatch = gLastBatch;
}

RepaintBatch::~RepaintBatch() {
    if (--gBatchDepth == 0)
        gBatch = 0;
}

unsigned RepaintBatch::Current() {
    return gBatch;
}

CustomControl::CustomControl(IHost* controlHost, const wchar_t* windowClass, int id, const RECT& area)
    : rect(area), className(windowClass), host(controlHost), controlId(id) {}

CustomControl::~CustomControl() {
    if (accessible) {
        // A screen reader may hold the object longer: from now on it answers that it is gone.
        accessible->Detach();
        accessible->Release();
    }
    // The window may outlive the object; from now on it gets default processing only.
    if (hwnd && reinterpret_cast<CustomControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) == this)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void CustomControl::CreateControlWindow(HWND parent, HINSTANCE instance) {
    hwnd = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance, this);
}

const wchar_t* CustomControl::FormatValue(int value) {
    return FormatUnitValue(GetUnits(), value);
}

int CustomControl::GetUnits() {
    return 0;
}
int CustomControl::GetValue() {
    return 0;
}

void CustomControl::Show(bool show) {
    ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

void CustomControl::SetScale(double) {}
void CustomControl::OnPaint() {
    // Nothing of its own to draw: BeginPaint has the background erased with the class's
    // brush, as the default handling of WM_PAINT does.
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
}

bool CustomControl::DrawnByPanel() const {
    return false;
}

void CustomControl::DrawAt(HDC, POINT) {}

void CustomControl::PrepareScale(double, std::vector<std::function<void(int)>>&) {}

bool CustomControl::OnLButtonDown(int, int) {
    return false;
}
bool CustomControl::OnRButtonDown(int, int) {
    return false;
}
bool CustomControl::OnMButtonDown(int, int) {
    return false;
}
bool CustomControl::OnLButtonUp(int, int) {
    return false;
}
bool CustomControl::OnRButtonUp(int, int) {
    return false;
}
bool CustomControl::OnMButtonUp(int, int) {
    return false;
}

bool CustomControl::OnMouseMove(int, int) {
    RequestLeaveTracking();
    return false;
}

bool CustomControl::OnMouseLeave() {
    trackingLeave = false;
    return false;
}

bool CustomControl::OnMouseWheel(int, int, int, int) {
    return false;
}
bool CustomControl::OnCaptureLost(bool) {
    return false;
}
bool CustomControl::OnKeyDown(int) {
    return false;
}
void CustomControl::OnTimer(int) {}
bool CustomControl::OnReserved1(int) {
    return false;
}
bool CustomControl::OnReserved2(int) {
    return false;
}

long CustomControl::AccessibleRole() {
    return ROLE_SYSTEM_CLIENT;
}
std::wstring CustomControl::AccessibleName() {
    return accessibleName;
}
std::wstring CustomControl::AccessibleValue() {
    return L"";
}
long CustomControl::AccessibleState() {
    long state = STATE_SYSTEM_FOCUSABLE;
    if (focused)
        state |= STATE_SYSTEM_FOCUSED;
    if (!active)
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

void CustomControl::NotifyAccessible(DWORD event) const {
    if (hwnd)
        NotifyWinEvent(event, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CustomControl::AccessibleObject(WPARAM flags) {
    if (!accessible)
        accessible = new ControlAccessible(this);
    return accessible->Answer(flags);
}

void CustomControl::OnFocusChanged() {
    InvalidateParentArea();
    InvalidateOwnWindow();
}

void CustomControl::ShowFocusRings(bool show) {
    if (show == gFocusRings)
        return;
    gFocusRings = show;
    // Only the window with the focus draws a ring; windows of other classes keep other
    // things in their user data (tooltips subclass ours, so the class is asked).
    HWND focus = GetFocus();
    if (!focus || GetClassLongPtrW(focus, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(CustomControlWndProc))
        return;
    if (CustomControl* control = ControlOf(focus); control && control->focused)
        control->OnFocusChanged();
}

bool CustomControl::FocusRingsShown() {
    return gFocusRings;
}

void CustomControl::DrawFocusRing(HDC dc, const RECT& area) const {
    if (!focused || !gFocusRings)
        return;
    HBRUSH ring = CreateSolidBrush(kFocusRingColour);
    RECT edge = area;
    for (int i = 0; i < 2; ++i) {
        FrameRect(dc, &edge, ring);
        InflateRect(&edge, -1, -1);
    }
    DeleteObject(ring);
}

bool CustomControl::ControlKeyOf(int virtualKey, ControlKey& key) {
    switch (virtualKey) {
    case VK_UP:
    case VK_RIGHT:
        key = ControlKey::Up;
        return true;
    case VK_DOWN:
    case VK_LEFT:
        key = ControlKey::Down;
        return true;
    case VK_PRIOR:
        key = ControlKey::PageUp;
        return true;
    case VK_NEXT:
        key = ControlKey::PageDown;
        return true;
    case VK_HOME:
        key = ControlKey::Home;
        return true;
    case VK_END:
        key = ControlKey::End;
        return true;
    case VK_SPACE:
        key = ControlKey::Space;
        return true;
    default:
        return false;
    }
}

void CustomControl::RequestLeaveTracking() {
    if (controlId == 0 || trackingLeave || !hwnd)
        return;
    trackingLeave = true;
    TRACKMOUSEEVENT request = {};
    request.cbSize = sizeof request;
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = hwnd;
    request.dwHoverTime = 0;
    TrackMouseEvent(&request);
}

void CustomControl::InvalidateParentArea() {
    HWND parent = GetParent(hwnd);
    RECT screen;
    if (!parent || !GetWindowRect(hwnd, &screen))
        return;
    POINT topLeft = {screen.left, screen.top};
    ScreenToClient(parent, &topLeft);
    RECT area = {topLeft.x, topLeft.y, topLeft.x + (screen.right - screen.left),
                 topLeft.y + (screen.bottom - screen.top)};
    InvalidateRect(parent, &area, FALSE);
}

void CustomControl::SetActive(bool isActive) {
    if (isActive == active)
        return;
    active = isActive;
    InvalidateParentArea();
    InvalidateOwnWindow();
}

void CustomControl::SetHighlighted(bool isHighlighted) {
    if (isHighlighted == highlighted)
        return;
    highlighted = isHighlighted;
    InvalidateParentArea();
    InvalidateOwnWindow();
}

void CustomControl::InvalidateOwnWindow() {
    // A null handle would make InvalidateRect repaint every window on the desktop;
    // the handle is null when creation failed or the window went with its parent.
    if (!hwnd)
        return;
    // Within a batch, a window invalidated since its last paint is still invalid.
    const unsigned batch = RepaintBatch::Current();
    if (batch != 0 && invalidatedInBatch == batch)
        return;
    InvalidateRect(hwnd, nullptr, FALSE);
    invalidatedInBatch = batch;
}

void CustomControl::ForwardToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND parent = GetParent(window);
    if (!parent)
        return;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window, &point);
        ScreenToClient(parent, &point);
        lParam = MAKELPARAM(point.x & 0xFFFF, point.y & 0xFFFF);
        break;
    }
    default:
        // Both wheels carry screen coordinates, which mean the same to the parent, so
        // the horizontal wheel's point is not converted like a client point either.
        break;
    }
    SendMessageW(parent, message, wParam, lParam);
}

static CustomControl* ControlOf(HWND hwnd) {
    return reinterpret_cast<CustomControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Whether the window has a border, caption or scroll bar around its client area.
static bool HasFrame(HWND hwnd) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    return (style & (WS_CAPTION | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) != 0 ||
           (extended & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) != 0;
}

// What a new size redraws by the window class, as the default handling of
// WM_NCCALCSIZE answers it.
static LRESULT RedrawFlagsOfClass(HWND hwnd) {
    const auto style = static_cast<DWORD>(GetClassLongPtrW(hwnd, GCL_STYLE));
    return ((style & CS_HREDRAW) != 0 ? WVR_HREDRAW : 0) | ((style & CS_VREDRAW) != 0 ? WVR_VREDRAW : 0);
}

static ListControl* ListOf(HWND listWindow) {
    return listWindow ? reinterpret_cast<ListControl*>(GetWindowLongPtrW(listWindow, GWLP_USERDATA))
                      : nullptr;
}

LRESULT CALLBACK CustomControlWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (create && create->lpCreateParams)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    CustomControl* control = ControlOf(hwnd);
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    bool forward = false;
    switch (message) {
    case WM_NCDESTROY:
        // The object may outlive its window (the parent went first).
        if (control) {
            control->hwnd = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        break;
    case WM_NCPAINT:
        // A control has no border or scroll bar, so there is no frame to draw; the
        // default handling would still take a window DC from the shared cache for it,
        // which every move of the front panel must then let go of.
        return 0;
    case WM_NCCALCSIZE:
        // Nor has it a frame to take from its client area, which is then the whole
        // window, as the default handling finds after measuring the system's caption and
        // menu fonts: under Wine some 40 us at every move of every control.
        if (!HasFrame(hwnd))
            return wParam ? RedrawFlagsOfClass(hwnd) : 0;
        break;
    case WM_PAINT:
        if (control) {
            control->invalidatedInBatch = 0;
            // The control validates what it paints: the default handling would begin and
            // end an empty paint once more, under Wine four requests to its server.
            control->OnPaint();
            return 0;
        }
        break;
    case WM_CANCELMODE:
        forward = control && control->OnCaptureLost(true);
        break;
    case WM_CAPTURECHANGED:
        forward = control && control->OnCaptureLost(false);
        break;
    case WM_KEYDOWN:
        CustomControl::ShowFocusRings(true);
        forward = control && control->OnKeyDown(static_cast<int>(wParam));
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The system tells screen readers of the focus itself (EVENT_OBJECT_FOCUS).
        if (control && control->controlId != 0) {
            control->focused = message == WM_SETFOCUS;
            control->OnFocusChanged();
        }
        break;
    case WM_GETOBJECT:
        if (control && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT))
            return control->AccessibleObject(wParam);
        break;
    case WM_TIMER:
        if (control)
            control->OnTimer(static_cast<int>(wParam));
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        forward = true;
        break;
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
    case WM_MOUSEMOVE:
        if (control) {
            control->RequestLeaveTracking();
            forward = control->OnMouseMove(x, y);
        }
        break;
    case WM_LBUTTONDOWN:
        CustomControl::ShowFocusRings(false);
        ++gPresses;
        forward = control && control->OnLButtonDown(x, y);
        break;
    case WM_RBUTTONDOWN:
        forward = control && control->OnRButtonDown(x, y);
        break;
    case WM_MBUTTONDOWN:
        ++gPresses;
        forward = control && control->OnMButtonDown(x, y);
        break;
    case WM_LBUTTONUP:
        forward = control && control->OnLButtonUp(x, y);
        break;
    case WM_RBUTTONUP:
        forward = control && control->OnRButtonUp(x, y);
        break;
    case WM_MBUTTONUP:
        forward = control && control->OnMButtonUp(x, y);
        break;
    case WM_MOUSEWHEEL:
        if (control &&
            control->OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), x, y)) {
            // The default procedure would hand the wheel to the parent a second time.
            CustomControl::ForwardToParent(hwnd, message, wParam, lParam);
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        forward = control && control->OnMouseLeave();
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlID == kListControlId && item->itemID != static_cast<UINT>(-1)) {
            if (ListControl* list = ListOf(item->hwndItem))
                list->DrawItem(*item);
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlID == kListControlId)
            item->itemHeight = 35;
        return TRUE;
    }
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(lParam);
        if (from && GetDlgCtrlID(from) == kListControlId) {
            ListControl* list = ListOf(from);
            return list ? list->OnNotification(HIWORD(wParam)) : 0;
        }
        forward = true;
        break;
    }
    default:
        // WM_MOUSEHWHEEL among them: nothing scrolls sideways, so the horizontal
        // wheel is left to the default procedure.
        break;
    }
    if (forward)
        CustomControl::ForwardToParent(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterControlClass(HINSTANCE instance, const wchar_t* name, HBRUSH background) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    // The windows of a class share one DC of their own, so that a move of the front
    // panel only marks the controls' DCs for a new visible region: DCs from the shared
    // cache would all be let go of, some 6 ms under Wine for 60 controls at every step
    // of a rescale. Controls are painted one at a time on the program's one thread, each
    // between BeginPaint and EndPaint, leaving the DC as they found it.
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_CLASSDC;
    windowClass.lpfnWndProc = CustomControlWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}
