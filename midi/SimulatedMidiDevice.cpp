#include "midi/SimulatedMidiDevice.h"

#include "midi/MidiMessages.h"
#include "midi/SimulatedMidiInApi.h"

#include <algorithm>
#include <utility>

namespace {

// The thread looks at the time, and at whether it is to stop, at least this often.
constexpr std::chrono::milliseconds kLongestSleep(10);
constexpr std::chrono::milliseconds kSpinBefore(2);
constexpr std::chrono::seconds kStayAwake(1);

} // namespace

SimulatedMidiDevice::SimulatedMidiDevice(std::string portName)
    : portNames{portName}, portName_(std::move(portName)) {}

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
    if (!plugged_)
        return;
    lastReceived = Clock::now();
    if (keepReceived)
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
    // The instrument model speaks channel 1: the cable carries the device's channel.
    std::vector<Bytes> answers = instrument.Receive(SwapChannel(message, channel));
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
    lastScheduled_ = Clock::now();
    if (!thread_.joinable())
        thread_ = std::thread(&SimulatedMidiDevice::Run, this);
    changed_.notify_all();
}

void SimulatedMidiDevice::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty(); });
}

SimulatedMidiDevice::Lateness SimulatedMidiDevice::TakeLateness() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(lateness_, Lateness());
}

long SimulatedMidiDevice::TakeRefused() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(refused_, 0);
}

void SimulatedMidiDevice::Attach(SimulatedMidiInApi* input, const std::string& port) {
    std::lock_guard<std::mutex> lock(mutex_);
    Detached(input);
    (port == portName_ ? inputs_ : otherInputs_).push_back({input, port});
}

void SimulatedMidiDevice::Detach(SimulatedMidiInApi* input) {
    std::lock_guard<std::mutex> lock(mutex_);
    Detached(input);
}

void SimulatedMidiDevice::Detached(SimulatedMidiInApi* input) {
    for (auto* list : {&inputs_, &otherInputs_})
        list->erase(
            std::remove_if(list->begin(), list->end(), [input](const auto& in) { return in.first == input; }),
            list->end());
}

void SimulatedMidiDevice::EmitOn(const std::string& port, const std::vector<Bytes>& messages) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Bytes& message : messages)
        for (const auto& [input, name] : otherInputs_)
            if (name == port)
                input->Deliver(message);
}

void SimulatedMidiDevice::DeliverDueLocked(Clock::time_point now) {
    auto due = pending_.begin();
    while (due != pending_.end() && due->due <= now) {
        PushLocked(due->message);
        const double lateMs = std::chrono::duration<double, std::milli>(Clock::now() - due->due).count();
        ++lateness_.answers;
        lateness_.totalMs += lateMs;
        lateness_.longestMs = std::max(lateness_.longestMs, lateMs);
        ++due;
    }
    if (due != pending_.begin()) {
        pending_.erase(pending_.begin(), due);
        changed_.notify_all();
    }
}

void SimulatedMidiDevice::PushLocked(const Bytes& message) {
    if (!plugged_)
        return;
    const Bytes onChannel = SwapChannel(message, channel);
    for (const auto& in : inputs_)
        if (!in.first->Deliver(onChannel))
            ++refused_;
}

void SimulatedMidiDevice::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (pending_.empty()) {
            // Waking from a condition variable can take milliseconds too: while
            // requests keep coming, the thread looks for answers every millisecond.
            if (Clock::now() - lastScheduled_ < kStayAwake) {
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                lock.lock();
            } else {
                changed_.wait(lock);
            }
            continue;
        }
        const Clock::time_point now = Clock::now();
        const Clock::duration remaining = pending_.front().due - now;
        if (remaining <= Clock::duration::zero()) {
            DeliverDueLocked(now);
            continue;
        }
        // Timed waits on a condition variable overshoot by milliseconds on some
        // systems, and a thread woken from a sleep may wait for a processor: the
        // thread sleeps whole milliseconds until shortly before the time, then spins.
        lock.unlock();
        const auto sleepMs = std::chrono::floor<std::chrono::milliseconds>(remaining - kSpinBefore);
        if (sleepMs.count() > 0)
            std::this_thread::sleep_for(std::min(sleepMs, kLongestSleep));
        lock.lock();
    }
}
