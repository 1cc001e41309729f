#pragma once

#include "midi/MidiMessages.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

// The program's queue of received MIDI messages: the MIDI library's input thread puts
// in, the program's thread takes out, oldest first. It holds one message fewer than
// its limit, as the library's own ring does, and refuses what does not fit. When a
// message arrives in an empty queue it wakes the program once, so that a knob turned
// on the instrument reaches the screen at once instead of at the next poll.
class MidiInputQueue {
  public:
    MidiInputQueue(std::size_t limit, std::function<void()> wake);
    MidiInputQueue(const MidiInputQueue&) = delete;
    MidiInputQueue& operator=(const MidiInputQueue&) = delete;

    // On the input thread: false, counting it, when the queue is full.
    bool Push(const Bytes& message);
    // On the program's thread: the oldest message, or an empty one when there is none.
    void Pop(Bytes& message);
    // How many messages were refused since the last call.
    long TakeRefused();

  private:
    std::mutex mutex_;
    std::deque<Bytes> messages_;
    std::size_t capacity_;
    std::function<void()> wake_;
    bool wakeSent_ = false; // until the program finds the queue empty
    long refused_ = 0;
};
