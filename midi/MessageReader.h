#pragma once

#include "midi/MidiMessages.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

// Takes what the MIDI library has queued and hands it out as whole messages: timing
// clocks are dropped, and a SysEx message that arrives in pieces is joined. The library
// itself, the pause between reads and the debugger output are given to it, so that it
// runs the same over RtMidi and over a scripted queue in a test.
class MessageReader {
  public:
    using Source = std::function<void(Bytes&)>;                  // the oldest queued message, or empty
    using Pause = std::function<void()>;                         // about 1 ms
    using DebugOutput = std::function<void(const std::string&)>; // one line for the debugger

    // A SysEx message whose end does not come is handed out as it is after this many empty reads.
    static constexpr int kGiveUpAfterEmptyReads = 100;
    static constexpr int kTruncatedNoticeAt = 10;

    MessageReader(Source source, Pause pause, DebugOutput debugOutput);

    // The next whole message; false when the queue is empty.
    bool Next(Bytes& message);

    // The message `index` places after the last one handed out, read from the queue at
    // once (no pause, no joining) and kept for Next; empty when the queue holds no more.
    const Bytes& Peek(std::size_t index);

    // Drops the first `count` peeked messages: they have been used.
    void Skip(std::size_t count);

  private:
    void Take(Bytes& message);
    void JoinSysEx(Bytes& message);

    Source source_;
    Pause pause_;
    DebugOutput debugOutput_;
    std::deque<Bytes> peeked_;
    Bytes none_;
};
