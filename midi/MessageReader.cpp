#include "midi/MessageReader.h"

#include "engine/SysExConstants.h"

#include <utility>

MessageReader::MessageReader(Source source, Pause pause, DebugOutput debugOutput)
    : source_(std::move(source)), pause_(std::move(pause)), debugOutput_(std::move(debugOutput)) {}

bool MessageReader::Next(Bytes& message) {
    for (;;) {
        Take(message);
        if (message.empty())
            return false;
        if (message[0] == kTimingClock)
            continue;
        if (message[0] == kSysExStart && message.back() != kSysExEnd)
            JoinSysEx(message);
        return true;
    }
}

void MessageReader::JoinSysEx(Bytes& message) {
    int emptyReads = 0;
    Bytes piece;
    for (;;) {
        pause_();
        Take(piece);
        if (piece.empty()) {
            ++emptyReads;
            if (emptyReads == kTruncatedNoticeAt)
                debugOutput_("MIDI Truncated!!\n");
            if (emptyReads > kGiveUpAfterEmptyReads)
                return;
            continue;
        }
        // Clock, active sensing and the other real-time bytes may come between the
        // pieces; none of them belongs to the message.
        if (IsRealTime(piece[0]))
            continue;
        message.insert(message.end(), piece.begin(), piece.end());
        if (message.back() == kSysExEnd)
            return;
    }
}

const Bytes& MessageReader::Peek(std::size_t index) {
    while (peeked_.size() <= index) {
        Bytes message;
        source_(message);
        if (message.empty())
            return none_;
        peeked_.push_back(std::move(message));
    }
    return peeked_[index];
}

void MessageReader::Skip(std::size_t count) {
    while (count > 0 && !peeked_.empty()) {
        peeked_.pop_front();
        --count;
    }
}

void MessageReader::Take(Bytes& message) {
    if (!peeked_.empty()) {
        message = std::move(peeked_.front());
        peeked_.pop_front();
        return;
    }
    message.clear();
    source_(message);
}
