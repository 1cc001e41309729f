#pragma once

#include <windows.h>

#include <string>

// The user's options and the main window's placement, kept between runs under
// HKEY_CURRENT_USER\Software\Quillmer\Tavren. Read once when the application starts,
// written once when it ends; in between the program reads and changes the fields.
class Settings {
  public:
    Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    void Load(); // defaults, then whatever the registry holds, then the monitor check
    void Save(); // writes every value; a failure is silent and leaves the registry as it was

    bool placementOnMonitor; // scratch flag of the monitor check in Load
    int InitX;               // main window left, screen coordinates, CW_USEDEFAULT: system default
    int InitY;
    int InitW;
    int InitH;
    int CmdShow;                      // 1 normal, 3 maximized
    int KnobMode;                     // 0 vertical knob dragging, 1 rotary
    int DynamicScale;                 // 1 scales the front panel to the window width
    int UpdateCheck;                  // 1 checks for updates at start-up
    int EchoMIDI;                     // kept and saved
    int RolloverTooltips;             // kept and saved
    int ModifyValueTooltips;          // kept and saved
    int MidiChannel;                  // 1 to 16: the channel of the instrument, both ways
    std::string MIDIInDevice;         // UTF-8 name of the chosen MIDI input port, empty for none
    std::string MIDIOutDevice;        // UTF-8 name of the chosen MIDI output port, empty for none
    std::string MIDIControllerDevice; // UTF-8 name of the controller keyboard's input port, empty for none

    // The registry key under HKEY_CURRENT_USER. Tests point it elsewhere.
    std::wstring keyPath;

  private:
    void SetDefaults();
};

// The one settings object of the process, created with the defaults on first use.
Settings& GetSettings();

// UTF-8 <-> UTF-16; invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
