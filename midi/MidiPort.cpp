#include "midi/MidiPort.h"

#include "app/IHost.h"
#include "midi/MidiPortFactory.h"
#include "midi/PortNames.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedMidiIn.h"
#include "midi/SimulatedMidiOut.h"

#include <RtMidi.h>

#include <mmsystem.h>

namespace {

constexpr unsigned int kInputQueueLimit = 100;

// The ports of one object, then the offered simulated instrument's, if any.
template <typename Ports> std::vector<std::string> Names(Ports* ports, Ports* demo) {
    std::vector<std::string> names;
    const unsigned int count = ports != nullptr ? ports->getPortCount() : 0;
    for (unsigned int i = 0; i < count; ++i)
        names.push_back(ports->getPortName(i));
    if (demo != nullptr)
        names.push_back(demo->getPortName(0));
    return names;
}

// Whether another program holds the port. The library's error does not say why a port
// did not open: the simulated device knows, and the system's driver answers
// MMSYSERR_ALLOCATED when asked to open a port that is held.
bool HeldElsewhere(bool input, int index) {
    if (SimulatedMidiDevice* device = SimulatedDeviceInUse())
        return device->faults.heldElsewhere;
    if (index < 0)
        return false;
    MMRESULT result = MMSYSERR_ERROR;
    if (input) {
        HMIDIIN handle = nullptr;
        result = midiInOpen(&handle, static_cast<UINT>(index), 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR)
            midiInClose(handle);
    } else {
        HMIDIOUT handle = nullptr;
        result = midiOutOpen(&handle, static_cast<UINT>(index), 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR)
            midiOutClose(handle);
    }
    return result == MMSYSERR_ALLOCATED;
}

} // namespace

MidiPort::MidiPort(IHost* hostApp)
    : host(hostApp), input(nullptr), output(nullptr), outputPort(-1), inputPort(-1), inputOpen(false),
      outputOpen(false), lastSendFailed(false), queue_(kInputQueueLimit, [this] {
          if (wake && loopsPolling == 0)
              wake();
      }) {
    try {
        input = CreateMidiIn("RtMidi Input Client", kInputQueueLimit);
        // The library hands every message to the port's queue as it arrives, so that
        // the program can be woken for it instead of finding it at its next poll.
        input->setCallback(&MidiPort::OnInput, this);
        output = CreateMidiOut("RtMidi Output Client");
        if (SimulatedMidiDevice* offered = OfferedDemoDevice()) {
            demoInput_ = new SimulatedMidiIn(offered, "RtMidi Input Client", kInputQueueLimit);
            demoInput_->setCallback(&MidiPort::OnInput, this);
            demoOutput_ = new SimulatedMidiOut(offered, "RtMidi Output Client");
        }
    } catch (const RtMidiError&) {
        ReportError();
    }
}

MidiPort::~MidiPort() {
    delete input;
    delete output;
    delete demoInput_;
    delete demoOutput_;
}

std::vector<std::string> MidiPort::InputNames() {
    return Names<RtMidiIn>(input, demoInput_);
}

std::vector<std::string> MidiPort::OutputNames() {
    return Names<RtMidiOut>(output, demoOutput_);
}

int MidiPort::OfferedDemoInput() {
    return demoInput_ != nullptr ? static_cast<int>(InputNames().size()) - 1 : -1;
}

int MidiPort::OfferedDemoOutput() {
    return demoOutput_ != nullptr ? static_cast<int>(OutputNames().size()) - 1 : -1;
}

void MidiPort::OnInput(double, std::vector<unsigned char>* message, void* port) {
    if (message != nullptr && port != nullptr)
        static_cast<MidiPort*>(port)->queue_.Push(*message);
}

void MidiPort::Receive(std::vector<uint8_t>& message) {
    queue_.Pop(message);
}

long MidiPort::TakeRefused() {
    return queue_.TakeRefused();
}

