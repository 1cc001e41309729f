#pragma once

#include <functional>
#include <memory>
#include <string>

class SimulatedMidiDevice;

// Demo mode: with TAVREN_DEMO=1 the program's MIDI ports lead to a simulated instrument,
// for people without the instrument and for checks of the whole program from outside.

// The name of the demo instrument's input and output port.
constexpr char kDemoPortName[] = "Tavren Demo Pro~800";
// The same instrument as the port menus offer it after the system's ports.
constexpr char kOfferedDemoPortName[] = "Tavren Demo Pro~800 (simulated)";

struct DemoSettings {
    bool enabled = false; // TAVREN_DEMO=1
    int currentPatch = 0; // TAVREN_DEMO_PATCH, 0 to 399
    std::string logPath;  // TAVREN_DEMO_LOG: every received message appended as a line
    int latencyMs = 0;    // TAVREN_DEMO_LATENCY_MS: each answer waits this long
    std::string plugPath; // TAVREN_DEMO_PLUG: while that file holds 0, the instrument is unplugged
};

// Reads the variables through `lookUp` (getenv by default); a value that is not a whole
// number in range keeps its default.
DemoSettings ReadDemoSettings(const std::function<const char*(const char*)>& lookUp);

// The demo instrument those settings describe; null when demo mode is off.
std::unique_ptr<SimulatedMidiDevice> MakeDemoDevice(const DemoSettings& settings,
                                                    const std::string& portName = kDemoPortName);

// The process-wide demo instrument, made on first use from the environment; null unless
// demo mode is on. It lives until the process ends.
SimulatedMidiDevice* DemoDevice();

// With TAVREN_DEMO_PLUG set, watches its file from a thread of its own: while the file
// holds 0 the demo instrument is unplugged, and each change is announced through
// `announce`, as the system announces a device that comes or goes. Once per process.
void WatchDemoPlug(std::function<void()> announce);

// The file's word: unplugged while it holds 0 (spaces and a line end aside).
bool PluggedIn(const std::string& contents);
