#pragma once

#include <RtMidi.h>

#include <string>

class SimulatedMidiDevice;

// A real RtMidiOut whose back end is a simulated instrument's port.
class SimulatedMidiOut : public RtMidiOut {
  public:
    explicit SimulatedMidiOut(SimulatedMidiDevice* device,
                              const std::string& clientName = "RtMidi Output Client");
};
