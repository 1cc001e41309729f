#include "midi/SimulatedMidiInApi.h"

#include "engine/SysExConstants.h"
#include "midi/SimulatedMidiDevice.h"

namespace {

// The library's filter bits, as its drivers read them.
constexpr unsigned char kIgnoreSysEx = 0x01;
constexpr unsigned char kIgnoreTiming = 0x02;
constexpr unsigned char kIgnoreSensing = 0x04;
constexpr uint8_t kTimeCodeQuarterFrame = 0xF1;

} // namespace

SimulatedMidiInApi::SimulatedMidiInApi(SimulatedMidiDevice* device, unsigned int queueSizeLimit)
    : MidiInApi(queueSizeLimit), device_(device) {}

SimulatedMidiInApi::~SimulatedMidiInApi() {
    if (connected_ && device_ != nullptr)
        device_->Detach(this);
}

void SimulatedMidiInApi::initialize(const std::string&) {}

void SimulatedMidiInApi::openPort(unsigned int portNumber, const std::string&) {
    if (connected_) {
        errorString_ = "SimulatedMidiInApi::openPort: a valid connection already exists!";
        error(RtMidiError::WARNING, errorString_);
        return;
    }
    if (portNumber >= getPortCount()) {
        errorString_ = "SimulatedMidiInApi::openPort: the port number argument is invalid.";
        error(RtMidiError::INVALID_PARAMETER, errorString_);
        return;
    }
    if (device_->faults.open || device_->faults.heldElsewhere) {
        errorString_ = "SimulatedMidiInApi::openPort: the device did not open.";
        error(RtMidiError::DRIVER_ERROR, errorString_);
        return;
    }
    device_->Attach(this, device_->portNames[portNumber]);
    connected_ = true;
}

void SimulatedMidiInApi::openVirtualPort(const std::string&) {
    errorString_ = "SimulatedMidiInApi::openVirtualPort: there are no virtual ports.";
    error(RtMidiError::WARNING, errorString_);
}

void SimulatedMidiInApi::closePort() {
    if (!connected_)
        return;
    if (device_->faults.close) {
        errorString_ = "SimulatedMidiInApi::closePort: the device did not close.";
        error(RtMidiError::DRIVER_ERROR, errorString_);
        return;
    }
    device_->Detach(this);
    connected_ = false;
}

void SimulatedMidiInApi::setClientName(const std::string&) {}
void SimulatedMidiInApi::setPortName(const std::string&) {}

unsigned int SimulatedMidiInApi::getPortCount() {
    return device_ != nullptr ? static_cast<unsigned int>(device_->ListedPorts()) : 0;
}

std::string SimulatedMidiInApi::getPortName(unsigned int portNumber) {
    if (portNumber >= getPortCount()) {
        errorString_ = "SimulatedMidiInApi::getPortName: the port number argument is invalid.";
        error(RtMidiError::WARNING, errorString_);
        return std::string();
    }
    return device_->portNames[portNumber];
}

bool SimulatedMidiInApi::Deliver(const Bytes& message) {
    if (message.empty())
        return false;
    const uint8_t status = message[0];
    const unsigned char ignore = inputData_.ignoreFlags;
    // A piece that continues a SysEx message begins with a data byte.
    if ((ignore & kIgnoreSysEx) && (status == kSysExStart || status < 0x80))
        return false;
    if ((ignore & kIgnoreTiming) && (status == kTimingClock || status == kTimeCodeQuarterFrame))
        return false;
    if ((ignore & kIgnoreSensing) && status == kActiveSensing)
        return false;
    // With a callback the library's queue is not used: the callback takes everything,
    // and whatever queue it keeps counts its own refusals.
    if (inputData_.usingCallback) {
        Bytes copy = message;
        inputData_.userCallback(0.0, &copy, inputData_.userData);
        return true;
    }
    MidiMessage queued;
    queued.bytes = message;
    return inputData_.queue.push(queued);
}
