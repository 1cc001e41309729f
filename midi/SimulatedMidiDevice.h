#pragma once

#include "midi/SimulatedInstrument.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SimulatedMidiInApi;

// The cable between the program's MIDI ports and a simulated instrument. The output
// back end hands it what the program sends; the instrument's answers reach every open
// input back end after the latency, pushed into the MIDI library's own input queue by
// a thread of the device, as a driver would. Everything but that delivery runs on the
// program's thread.
class SimulatedMidiDevice {
  public:
    using Clock = std::chrono::steady_clock;

    // Faults that the back ends raise as the library's errors.
    struct Faults {
        bool open = false;
        bool heldElsewhere = false; // another program holds its ports: they do not open
        bool close = false;
        bool send = false;
        // Unplugged after this many more messages reach it: its ports are no longer
        // listed and every send fails. -1: never.
        int messagesBeforeUnplugged = -1;
    };

    explicit SimulatedMidiDevice(std::string portName);
    SimulatedMidiDevice(const SimulatedMidiDevice&) = delete;
    SimulatedMidiDevice& operator=(const SimulatedMidiDevice&) = delete;
    ~SimulatedMidiDevice();

    // The name of the instrument's input and output port.
    const std::string& PortName() const { return portName_; }

    // The ports the system lists on each side, in its order: at first only the
    // instrument's. Ports of the instrument's name lead to it; any other one leads to a
    // device that takes everything and says nothing.
    std::vector<std::string> portNames;

    // Each answer reaches the input this long after the request left the output.
    void SetLatency(std::chrono::milliseconds latency) { latency_ = latency; }

    // Appends every message the instrument receives to the file, one line each; false
    // when the file cannot be opened.
    bool OpenLog(const std::string& path);

    // A message from the program: the instrument reads it, and its answers follow.
    void Receive(const Bytes& message);

    // Messages from the instrument's side (a knob turned, a patch changed), sent now.
    void Emit(const std::vector<Bytes>& messages);

    // Waits until every answer sent so far has reached the inputs or been dropped.
    void Flush();

    // How late the delayed answers reached the inputs, against their latency: the
    // simulation's own error, which benchmarks take out of their figures.
    struct Lateness {
        int answers = 0;
        double totalMs = 0;
        double longestMs = 0;
    };
    // The lateness since the last call.
    Lateness TakeLateness();

    // How many deliveries the inputs refused since the last call: a full queue, or a
    // kind of message that the input filters out.
    long TakeRefused();

    // Unplugged (or switched off), it lists no port, nothing reaches it, every send fails
    // and it sends nothing; plugged in again, its ports are listed as before.
    void SetPlugged(bool plugged) { plugged_ = plugged; }
    bool Plugged() const { return plugged_; }
    // The ports the system lists now: `portNames`, or none while unplugged.
    std::size_t ListedPorts() const { return plugged_ ? portNames.size() : 0; }

    // The MIDI channel the instrument listens and sends on, 1 to 16.
    std::atomic<int> channel{1};

    // When the instrument last received a message from the program, for benchmarks.
    Clock::time_point lastReceived;

    // Everything the instrument has received, oldest first, while `keepReceived` is set.
    const std::vector<Bytes>& Received() const { return received_; }
    void ClearReceived() { received_.clear(); }
    bool keepReceived = true; // the demo instrument of a long session keeps nothing

    // Input back ends register while their port is open.
    void Attach(SimulatedMidiInApi* input, const std::string& port);
    void Detach(SimulatedMidiInApi* input);

    // Messages that another device sends on its port `port` (a controller keyboard, say):
    // they reach the inputs open on that port, now.
    void EmitOn(const std::string& port, const std::vector<Bytes>& messages);

    SimulatedInstrument instrument;
    Faults faults;

  private:
    struct Pending {
        Clock::time_point due;
        Bytes message;
    };

    void Schedule(std::vector<Bytes> messages, Clock::time_point due);
    void DeliverDueLocked(Clock::time_point now);
    void PushLocked(const Bytes& message);
    void Run();

    std::string portName_;
    std::chrono::milliseconds latency_{0};
    std::vector<Bytes> received_;
    std::FILE* log_ = nullptr;

    std::mutex mutex_; // guards what follows: the delivery thread shares it
    std::condition_variable changed_;
    std::vector<Pending> pending_;                                 // ordered by due time
    using OpenInput = std::pair<SimulatedMidiInApi*, std::string>; // with its port
    void Detached(SimulatedMidiInApi* input);
    std::vector<OpenInput> inputs_;      // on the instrument's port
    std::vector<OpenInput> otherInputs_; // on any other port
    Clock::time_point lastScheduled_;
    Lateness lateness_;
    long refused_ = 0;
    bool stopping_ = false;
    std::atomic<bool> plugged_{true};
    std::thread thread_;
};
