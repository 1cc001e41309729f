#pragma once

// A main window made the way the entry point makes it, wired to a simulated instrument
// behind real RtMidi objects, with the instrument's ports remembered in the settings.
#include "app/App.h"
#include "app/Settings.h"
#include "controls/Listbox.h"
#include "engine/Parameter.h"
#include "engine/PatchDump.h"
#include "engine/Pro800Engine.h"
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

inline constexpr char kTestPort[] = "Test Pro~800";

// The application with every status line it is asked to show, repeated ones included.
class StatusRecordingApp : public App {
  public:
    using App::App;
    void ShowStatus(std::string text) override {
        status.push_back(text);
        App::ShowStatus(std::move(text));
    }
    bool Said(const std::string& line) const { return std::count(status.begin(), status.end(), line) > 0; }
    std::vector<std::string> status;
};

class DeviceLinkFixture : public testing::Test {
  public:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        SetTheInstance(instance);
        static bool registered = RegisterMainWindowClass(instance, L"TEMPLATE") != 0;
        ASSERT_TRUE(registered);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
        TheStatusFilter().Accept(u"a new test"); // so that no line of the last test is held back
        UseSimulatedDevice(&device);
        app = new StatusRecordingApp(instance); // the program never deletes its App either
        SetTheApp(app);
        GetSettings().MIDIInDevice = GetSettings().MIDIOutDevice = kTestPort;
        GetSettings().MidiChannel = 1;
        GetSettings().EchoMIDI = 0;
        GetSettings().MIDIControllerDevice.clear();
        window = app->CreateMainWindow(L"TEMPLATE", L"Tavren");
        ASSERT_NE(window, nullptr);
        app->InitMainWindow();
        ShowWindow(window, SW_SHOWNORMAL);
        PumpMessages();
    }
    void TearDown() override {
        delete app->midiPort; // closes the ports before the device goes
        app->midiPort = nullptr;
        DestroyWindow(window);
        PumpMessages();
        SetTheApp(nullptr);
        UseSimulatedDevice(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmer\\Tavren");
    }

    void OpenPorts() { app->InitMidi(), device.ClearReceived(); }
    void Connect() { OpenPorts(), app->deviceRecognized = true; } // as after the handshake
    void Cache(int patch) {
        app->patchBank.slots[static_cast<size_t>(patch)] = {true, device.instrument.Patch(patch)};
    }
    bool Loaded(int patch) const { return app->patchBank.slots[static_cast<size_t>(patch)].loaded; }
    int Value(int id) const { return app->engine->FindParameter(id)->GetValue(); }
    HWND List() const { return app->engine->patchList->listWindow; }
    int SelectedRow() const { return static_cast<int>(SendMessageW(List(), LB_GETCURSEL, 0, 0)); }
    std::string Row(int row) const {
        wchar_t text[128] = L"";
        SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        return std::string(text, text + wcslen(text));
    }
    // The patch requests among what the instrument received, as patch numbers (-1: another message).
    std::vector<int> Requested() const {
        std::vector<int> numbers;
        for (const Bytes& message : device.Received())
            numbers.push_back(message.size() == 12 ? ReadPatchNumber(message).value_or(-1) : -1);
        return numbers;
    }

    SimulatedMidiDevice device{kTestPort};
    StatusRecordingApp* app = nullptr;
    HWND window = nullptr;
};
