#include "controls/ControlAccessible.h"

#include "controls/CustomControl.h"

#include <string>

namespace {

// Spelled out here: in a static link the import library's copies of these are not
// usable data.
const IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const IID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

void Integer(VARIANT* out, long value) {
    out->vt = VT_I4;
    out->lVal = value;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

} // namespace

ControlAccessible::ControlAccessible(CustomControl* owner) : control(owner) {}

void ControlAccessible::Detach() {
    control = nullptr;
}

LRESULT ControlAccessible::Answer(WPARAM flags) {
    // COM carries the object to another process; the first question starts it on this thread.
    static const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)comReady;
    return LresultFromObject(kIAccessible, flags, static_cast<IAccessible*>(this));
}

HRESULT ControlAccessible::Check(const VARIANT& child) const {
    if (!control || !control->hwnd)
        return RPC_E_DISCONNECTED;
    return IsSelf(child) ? S_OK : E_INVALIDARG;
}

HRESULT ControlAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, kIUnknown) || IsEqualIID(riid, kIDispatch) || IsEqualIID(riid, kIAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ControlAccessible::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG ControlAccessible::Release() {
    const LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT ControlAccessible::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}
HRESULT ControlAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}
HRESULT ControlAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT ControlAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT ControlAccessible::get_accParent(IDispatch** parent) {
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    if (!control || !control->hwnd)
        return RPC_E_DISCONNECTED;
    // The client area's parent is the control's own window, as the system models it.
    return CreateStdAccessibleObject(control->hwnd, OBJID_WINDOW, kIDispatch,
                                     reinterpret_cast<void**>(parent));
}

HRESULT ControlAccessible::get_accChildCount(long* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return control ? S_OK : RPC_E_DISCONNECTED;
}

HRESULT ControlAccessible::get_accChild(VARIANT, IDispatch** dispatch) {
    if (dispatch)
        *dispatch = nullptr;
    return control ? E_INVALIDARG : RPC_E_DISCONNECTED;
}

HRESULT ControlAccessible::get_accName(VARIANT child, BSTR* name) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : Text(control->AccessibleName(), name);
}

HRESULT ControlAccessible::get_accValue(VARIANT child, BSTR* value) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : Text(control->AccessibleValue(), value);
}

HRESULT ControlAccessible::get_accDescription(VARIANT child, BSTR* text) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : Text(L"", text);
}

HRESULT ControlAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role)
        return E_POINTER;
    const HRESULT checked = Check(child);
    if (checked != S_OK)
        return checked;
    Integer(role, control->AccessibleRole());
    return S_OK;
}

HRESULT ControlAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state)
        return E_POINTER;
    const HRESULT checked = Check(child);
    if (checked != S_OK)
        return checked;
    long value = control->AccessibleState();
    if (!IsWindowVisible(control->hwnd))
        value |= STATE_SYSTEM_INVISIBLE;
    Integer(state, value);
    return S_OK;
}

HRESULT ControlAccessible::get_accHelp(VARIANT child, BSTR* text) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : Text(L"", text);
}

HRESULT ControlAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return control ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT ControlAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* text) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : Text(L"", text);
}

HRESULT ControlAccessible::get_accFocus(VARIANT* child) {
    if (!child)
        return E_POINTER;
    child->vt = VT_EMPTY;
    if (!control || !control->hwnd)
        return RPC_E_DISCONNECTED;
    if (GetFocus() == control->hwnd)
        Integer(child, CHILDID_SELF);
    return S_OK;
}

HRESULT ControlAccessible::get_accSelection(VARIANT* children) {
    if (!children)
        return E_POINTER;
    children->vt = VT_EMPTY;
    return control ? S_OK : RPC_E_DISCONNECTED;
}

HRESULT ControlAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    const HRESULT checked = Check(child);
    if (checked != S_OK)
        return checked;
    return Text(control->AccessibleRole() == ROLE_SYSTEM_PUSHBUTTON ? L"Press" : L"", action);
}

HRESULT ControlAccessible::accSelect(long flags, VARIANT child) {
    const HRESULT checked = Check(child);
    if (checked != S_OK)
        return checked;
    if (flags & SELFLAG_TAKEFOCUS) {
        SetFocus(control->hwnd);
        return S_OK;
    }
    return S_FALSE;
}

HRESULT ControlAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    const HRESULT checked = Check(child);
    if (checked != S_OK)
        return checked;
    RECT screen;
    GetWindowRect(control->hwnd, &screen);
    *left = screen.left;
    *top = screen.top;
    *width = screen.right - screen.left;
    *height = screen.bottom - screen.top;
    return S_OK;
}

HRESULT ControlAccessible::accNavigate(long, VARIANT, VARIANT* end) {
    if (end)
        end->vt = VT_EMPTY;
    return control ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT ControlAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child)
        return E_POINTER;
    child->vt = VT_EMPTY;
    if (!control || !control->hwnd)
        return RPC_E_DISCONNECTED;
    RECT screen;
    GetWindowRect(control->hwnd, &screen);
    const POINT point = {x, y};
    if (!PtInRect(&screen, point))
        return S_FALSE;
    Integer(child, CHILDID_SELF);
    return S_OK;
}

HRESULT ControlAccessible::accDoDefaultAction(VARIANT child) {
    const HRESULT checked = Check(child);
    return checked != S_OK ? checked : DISP_E_MEMBERNOTFOUND;
}

HRESULT ControlAccessible::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}
HRESULT ControlAccessible::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}
