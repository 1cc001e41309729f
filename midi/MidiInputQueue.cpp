#include "midi/MidiInputQueue.h"

#include <utility>

MidiInputQueue::MidiInputQueue(std::size_t limit, std::function<void()> wake)
    : capacity_(limit > 0 ? limit - 1 : 0), wake_(std::move(wake)) {}

bool MidiInputQueue::Push(const Bytes& message) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (messages_.size() >= capacity_) {
            ++refused_;
            return false;
        }
        messages_.push_back(message);
        wake = !wakeSent_;
        wakeSent_ = true;
    }
    if (wake && wake_)
        wake_();
    return true;
}

void MidiInputQueue::Pop(Bytes& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    message.clear();
    if (messages_.empty()) {
        wakeSent_ = false;
        return;
    }
    message = std::move(messages_.front());
    messages_.pop_front();
}

long MidiInputQueue::TakeRefused() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(refused_, 0);
}
