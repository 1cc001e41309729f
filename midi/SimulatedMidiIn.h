#pragma once

#include <RtMidi.h>

#include <string>

class SimulatedMidiDevice;

// A real RtMidiIn whose back end is a simulated instrument's port: everything above the
// back end (the queue and its limit, the filters, getMessage) is the library's own.
class SimulatedMidiIn : public RtMidiIn {
  public:
    explicit SimulatedMidiIn(SimulatedMidiDevice* device,
                             const std::string& clientName = "RtMidi Input Client",
                             unsigned int queueSizeLimit = 100);
};
