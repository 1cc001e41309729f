#include "engine/Pro800Engine.h"

#include "app/IHost.h"
#include "app/Settings.h"
#include "controls/Listbox.h"
#include "controls/MainPanel.h"
#include "controls/PanMath.h"
#include "controls/StatusPanel.h"
#include "engine/Parameter.h"
#include "engine/PatchDump.h"

#include <cmath>
#include <string>

namespace {

bool gScaleApplied = false;

constexpr int kSlideSteps = 36;
constexpr DWORD kSlideStepMs = 10;

} // namespace

bool ScaleApplied() {
    return gScaleApplied;
}

Pro800Engine::~Pro800Engine() {
    // The windows go first, so that no message reaches an object being deleted.
    if (panel && panel->hwnd)
        DestroyWindow(panel->hwnd);
    for (Parameter* parameter : parameters.GetParameters())
        delete parameter;
    delete patchList;
    delete statusPanel;
    delete panel;
}

void Pro800Engine::ShowEditor(IHost*, HWND, HINSTANCE) {
    if (panel)
        panel->Show(true);
}

void Pro800Engine::HideEditor() {
    if (panel)
        panel->Show(false);
}

int Pro800Engine::ReservedA() {
    return 1;
}

void Pro800Engine::SetReservedValues(int, int, int) {}

bool Pro800Engine::LoadPatchDump(const std::vector<uint8_t>& dump) {
    const std::optional<std::vector<DecodedValue>> values = DecodeParameters(dump);
    if (!values)
        return false;
    for (const DecodedValue& decoded : *values)
        SetParameterValue(decoded.id, decoded.value);
    int bank = 0;
    int program = 0;
    GetPatchNumber(dump, &bank, &program);
    if (host) {
        host->ShowStatus("Loading " + std::to_string(bank) + ":" + std::to_string(program) + ":" +
                         GetPatchName(dump));
        host->PatchShown(dump);
    }
    return true;
}

std::string Pro800Engine::GetPatchName(const std::vector<uint8_t>& dump) {
    return ReadPatchName(dump);
}

int Pro800Engine::GetPatchNumber(const std::vector<uint8_t>& dump, int* bank, int* program) {
    const int number = ReadPatchNumber(dump).value_or(-1);
    if (bank)
        *bank = number < 0 ? -1 : number / 100;
    if (program)
        *program = number < 0 ? -1 : number % 100;
    return number;
}

HWND Pro800Engine::GetEditorWindow() {
    return panel ? panel->hwnd : nullptr;
}

int Pro800Engine::ReservedB() {
    return 0;
}

int Pro800Engine::GetEditorHeight() {
    return panel ? panel->currentHeight : 0;
}

void Pro800Engine::Resize(int width, int) {
    if (!panel)
        return;
    if (GetSettings().DynamicScale == 1) {
        gScaleApplied = true;
        // A minimized window has no width: the panel keeps its scale for the restore.
        if (width <= 0 || width == panel->currentWidth || panel->naturalWidth <= 0)
            return;
        ApplyScale(static_cast<double>(width) / panel->naturalWidth);
    } else if (gScaleApplied) {
        ApplyScale(1.0);
        gScaleApplied = false;
    }
}

void Pro800Engine::ApplyScale(double factor) {
    // Sixty windows move and resize without drawing, while the panel's picture is drawn
    // on another thread; then the panel is drawn once with everything in place.
    panel->SetScale(factor);
    if (patchList)
        patchList->SetScale(factor);
    if (statusPanel)
        statusPanel->SetScale(factor);
    for (Parameter* parameter : parameters.GetParameters()) {
        parameter->SetScale(factor);
        const POINT origin = parameter->GetOrigin();
        parameter->MoveTo(static_cast<int>(origin.x * factor + 0.5),
                          static_cast<int>(origin.y * factor + 0.5));
    }
    panel->FinishScale();
    // No move uncovered the parent either: a smaller panel leaves part of it to be
    // drawn anew. The panel draws its knobs and switches itself; the list and the status
    // panel draw themselves.
    RedrawWindow(GetParent(panel->hwnd), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
    RedrawWindow(panel->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
    for (HWND own : {patchList ? patchList->listWindow : nullptr, statusPanel ? statusPanel->hwnd : nullptr})
        if (own != nullptr)
            RedrawWindow(own, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Pro800Engine::ShowControls(bool show) {
    for (Parameter* parameter : parameters.GetParameters())
        parameter->Show(show);
}

void Pro800Engine::SlideEditor(int x, int) {
    if (!panel || !panel->hwnd)
        return;
    // The panel's left edge travels to -x along a sine curve, never uncovering its parent.
    const POINT start = panel->PositionInParent();
    RECT parent = {0, 0, 0, 0};
    GetClientRect(GetParent(panel->hwnd), &parent);
    const int target = ClampPanAxis(-x, panel->currentWidth, parent.right);
    for (int step = 1; step <= kSlideSteps; ++step) {
        const double progress = std::sin(step * 1.5707963267948966 / kSlideSteps);
        const int left = start.x + static_cast<int>((target - start.x) * progress);
        panel->MoveClamped(left, start.y, panel->currentWidth, panel->currentHeight);
        UpdateWindow(panel->hwnd);
        Sleep(kSlideStepMs);
    }
}

void Pro800Engine::ResetEditorPosition() {
    SlideEditor(0, 0);
}

void Pro800Engine::ForwardMouseWheel(int, int delta, int keys, int x, int y) {
    if (panel)
        panel->OnMouseWheel(delta, keys, x, y);
}

void Pro800Engine::ScrollEditor(int, int delta) {
    if (!panel || !panel->hwnd)
        return;
    const POINT position = panel->PositionInParent();
    panel->MoveClamped(position.x, position.y + delta / 10, panel->currentWidth, panel->currentHeight);
}

Parameter* Pro800Engine::FindParameter(int id) {
    return parameters.Find(id);
}

void Pro800Engine::SetParameterValue(int id, int value) {
    Parameter* parameter = parameters.Find(id);
    if (!parameter)
        return;
    if (parameter->GetId() == id)
        parameter->SetValue(value);
    else if (parameter->GetSecondaryId() == id)
        parameter->SetSecondaryValue(value);
}

std::string Pro800Engine::GetParameterInfo(int id) {
    Parameter* parameter = parameters.Find(id);
    return parameter ? parameter->GetInfo(0) : std::string();
}

void Pro800Engine::UpdateDependentControls(int id) {
    // No switch has dependent controls on this instrument: the set stays empty.
    if (dependentSwitchIds.count(id) == 0)
        return;
}

int Pro800Engine::HandleControlChange(int, int) {
    return 0;
}

int Pro800Engine::TranslateId(int id) {
    const auto found = idTranslation.find(id);
    return found != idTranslation.end() && found->second != 0 ? found->second : id;
}

void Pro800Engine::SetIdTranslation(int id, int target) {
    idTranslation[id] = target;
}

IHost* Pro800Engine::GetHost() {
    return host;
}
