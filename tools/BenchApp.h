#pragma once
// What the device-link benchmarks share: the application's main window opened on a
// simulated instrument, its ports open, as the program would have it after start-up.
#include "app/App.h"
#include "app/Settings.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

// Milliseconds since `start`.
inline double MsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The middle one of `values` (the upper middle of an even count).
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Dispatches every message waiting for this thread.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The application with its window shown and its ports open on `portName`, the
// instrument taken as recognized: ports of `device`, or with no device the system's
// ports through RtMidi's own back end. Null, with a line on stderr, when no window opens.
inline App* OpenBenchApp(SimulatedMidiDevice* device, const std::string& portName, const char* benchName) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    SetTheInstance(instance);
    RegisterMainWindowClass(instance, L"TEMPLATE");
    UseSimulatedDevice(device);
    auto* app = new App(instance);
    SetTheApp(app);
    GetSettings().MIDIInDevice = portName;
    GetSettings().MIDIOutDevice = portName;
    HWND window = app->CreateMainWindow(L"TEMPLATE", L"Tavren");
    if (window == nullptr) {
        std::fprintf(stderr, "%s: no main window\n", benchName);
        return nullptr;
    }
    app->InitMainWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    app->InitMidi();
    app->deviceRecognized = true;
    return app;
}

inline App* OpenBenchApp(SimulatedMidiDevice& device, const char* benchName) {
    return OpenBenchApp(&device, device.PortName(), benchName);
}
