#include "midi/DemoMode.h"

#include "midi/SimulatedMidiDevice.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

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
    if (const char* plug = lookUp("TAVREN_DEMO_PLUG"))
        settings.plugPath = plug;
    return settings;
}

std::unique_ptr<SimulatedMidiDevice> MakeDemoDevice(const DemoSettings& settings,
                                                    const std::string& portName) {
    if (!settings.enabled)
        return nullptr;
    auto device = std::make_unique<SimulatedMidiDevice>(portName);
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

bool PluggedIn(const std::string& contents) {
    const std::size_t first = contents.find_first_not_of(" \t\r\n");
    const std::size_t last = contents.find_last_not_of(" \t\r\n");
    return first == std::string::npos || contents.substr(first, last - first + 1) != "0";
}

void WatchDemoPlug(std::function<void()> announce) {
    static bool watching = false;
    SimulatedMidiDevice* device = DemoDevice();
    const std::string path = ReadDemoSettings([](const char* name) { return std::getenv(name); }).plugPath;
    if (watching || device == nullptr || path.empty())
        return;
    watching = true;
    const auto read = [path] {
        std::ifstream in(path, std::ios::binary);
        std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return PluggedIn(contents);
    };
    device->SetPlugged(read());
    // The thread lives as long as the process, as the demo instrument does.
    std::thread([device, read, announce = std::move(announce)] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const bool plugged = read();
            if (plugged == device->Plugged())
                continue;
            device->SetPlugged(plugged);
            if (announce)
                announce();
        }
    }).detach();
}
