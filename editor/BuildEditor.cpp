// Pro800Engine::BuildEditor: the front panel put together from the layout. The
// positions and images of the 58 parameters are the rows of the parameter table;
// the patch list and the status panel sit where the panel's PATCH frame leaves room.
#include "engine/Pro800Engine.h"

#include "app/Settings.h"
#include "controls/ImageToggleBase.h"
#include "controls/Listbox.h"
#include "controls/MainPanel.h"
#include "controls/StatusPanel.h"
#include "editor/ControlGuide.h"
#include "editor/PanelLayout.h"
#include "engine/Parameter.h"
#include "engine/TableParameters.h"

void Pro800Engine::BuildEditor(IHost* editorHost, HWND parent, HINSTANCE instance, const RECT& area) {
    host = editorHost;
    parameters.host = editorHost;
    panel = new MainPanel(host, parent, instance, area);
    patchList = new Listbox(host, this, panel->hwnd, instance);
    const PanelRect status = PanelLayout::Get().StatusPanel();
    statusPanel = new StatusPanel(host, panel->hwnd, instance,
                                  RECT{status.left, status.top, status.Right(), status.Bottom()});
    panel->Show(false);
    CreateTableParameters(parameters, host, panel->hwnd, instance);
    // What a screen reader calls each control, and the legends of a switch's positions.
    for (const ParameterRow& row : ParameterTable()) {
        Parameter* parameter = parameters.Find(row.id);
        CustomControl* control = parameter != nullptr ? parameter->GetControl() : nullptr;
        if (control == nullptr)
            continue;
        control->accessibleName = Utf8ToWide(SpokenName(row));
        if (control->DrawnByPanel())
            panel->drawnControls.push_back(control);
        if (auto* toggle = dynamic_cast<ImageToggleBase*>(control)) {
            for (const std::string& name : PanelLayout::Get().PositionNames(row.id))
                toggle->positionNames.push_back(Utf8ToWide(name));
        }
    }
}
