#pragma once

#include "engine/Engine.h"
#include "engine/ParameterRegistry.h"

#include <map>
#include <set>

class Listbox;
class MainPanel;
class StatusPanel;

// The editor of the Pro~800: the front panel with its 58 parameters, the patch list
// and the status panel, patch dumps turned into values, and scaling to the window.
class Pro800Engine : public Engine {
  public:
    Pro800Engine() = default;
    ~Pro800Engine() override;

    // Creates the front panel, hidden, on `parent` at the rectangle's top-left corner:
    // the main panel, the patch list, the status panel and the 58 parameters in
    // creation order. Defined with the layout, in editor/.
    void BuildEditor(IHost* editorHost, HWND parent, HINSTANCE instance, const RECT& area);

    void ShowEditor(IHost* host, HWND parent, HINSTANCE instance) override;
    void HideEditor() override;
    int ReservedA() override;
    void SetReservedValues(int a, int b, int c) override;
    bool LoadPatchDump(const std::vector<uint8_t>& dump) override;
    std::string GetPatchName(const std::vector<uint8_t>& dump) override;
    int GetPatchNumber(const std::vector<uint8_t>& dump, int* bank, int* program) override;
    HWND GetEditorWindow() override;
    int ReservedB() override;
    int GetEditorHeight() override;
    void Resize(int width, int height) override;
    void ShowControls(bool show) override;
    void SlideEditor(int x, int y) override;
    void ResetEditorPosition() override;
    void ForwardMouseWheel(int target, int delta, int keys, int x, int y) override;
    void ScrollEditor(int unused, int delta) override;
    Parameter* FindParameter(int id) override;
    void SetParameterValue(int id, int value) override;
    std::string GetParameterInfo(int id) override;
    void UpdateDependentControls(int id) override;
    int HandleControlChange(int id, int value) override;
    int TranslateId(int id) override;
    void SetIdTranslation(int id, int target) override;
    IHost* GetHost() override;

    // Every control moved to its design position times `factor`, rounded half up.
    void ApplyScale(double factor);

    IHost* host = nullptr;
    MainPanel* panel = nullptr;         // owned
    Listbox* patchList = nullptr;       // owned; read by the patch bank and the application
    StatusPanel* statusPanel = nullptr; // owned; the application adds its lines
    ParameterRegistry parameters;       // the parameters, owned through it by this engine
    std::map<int, int> idTranslation;   // nothing fills it
    std::set<int> dependentSwitchIds;   // nothing fills it
};

// The editor is shown at another scale than its design scale.
bool ScaleApplied();
