#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class IHost;
class Parameter;

// The synthesizer-specific half of the editor as the application drives it. The
// operations keep their places even where nothing calls them; Pro800Engine is the one
// implementation.
class Engine {
  public:
    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    virtual void ShowEditor(IHost* host, HWND parent, HINSTANCE instance) = 0; // shows the front panel
    virtual void HideEditor() = 0;
    virtual int ReservedA() = 0;
    virtual void SetReservedValues(int a, int b, int c) = 0;
    // Sets every parameter from a patch dump and reports "Loading b:p:name"; false for
    // a dump too short to decode, which changes nothing.
    virtual bool LoadPatchDump(const std::vector<uint8_t>& dump) = 0;
    virtual std::string GetPatchName(const std::vector<uint8_t>& dump) = 0;
    // The dump's patch number n with n / 100 in *bank and n % 100 in *program; -1 in
    // all three when the dump is too short to carry one.
    virtual int GetPatchNumber(const std::vector<uint8_t>& dump, int* bank, int* program) = 0;
    virtual HWND GetEditorWindow() = 0;
    virtual int ReservedB() = 0;
    virtual int GetEditorHeight() = 0;
    virtual void Resize(int width, int height) = 0; // dynamic scaling to a width
    virtual void ShowControls(bool show) = 0;       // every parameter's control
    virtual void SlideEditor(int x, int y) = 0;     // animated horizontal move of the panel
    virtual void ResetEditorPosition() = 0;         // slides the panel back to its origin
    virtual void ForwardMouseWheel(int target, int delta, int keys, int x, int y) = 0;
    virtual void ScrollEditor(int unused, int delta) = 0; // moves the panel by delta / 10
    virtual Parameter* FindParameter(int id) = 0;         // null when no parameter has the ID
    // Shows a value on the parameter's control without telling the host.
    virtual void SetParameterValue(int id, int value) = 0;
    virtual std::string GetParameterInfo(int id) = 0;
    virtual void UpdateDependentControls(int id) = 0;
    // Nonzero: the engine took the control change over and nothing is sent.
    virtual int HandleControlChange(int id, int value) = 0;
    virtual int TranslateId(int id) = 0;
    virtual void SetIdTranslation(int id, int target) = 0;
    virtual IHost* GetHost() = 0;
    virtual ~Engine() = default;
};
