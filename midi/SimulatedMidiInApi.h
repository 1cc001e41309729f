#pragma once

#include "midi/MidiMessages.h"

#include <RtMidi.h>

#include <string>

class SimulatedMidiDevice;

// An RtMidi input back end with the ports the simulated device lists; those of the
// instrument's name lead from the simulated instrument. What the device delivers goes
// into the library's own input queue, with its limit and its filters for SysEx, timing
// and active sensing, and leaves through getMessage as from any driver. Without a
// device it offers no port.
class SimulatedMidiInApi : public MidiInApi {
  public:
    SimulatedMidiInApi(SimulatedMidiDevice* device, unsigned int queueSizeLimit);
    ~SimulatedMidiInApi() override;

    RtMidi::Api getCurrentApi() override { return RtMidi::RTMIDI_DUMMY; }
    void openPort(unsigned int portNumber, const std::string& portName) override;
    void openVirtualPort(const std::string& portName) override;
    void closePort() override;
    void setClientName(const std::string& clientName) override;
    void setPortName(const std::string& portName) override;
    unsigned int getPortCount() override;
    std::string getPortName(unsigned int portNumber) override;

    // Called by the device (on its delivery thread or the program's): one message in,
    // to the callback when one is set, else to the library's queue. False when the
    // library's queue is full, as its limit wants, or the message is filtered out.
    bool Deliver(const Bytes& message);

  protected:
    void initialize(const std::string& clientName) override;

  private:
    SimulatedMidiDevice* device_;
};
