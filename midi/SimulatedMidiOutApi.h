#pragma once

#include <RtMidi.h>

#include <string>

class SimulatedMidiDevice;

// An RtMidi output back end with the ports the simulated device lists; those of the
// instrument's name lead to the simulated instrument. Without a device it offers no
// port.
class SimulatedMidiOutApi : public MidiOutApi {
  public:
    explicit SimulatedMidiOutApi(SimulatedMidiDevice* device);
    ~SimulatedMidiOutApi() override = default;

    RtMidi::Api getCurrentApi() override { return RtMidi::RTMIDI_DUMMY; }
    void openPort(unsigned int portNumber, const std::string& portName) override;
    void openVirtualPort(const std::string& portName) override;
    void closePort() override;
    void setClientName(const std::string& clientName) override;
    void setPortName(const std::string& portName) override;
    unsigned int getPortCount() override;
    std::string getPortName(unsigned int portNumber) override;
    void sendMessage(const unsigned char* message, size_t size) override;

  protected:
    void initialize(const std::string& clientName) override;

  private:
    SimulatedMidiDevice* device_;
    bool toInstrument_ = false; // the open port is one of the instrument's
};
