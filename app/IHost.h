#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class PatchBank;

// What everything below the application may ask of it. The application object is
// the only implementation; controls, engine, parameters and the MIDI port layer
// hold an IHost* that they never own.
class IHost {
  public:
    virtual HWND GetHwnd() = 0;                         // the main window
    virtual void ControlChanged(int id, int value) = 0; // a user edit of control `id`
    virtual void ShowStatus(std::string text) = 0;      // one line for the status panel
    virtual HFONT GetSmallFont() = 0;                   // 14-pixel Arial at 96 DPI
    virtual HFONT GetMediumFont() = 0;                  // 18-pixel Arial
    virtual HFONT GetLargeFont() = 0;                   // 22-pixel Arial
    // The main window's dots per inch (96 at 100 %); the fonts above are made for it.
    virtual int GetDpi() { return 96; }
    virtual void SelectPatch(int bank, int program) = 0;       // show a cached patch or request it
    virtual void SendProgramChange(int bank, int program) = 0; // switch the instrument to a patch
    virtual PatchBank* GetPatchBank() = 0;                     // the cache of received patches
    // The panel now shows the patch of `dump` (the base of a new edit).
    virtual void PatchShown(const std::vector<uint8_t>& dump) { (void)dump; }

  protected:
    ~IHost() = default;
};
