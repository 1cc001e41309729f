// The panel without a mouse and for every eye: Tab through the controls, patches from
// the keyboard, the names and values in tooltips, and fonts at the window's dots per inch.
#include "app/App.h"

#include "app/Settings.h"
#include "controls/ControlTips.h"
#include "controls/CustomControl.h"
#include "controls/Listbox.h"
#include "controls/StatusPanel.h"
#include "editor/ControlGuide.h"
#include "engine/Parameter.h"
#include "engine/ParameterTable.h"
#include "engine/Pro800Engine.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr DWORD kValueTipMs = 500;   // a value tip stays this long after the last change
constexpr UINT kValueTipTickMs = 40; // a tip that follows changes is drawn at most this often
constexpr int kTipWidth = 400;       // the widest a tip's line is at 96 DPI

// The control window of parameter `id`; null when there is none.
CustomControl* ControlFor(Pro800Engine* engine, int id) {
    Parameter* parameter = engine != nullptr ? engine->FindParameter(id) : nullptr;
    return parameter != nullptr ? parameter->GetControl() : nullptr;
}

} // namespace

int App::GetDpi() {
    return dpi;
}

int App::TopBarHeight() const {
    return MulDiv(kTopBarHeightAt96, dpi, 96);
}

void App::MoveFocus(bool forward) {
    if (engine == nullptr)
        return;
    std::vector<HWND> order;
    for (int id : TabOrder()) {
        CustomControl* control = ControlFor(engine, id);
        if (control != nullptr && control->hwnd != nullptr && control->active &&
            IsWindowVisible(control->hwnd))
            order.push_back(control->hwnd);
    }
    if (engine->patchList != nullptr && IsWindowVisible(engine->patchList->listWindow))
        order.push_back(engine->patchList->listWindow);
    if (order.empty())
        return;
    const auto at = std::find(order.begin(), order.end(), GetFocus());
    size_t next = forward ? 0 : order.size() - 1;
    if (at != order.end()) {
        const size_t here = static_cast<size_t>(at - order.begin());
        next = (here + (forward ? 1 : order.size() - 1)) % order.size();
    }
    CustomControl::ShowFocusRings(true);
    SetFocus(order[next]);
}

void App::StepPatch(int step, bool play) {
    if (engine == nullptr || engine->patchList == nullptr)
        return;
    Listbox* list = engine->patchList;
    const int rows = static_cast<int>(SendMessageW(list->listWindow, LB_GETCOUNT, 0, 0));
    if (rows <= 0)
        return;
    const int current = static_cast<int>(SendMessageW(list->listWindow, LB_GETCURSEL, 0, 0));
    const int row = current < 0 ? (step > 0 ? 0 : rows - 1) : std::clamp(current + step, 0, rows - 1);
    if (row != current)
        list->ChooseRow(row);
    if (play && !patchBank.ShowingFile() && PatchBank::IsBank(patchBank.bank))
        SendProgramChange(patchBank.bank, row);
}

void App::CreateTips() {
    if (tips != nullptr || mainWindow == nullptr || engine == nullptr)
        return;
    tips = new ControlTips(mainWindow, instance);
    for (const ParameterRow& row : ParameterTable()) {
        if (CustomControl* control = ControlFor(engine, row.id))
            tips->SetRolloverText(control->hwnd, Utf8ToWide(ShortName(row)));
    }
    // The status lines are cut at the panel's edge: the tip shows them whole, read when it shows.
    if (engine->statusPanel != nullptr)
        tips->SetRolloverAsked(engine->statusPanel->hwnd);
    tips->SetFont(smallFont, MulDiv(kTipWidth, dpi, 96));
    tips->SetRolloverOn(GetSettings().RolloverTooltips != 0);
}

void App::ShowValueTip(int id) {
    // The bank buttons choose a bank; they have no value to show.
    if (tips == nullptr || GetSettings().ModifyValueTooltips == 0 || id >= kFirstBankButtonId)
        return;
    valueTipChanged = GetTickCount();
    if (tips->ValueShown() && valueTipId == id) {
        // A knob turned at wire rate would move and draw a window a thousand times a second.
        valueTipDirty = true;
        return;
    }
    valueTipId = id;
    DrawValueTip();
    SetTimer(mainWindow, kTimerValueTip, kValueTipTickMs, nullptr);
}

void App::DrawValueTip() {
    valueTipDirty = false;
    const ParameterRow* row = FindParameterRow(valueTipId);
    CustomControl* control = ControlFor(engine, valueTipId);
    if (tips != nullptr && row != nullptr && control != nullptr)
        tips->ShowValue(control->hwnd, Utf8ToWide(ShortName(*row)) + L": " + control->AccessibleValue());
}

void App::OnValueTipTimer() {
    if (tips != nullptr && tips->ValueShown() && valueTipDirty)
        DrawValueTip();
    // A drag that pauses keeps its tip until the button is let go.
    const bool held = tips != nullptr && tips->ValueShown() && GetCapture() == tips->ValueTarget();
    if (held || (GetTickCount() - valueTipChanged < kValueTipMs && GetSettings().ModifyValueTooltips != 0))
        return;
    KillTimer(mainWindow, kTimerValueTip);
    if (tips != nullptr)
        tips->HideValue();
}

bool App::OnTipNotify(const NMHDR& header) {
    if (header.code != TTN_GETDISPINFOW || engine == nullptr || engine->statusPanel == nullptr ||
        reinterpret_cast<HWND>(header.idFrom) != engine->statusPanel->hwnd)
        return false;
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    statusTipText = engine->statusPanel->AllLines();
    info.lpszText = statusTipText.data();
    return true;
}

void App::UseDpi(int newDpi) {
    if (newDpi <= 0)
        return;
    dpi = newDpi;
    HFONT old[] = {smallFont, mediumFont, largeFont};
    smallFont = CreateAppFont(MulDiv(14, dpi, 96));
    mediumFont = CreateAppFont(MulDiv(18, dpi, 96));
    largeFont = CreateAppFont(MulDiv(22, dpi, 96));
    if (tips != nullptr)
        tips->SetFont(smallFont, MulDiv(kTipWidth, dpi, 96));
    if (engine != nullptr && engine->statusPanel != nullptr)
        engine->statusPanel->lineHeight = MulDiv(StatusPanel::kLineHeight, dpi, 96);
    if (engine != nullptr && engine->patchList != nullptr)
        engine->patchList->FollowDpi();
    for (HFONT font : old)
        DeleteObject(font);
}

void App::ApplyDpi(int newDpi) {
    UseDpi(newDpi);
    OnSize();
    if (engine != nullptr && engine->patchList != nullptr)
        InvalidateRect(engine->patchList->listWindow, nullptr, TRUE);
    if (engine != nullptr && engine->statusPanel != nullptr)
        engine->statusPanel->InvalidateOwnWindow();
}

int WindowDpi(HWND window) {
    // Windows 10 and Wine answer per window; older systems have one DPI for everything.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        if (const UINT answer = getDpiForWindow(window))
            return static_cast<int>(answer);
    }
    HDC screen = GetDC(nullptr);
    const int answer = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return answer > 0 ? answer : 96;
}