void MidiPort::ReportHeldElsewhere(bool isInput) {
    const int index = isInput ? inputPort : outputPort;
    const bool offered = isInput ? inputOnDemo_ : outputOnDemo_;
    if (host == nullptr || offered || !HeldElsewhere(isInput, index))
        return;
    const std::string name = isInput ? InputPortName(index) : OutputPortName(index);
    host->ShowStatus(std::string(isInput ? "MIDI input \"" : "MIDI output \"") + name +
                     "\" is in use by another program.");
}

void MidiPort::ReportError() {
    if (host != nullptr)
        host->ShowStatus("MIDI Device error.");
}

int MidiPort::FindInputPort(std::string name) {
    try {
        return MatchPortName(InputNames(), name);
    } catch (const RtMidiError&) {
        ReportError();
        return -1;
    }
}

int MidiPort::FindOutputPort(std::string name) {
    try {
        return MatchPortName(OutputNames(), name);
    } catch (const RtMidiError&) {
        ReportError();
        return -1;
    }
}

bool MidiPort::OpenInput() {
    try {
        inputOnDemo_ = inputPort >= 0 && inputPort == OfferedDemoInput();
        RtMidiIn* side = inputOnDemo_ ? demoInput_ : input;
        if (side == nullptr)
            throw RtMidiError("MidiPort: no MIDI input", RtMidiError::NO_DEVICES_FOUND);
        side->openPort(inputOnDemo_ ? 0 : static_cast<unsigned int>(inputPort), "RtMidi Input");
        inputOpen = true;
        side->ignoreTypes(false, false, false);
    } catch (const RtMidiError&) {
        ReportError();
        inputOpen = false;
        ReportHeldElsewhere(true);
    }
    return inputOpen;
}

bool MidiPort::OpenOutput() {
    try {
        outputOnDemo_ = outputPort >= 0 && outputPort == OfferedDemoOutput();
        RtMidiOut* side = outputOnDemo_ ? demoOutput_ : output;
        if (side == nullptr)
            throw RtMidiError("MidiPort: no MIDI output", RtMidiError::NO_DEVICES_FOUND);
        side->openPort(outputOnDemo_ ? 0 : static_cast<unsigned int>(outputPort), "RtMidi Output");
        outputOpen = true;
    } catch (const RtMidiError&) {
        ReportError();
        ReportHeldElsewhere(false);
    }
    return outputOpen;
}

bool MidiPort::CloseInput() {
    try {
        if (RtMidiIn* side = inputOnDemo_ ? demoInput_ : input)
            side->closePort();
        inputOpen = false;
    } catch (const RtMidiError&) {
        ReportError();
    }
    return true;
}

bool MidiPort::CloseOutput() {
    try {
        if (RtMidiOut* side = outputOnDemo_ ? demoOutput_ : output)
            side->closePort();
        outputOpen = false;
    } catch (const RtMidiError&) {
        ReportError();
    }
    return true;
}

bool MidiPort::Send(std::vector<uint8_t> message) {
    // The library reads the first byte of whatever it is given: an empty message is not sent.
    lastSendFailed = false;
    if (message.empty())
        return true;
    try {
        RtMidiOut* side = outputOnDemo_ ? demoOutput_ : output;
        if (side == nullptr)
            throw RtMidiError("MidiPort: no MIDI output", RtMidiError::NO_DEVICES_FOUND);
        side->sendMessage(&message);
    } catch (const RtMidiError&) {
        ReportError();
        lastSendFailed = true;
    }
    return !lastSendFailed;
}

int MidiPort::InputPortCount() {
    try {
        return static_cast<int>(InputNames().size());
    } catch (const RtMidiError&) {
        ReportError();
        return 0;
    }
}

int MidiPort::OutputPortCount() {
    try {
        return static_cast<int>(OutputNames().size());
    } catch (const RtMidiError&) {
        ReportError();
        return 0;
    }
}

std::string MidiPort::InputPortName(int index) {
    try {
        const std::vector<std::string> names = InputNames();
        return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)]
                                                                    : std::string();
    } catch (const RtMidiError&) {
        ReportError();
        return std::string();
    }
}

std::string MidiPort::OutputPortName(int index) {
    try {
        const std::vector<std::string> names = OutputNames();
        return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)]
                                                                    : std::string();
    } catch (const RtMidiError&) {
        ReportError();
        return std::string();
    }
}
