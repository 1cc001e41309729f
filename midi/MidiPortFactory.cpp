#include "midi/MidiPortFactory.h"

#include "midi/DemoMode.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedMidiIn.h"
#include "midi/SimulatedMidiOut.h"

#include <cstdlib>
#include <string>

namespace {

bool gChosen = false;
SimulatedMidiDevice* gDevice = nullptr;

} // namespace

SimulatedMidiDevice* SimulatedDeviceInUse() {
    return gChosen ? gDevice : DemoDevice();
}

void UseSimulatedDevice(SimulatedMidiDevice* device) {
    gChosen = true;
    gDevice = device;
}

SimulatedMidiDevice* OfferedDemoDevice() {
    const char* demo = std::getenv("TAVREN_DEMO");
    if (SimulatedDeviceInUse() != nullptr || (demo != nullptr && std::string(demo) == "0"))
        return nullptr;
    // Never deleted, as the demo instrument of demo mode.
    static SimulatedMidiDevice* const device = [] {
        DemoSettings settings = ReadDemoSettings([](const char* name) { return std::getenv(name); });
        settings.enabled = true;
        return MakeDemoDevice(settings, kOfferedDemoPortName).release();
    }();
    return device;
}

RtMidiIn* CreateMidiIn(const std::string& clientName, unsigned int queueSizeLimit) {
    if (SimulatedMidiDevice* device = SimulatedDeviceInUse())
        return new SimulatedMidiIn(device, clientName, queueSizeLimit);
    return new RtMidiIn(RtMidi::UNSPECIFIED, clientName, queueSizeLimit);
}

RtMidiOut* CreateMidiOut(const std::string& clientName) {
    if (SimulatedMidiDevice* device = SimulatedDeviceInUse())
        return new SimulatedMidiOut(device, clientName);
    return new RtMidiOut(RtMidi::UNSPECIFIED, clientName);
}
