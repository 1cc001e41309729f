#include "midi/SimulatedMidiOutApi.h"

#include "midi/SimulatedMidiDevice.h"

SimulatedMidiOutApi::SimulatedMidiOutApi(SimulatedMidiDevice* device) : device_(device) {}

void SimulatedMidiOutApi::initialize(const std::string&) {}

void SimulatedMidiOutApi::openPort(unsigned int portNumber, const std::string&) {
    if (connected_) {
        errorString_ = "SimulatedMidiOutApi::openPort: a valid connection already exists!";
        error(RtMidiError::WARNING, errorString_);
        return;
    }
    if (portNumber >= getPortCount()) {
        errorString_ = "SimulatedMidiOutApi::openPort: the port number argument is invalid.";
        error(RtMidiError::INVALID_PARAMETER, errorString_);
        return;
    }
    if (device_->faults.open || device_->faults.heldElsewhere) {
        errorString_ = "SimulatedMidiOutApi::openPort: the device did not open.";
        error(RtMidiError::DRIVER_ERROR, errorString_);
        return;
    }
    toInstrument_ = device_->portNames[portNumber] == device_->PortName();
    connected_ = true;
}

void SimulatedMidiOutApi::openVirtualPort(const std::string&) {
    errorString_ = "SimulatedMidiOutApi::openVirtualPort: there are no virtual ports.";
    error(RtMidiError::WARNING, errorString_);
}

void SimulatedMidiOutApi::closePort() {
    if (!connected_)
        return;
    if (device_->faults.close) {
        errorString_ = "SimulatedMidiOutApi::closePort: the device did not close.";
        error(RtMidiError::DRIVER_ERROR, errorString_);
        return;
    }
    connected_ = false;
}

void SimulatedMidiOutApi::setClientName(const std::string&) {}
void SimulatedMidiOutApi::setPortName(const std::string&) {}

unsigned int SimulatedMidiOutApi::getPortCount() {
    return device_ != nullptr ? static_cast<unsigned int>(device_->ListedPorts()) : 0;
}

std::string SimulatedMidiOutApi::getPortName(unsigned int portNumber) {
    if (portNumber >= getPortCount()) {
        errorString_ = "SimulatedMidiOutApi::getPortName: the port number argument is invalid.";
        error(RtMidiError::WARNING, errorString_);
        return std::string();
    }
    return device_->portNames[portNumber];
}

void SimulatedMidiOutApi::sendMessage(const unsigned char* message, size_t size) {
    // Like the Windows driver: nothing leaves a port that is not open.
    if (!connected_ || !toInstrument_)
        return;
    int& left = device_->faults.messagesBeforeUnplugged;
    if (left == 0) {
        device_->portNames.clear();
        device_->faults.send = true;
        left = -1;
    } else if (left > 0) {
        --left;
    }
    if (device_->faults.send || !device_->Plugged()) {
        errorString_ = "SimulatedMidiOutApi::sendMessage: the device did not take the message.";
        error(RtMidiError::DRIVER_ERROR, errorString_);
        return;
    }
    if (size == 0) {
        errorString_ = "SimulatedMidiOutApi::sendMessage: message argument is empty!";
        error(RtMidiError::WARNING, errorString_);
        return;
    }
    device_->Receive(Bytes(message, message + size));
}
