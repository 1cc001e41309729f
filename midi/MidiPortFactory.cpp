#include "midi/MidiPortFactory.h"

#include "midi/DemoMode.h"
#include "midi/SimulatedMidiIn.h"
#include "midi/SimulatedMidiOut.h"

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
