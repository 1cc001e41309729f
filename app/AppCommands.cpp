// The menu and accelerator commands of the main window, and the update check that
// the Help menu and the start-up timer run.
#include "app/AboutBox.h"
#include "app/App.h"
#include "app/Settings.h"
#include "app/UpdateCheck.h"
#include "app/Version.h"
#include "controls/ControlTips.h"
#include "midi/DemoMode.h"
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"
#include "resources/ResourceIds.h"

#include <shellapi.h>

void App::OnCommand(HWND window, int commandId) {
    Settings& settings = GetSettings();
    switch (commandId) {
    case IDM_ABOUT:
        DialogBoxParamW(TheInstance(), MAKEINTRESOURCEW(IDD_ABOUTBOX), window, AboutDialogProc, 0);
        break;
    case IDM_EXIT:
        DestroyWindow(window);
        break;
    case IDM_MORE_INFO:
        ShellExecuteW(nullptr, nullptr, TAVREN_WIDEN(TAVREN_WEB_PAGE), nullptr, nullptr, SW_SHOW);
        break;
    case IDM_ROTARY_KNOBS:
        ToggleOption(settings.KnobMode, IDM_ROTARY_KNOBS);
        break;
    case IDM_ECHO_MIDI:
        ToggleOption(settings.EchoMIDI, IDM_ECHO_MIDI);
        break;
    case IDM_DYNAMIC_SCALING:
        ToggleOption(settings.DynamicScale, IDM_DYNAMIC_SCALING);
        OnSize();
        break;
    case IDM_ROLLOVER_TIPS:
        settings.RolloverTooltips = settings.RolloverTooltips != 0 ? 0 : 1;
        SyncOptionChecks();
        if (tips != nullptr)
            tips->SetRolloverOn(settings.RolloverTooltips != 0);
        break;
    case IDM_VALUE_TIPS:
        settings.ModifyValueTooltips = settings.ModifyValueTooltips != 0 ? 0 : 1;
        SyncOptionChecks();
        if (settings.ModifyValueTooltips == 0)
            OnValueTipTimer();
        break;
    case IDM_NEXT_CONTROL:
    case IDM_PREVIOUS_CONTROL:
        MoveFocus(commandId == IDM_NEXT_CONTROL);
        break;
    case IDM_NEXT_PATCH:
    case IDM_PREVIOUS_PATCH:
    case IDM_NEXT_PATCH_PLAY:
    case IDM_PREVIOUS_PATCH_PLAY:
        StepPatch(commandId == IDM_NEXT_PATCH || commandId == IDM_NEXT_PATCH_PLAY ? 1 : -1,
                  commandId == IDM_NEXT_PATCH_PLAY || commandId == IDM_PREVIOUS_PATCH_PLAY);
        break;
    case IDM_CHECK_UPDATES:
        CheckForUpdates(true);
        break;
    case IDM_REINIT_MIDI:
        InitMidi();
        if (CheckDevice(false))
            QueryDevice();
        break;
    default:
        if (OnLibrarianCommand(window, commandId) || OnEditCommand(window, commandId) ||
            OnLibraryCommand(window, commandId))
            break;
        // Items for ports beyond index 100 are listed but do nothing.
        if (commandId >= IDM_FIRST_CHANNEL && commandId < IDM_FIRST_CHANNEL + 16)
            ChooseChannel(commandId - IDM_FIRST_CHANNEL + 1);
        else if (commandId >= IDM_FIRST_CONTROLLER_PORT &&
                 commandId <= IDM_FIRST_CONTROLLER_PORT + IDM_LAST_PORT_INDEX)
            ChooseController(commandId - IDM_FIRST_CONTROLLER_PORT);
        else if (commandId >= IDM_FIRST_INPUT_PORT && commandId <= IDM_FIRST_INPUT_PORT + IDM_LAST_PORT_INDEX)
            ChoosePort(true, commandId - IDM_FIRST_INPUT_PORT);
        else if (commandId >= IDM_FIRST_OUTPUT_PORT &&
                 commandId <= IDM_FIRST_OUTPUT_PORT + IDM_LAST_PORT_INDEX)
            ChoosePort(false, commandId - IDM_FIRST_OUTPUT_PORT);
        break;
    }
}

// The choice is remembered by name: the ports are opened again by that name, and a
// port gone since the menu was built leaves an empty name and its side closed.
void App::ChoosePort(bool input, int index) {
    HMENU menu = input ? inputDeviceMenu : outputDeviceMenu;
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position)
        CheckMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_UNCHECKED);
    CheckMenuItem(menu, (input ? IDM_FIRST_INPUT_PORT : IDM_FIRST_OUTPUT_PORT) + index,
                  MF_BYCOMMAND | MF_CHECKED);
    std::string name;
    if (midiPort != nullptr)
        name = input ? midiPort->InputPortName(index) : midiPort->OutputPortName(index);
    Settings& settings = GetSettings();
    (input ? settings.MIDIInDevice : settings.MIDIOutDevice) = name;
    InitMidi();
    if (CheckDevice(false))
        QueryDevice();
}

void App::ChooseChannel(int channel) {
    GetSettings().MidiChannel = channel;
    for (int other = 1; other <= 16; ++other)
        CheckMenuItem(mainMenu, static_cast<UINT>(IDM_FIRST_CHANNEL + other - 1),
                      MF_BYCOMMAND | (other == channel ? MF_CHECKED : MF_UNCHECKED));
    for (SimulatedMidiDevice* demo : {DemoDevice(), OfferedDemoDevice()})
        if (demo != nullptr)
            demo->channel = channel;
}

void App::ToggleOption(int& setting, UINT command) {
    setting = 1 - setting;
    CheckMenuItem(mainMenu, command, MF_BYCOMMAND | (setting == 1 ? MF_CHECKED : MF_UNCHECKED));
}

bool App::CheckForUpdates(bool interactive) {
    ShowStatus("Checking for updates...");
    int latest = 0;
    if (!FetchLatestBuild(latest)) {
        ReportUpdate("Unable to connect to update server.", true, interactive);
        return false;
    }
    if (latest > buildNumber) {
        ReportUpdate("A new version is available. Please visit " TAVREN_WEB_PAGE " to get the latest version",
                     false, interactive);
    } else {
        ReportUpdate("Current version is up to date.", false, interactive);
    }
    return true;
}

void App::ReportUpdate(const std::string& text, bool failed, bool interactive) {
    ShowStatus(text);
    if (interactive) {
        MessageBoxW(mainWindow, Utf8ToWide(text).c_str(), failed ? L"Error" : L"Update status",
                    MB_OK | (failed ? MB_ICONWARNING : MB_ICONINFORMATION));
    }
}
