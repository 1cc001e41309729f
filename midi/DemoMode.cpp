#include "midi/DemoMode.h"

#include "midi/SimulatedMidiDevice.h"

#include <chrono>
#include <cstdlib>
#include <optional>

namespace {

constexpr int kLongestLatencyMs = 60000;

std::optional<int> ReadWholeNumber(const char* text, int highest) {
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    long value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return std::nullopt;
        value = value * 10 + (*c - '0');
        if (value > highest)
            return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

DemoSettings ReadDemoSettings(const std::function<const char*(const char*)>& lookUp) {
    DemoSettings settings;
    const char* demo = lookUp("TAVREN_DEMO");
    settings.enabled = demo != nullptr && std::string(demo) == "1";
    settings.currentPatch =
        ReadWholeNumber(lookUp("TAVREN_DEMO_PATCH"), SimulatedInstrument::kPatchCount - 1).value_or(0);
    if (const char* log = lookUp("TAVREN_DEMO_LOG"))
        settings.logPath = log;
    settings.latencyMs = ReadWholeNumber(lookUp("TAVREN_DEMO_LATENCY_MS"), kLongestLatencyMs).value_or(0);
    return settings;
}

std::unique_ptr<SimulatedMidiDevice> MakeDemoDevice(const DemoSettings& settings) {
    if (!settings.enabled)
        return nullptr;
    auto device = std::make_unique<SimulatedMidiDevice>(kDemoPortName);
    device->keepReceived = false;
    device->instrument.SetCurrentPatch(settings.currentPatch);
    device->SetLatency(std::chrono::milliseconds(settings.latencyMs));
    if (!settings.logPath.empty())
        device->OpenLog(settings.logPath);
    return device;
}

SimulatedMidiDevice* DemoDevice() {
    // Never deleted: its delivery thread may run until the process ends.
    static SimulatedMidiDevice* const device =
        MakeDemoDevice(ReadDemoSettings([](const char* name) { return std::getenv(name); })).release();
    return device;
}
