#pragma once

#include "midi/MidiInputQueue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IHost;
class RtMidiIn;
class RtMidiOut;

// The program's one pair of MIDI ports over RtMidi: find a device by name, open and
// close either side, send a whole message. Every error of the library is caught here
// and reported to the host as the status line "MIDI Device error.".
class MidiPort {
  public:
    // Creates the input object (client "RtMidi Input Client", a queue of 100 messages)
    // and the output object (client "RtMidi Output Client"); neither port is open. What
    // the input receives goes into the port's own queue, on the library's thread.
    explicit MidiPort(IHost* host);
    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;
    ~MidiPort(); // deletes both objects, which closes whatever is still open

    // The index of the input (output) device of that name, compared up to the first NUL;
    // else of the one device of that name when the number the library appends to it on
    // Windows differs (another interface plugged in before it); -1 if none.
    int FindInputPort(std::string name);
    int FindOutputPort(std::string name);

    bool OpenInput();  // opens inputPort; answers inputOpen
    bool OpenOutput(); // opens outputPort; answers outputOpen
    bool CloseInput();
    bool CloseOutput();

    // Sends one complete message on the output; false when the library refused it (the
    // device may be gone), which lastSendFailed remembers until the next send.
    bool Send(std::vector<uint8_t> message);

    // The devices as the library lists them now, for the port menus: the count, and
    // each name (empty when the index is no longer listed).
    int InputPortCount();
    int OutputPortCount();

    // Where the port menus list the simulated instrument they offer after the system's
    // ports (its index on each side), or -1 when none is offered.
    int OfferedDemoInput();
    int OfferedDemoOutput();

    // The oldest received message, or an empty one.
    void Receive(std::vector<uint8_t>& message);
    // How many received messages the full queue refused since the last call.
    long TakeRefused();
    std::string InputPortName(int index);
    std::string OutputPortName(int index);

    IHost* host;       // receives the error line; not owned
    RtMidiIn* input;   // owned; null only when the library could not be started
    RtMidiOut* output; // owned; null only when the library could not be started
    int outputPort;    // chosen output device, -1 for none
    int inputPort;     // chosen input device, -1 for none
    bool inputOpen;
    bool outputOpen;
    bool lastSendFailed;
    // Called on the library's thread when a message arrives in an empty queue; set before
    // the input opens. Not called while `loopsPolling` is above 0: a handler that waits
    // for the instrument polls the queue itself.
    std::function<void()> wake;
    std::atomic<int> loopsPolling{0};

  private:
    void ReportError();
    // Says so when the port that did not open is held by another program.
    void ReportHeldElsewhere(bool isInput);
    static void OnInput(double timeStamp, std::vector<unsigned char>* message, void* port);

    MidiInputQueue queue_;
    // The offered simulated instrument's port objects, listed after the system's; null
    // when none is offered. The open side is the system's or these.
    RtMidiIn* demoInput_ = nullptr;
    RtMidiOut* demoOutput_ = nullptr;
    bool inputOnDemo_ = false;
    bool outputOnDemo_ = false;
    std::vector<std::string> InputNames();
    std::vector<std::string> OutputNames();
};
