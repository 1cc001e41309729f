#include "midi/SimulatedMidiOut.h"

#include "midi/SimulatedMidiOutApi.h"

SimulatedMidiOut::SimulatedMidiOut(SimulatedMidiDevice* device, const std::string& clientName)
    : RtMidiOut(RtMidi::UNSPECIFIED, clientName) {
    delete rtapi_;
    rtapi_ = nullptr;
    rtapi_ = new SimulatedMidiOutApi(device);
}
