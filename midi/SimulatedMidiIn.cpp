#include "midi/SimulatedMidiIn.h"

#include "midi/SimulatedMidiInApi.h"

SimulatedMidiIn::SimulatedMidiIn(SimulatedMidiDevice* device, const std::string& clientName,
                                 unsigned int queueSizeLimit)
    : RtMidiIn(RtMidi::UNSPECIFIED, clientName, queueSizeLimit) {
    // The library has made its default back end; ours takes its place.
    delete rtapi_;
    rtapi_ = nullptr;
    rtapi_ = new SimulatedMidiInApi(device, queueSizeLimit);
}
