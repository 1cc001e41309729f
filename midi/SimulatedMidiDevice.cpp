#include "midi/SimulatedMidiDevice.h"

#include "midi/SimulatedMidiInApi.h"

#include <algorithm>
#include <utility>

SimulatedMidiDevice::SimulatedMidiDevice(std::string portName) : portName_(std::move(portName)) {}

SimulatedMidiDevice::~SimulatedMidiDevice() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (log_ != nullptr)
        std::fclose(log_);
}

bool SimulatedMidiDevice::OpenLog(const std::string& path) {
    if (log_ != nullptr)
        std::fclose(log_);
    log_ = std::fopen(path.c_str(), "ab");
    return log_ != nullptr;
}

void SimulatedMidiDevice::Receive(const Bytes& message) {
    received_.push_back(message);
    if (log_ != nullptr) {
        std::string line;
        for (uint8_t byte : message) {
            static const char kDigits[] = "0123456789ABCDEF";
            if (!line.empty())
                line += ' ';
            line += kDigits[byte >> 4];
            line += kDigits[byte & 0x0F];
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), log_);
        std::fflush(log_);
    }
    std::vector<Bytes> answers = instrument.Receive(message);
    if (!answers.empty())
        Schedule(std::move(answers), Clock::now() + latency_);
}

void SimulatedMidiDevice::Emit(const std::vector<Bytes>& messages) {
    std::lock_guard<std::mutex> lock(mutex_);
    DeliverDueLocked(Clock::now());
    for (const Bytes& message : messages)
        PushLocked(message);
}

void SimulatedMidiDevice::Schedule(std::vector<Bytes> messages, Clock::time_point due) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (latency_.count() <= 0) {
        // Nothing to wait for: straight into the queue, as a fast cable would.
        DeliverDueLocked(Clock::now());
        for (const Bytes& message : messages)
            PushLocked(message);
        return;
    }
    auto at = std::upper_bound(pending_.begin(), pending_.end(), due,
                               [](Clock::time_point time, const Pending& p) { return time < p.due; });
    for (Bytes& message : messages)
        at = pending_.insert(at, Pending{due, std::move(message)}) + 1;
    if (!thread_.joinable())
        thread_ = std::thread(&SimulatedMidiDevice::Run, this);
    changed_.notify_all();
}

void SimulatedMidiDevice::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty(); });
}

void SimulatedMidiDevice::Attach(SimulatedMidiInApi* input) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(inputs_.begin(), inputs_.end(), input) == inputs_.end())
        inputs_.push_back(input);
}

void SimulatedMidiDevice::Detach(SimulatedMidiInApi* input) {
    std::lock_guard<std::mutex> lock(mutex_);
    inputs_.erase(std::remove(inputs_.begin(), inputs_.end(), input), inputs_.end());
}

void SimulatedMidiDevice::DeliverDueLocked(Clock::time_point now) {
    auto due = pending_.begin();
    while (due != pending_.end() && due->due <= now) {
        PushLocked(due->message);
        ++due;
    }
    if (due != pending_.begin()) {
        pending_.erase(pending_.begin(), due);
        changed_.notify_all();
    }
}

void SimulatedMidiDevice::PushLocked(const Bytes& message) {
    for (SimulatedMidiInApi* input : inputs_)
        input->Deliver(message);
}

void SimulatedMidiDevice::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (pending_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const Clock::time_point next = pending_.front().due;
        if (Clock::now() < next) {
            changed_.wait_until(lock, next);
            continue;
        }
        DeliverDueLocked(Clock::now());
    }
}
