// bench-soak [SECONDS]: control changes at MIDI wire rate in both directions between
// the application and the simulated instrument, for SECONDS (default 20): every
// millisecond the instrument turns the cutoff knob and the program sends a resonance
// change. Prints the process's memory at the start, every five minutes and at the
// end; how many of the instrument's messages the input queue took and refused (it
// holds 100, and timer 1 empties it every 100 ms); that the queue is empty at the end
// and the knob shows the last value it took; and that every change the program sent
// reached the instrument. Needs a display.
#include "controls/CustomControl.h"
#include "engine/Parameter.h"
#include "engine/Pro800Engine.h"
#include "midi/MidiPort.h"
#include "tools/BenchApp.h"

#include "controls/GdiplusHeader.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCutoff = 15;
constexpr int kResonance = 16;
constexpr int kRatePerSecond = 1000;

struct Memory {
    double workingSetMb;
    double privateMb; // committed private memory
};

Memory ReadMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return {counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

void PrintMemory(const char* when, double seconds) {
    const Memory memory = ReadMemory();
    std::printf("  %-6s %6.0f s  working set %6.1f MB, private %6.1f MB\n", when, seconds,
                memory.workingSetMb, memory.privateMb);
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const long seconds = argc > 1 ? std::max(1L, std::wcstol(argv[1], nullptr, 10)) : 20;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    SimulatedMidiDevice device("Bench Pro~800");
    device.keepReceived = true; // counted and cleared as the soak goes
    App* app = OpenBenchApp(device, "bench-soak");
    if (app == nullptr)
        return 1;
    app->LoadBank(0);
    Pump();
    device.ClearReceived();
    device.TakeRefused();
    app->midiPort->TakeRefused();

    Parameter* cutoff = app->engine->FindParameter(kCutoff);
    Parameter* resonance = app->engine->FindParameter(kResonance);
    std::printf("control changes at %d per second each way for %ld s:\n", kRatePerSecond, seconds);
    PrintMemory("start", 0);

    HWND knob = cutoff->GetControl()->hwnd;
    Clock::time_point lastRepaint;
    double longestBetweenRepaints = 0;
    int shownValue = cutoff->GetValue();
    long emitted = 0;
    long sent = 0;
    long arrived = 0;
    long refused = 0;
    int lastTaken = -1;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    Clock::time_point nextReport = start + std::chrono::minutes(5);
    for (Clock::time_point now = start; now < end; now = Clock::now()) {
        const long due =
            static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count() *
                              kRatePerSecond / 1000);
        while (emitted < due) {
            const auto value = static_cast<uint8_t>(emitted % 128);
            device.Emit({{0xB0, kCutoff, value}});
            const long notTaken = device.TakeRefused() + app->midiPort->TakeRefused();
            refused += notTaken;
            if (notTaken == 0)
                lastTaken = value;
            ++emitted;
            app->ControlChanged(kResonance, resonance->FromMidi(static_cast<int>(sent % 128)));
            ++sent;
        }
        arrived += static_cast<long>(device.Received().size());
        device.ClearReceived();
        Pump();
        // The cutoff knob drawn with a new value: the longest time between two such repaints.
        if (cutoff->GetValue() != shownValue && !GetUpdateRect(knob, nullptr, FALSE)) {
            const Clock::time_point painted = Clock::now();
            if (lastRepaint != Clock::time_point())
                longestBetweenRepaints =
                    std::max(longestBetweenRepaints,
                             std::chrono::duration<double, std::milli>(painted - lastRepaint).count());
            lastRepaint = painted;
            shownValue = cutoff->GetValue();
        }
        if (now >= nextReport) {
            PrintMemory("", std::chrono::duration<double>(now - start).count());
            nextReport += std::chrono::minutes(5);
        }
        Sleep(1);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    app->PollMidiInput();
    Pump();
    arrived += static_cast<long>(device.Received().size());
    PrintMemory("end", elapsed);

    std::vector<uint8_t> left;
    app->midiPort->Receive(left);
    const bool shown = lastTaken < 0 || cutoff->GetValue() == cutoff->FromMidi(lastTaken);
    std::printf(
        "  from the instrument: %ld sent, %ld taken by the queue, %ld refused when it was full (%.2f %%)\n",
        emitted, emitted - refused, refused, emitted > 0 ? 100.0 * refused / emitted : 0.0);
    std::printf("  queue at the end: %s; the cutoff knob shows the last value taken: %s\n",
                left.empty() ? "empty" : "NOT EMPTY", shown ? "yes" : "NO");
    std::printf("  to the instrument: %ld sent, %ld arrived%s\n", sent, arrived,
                arrived == sent ? "" : "  (CHANGES LOST)");
    std::printf(
        "  the window stayed responsive: at most %.1f ms between two repaints of the cutoff knob with a "
        "new value (goal: at most 50 ms)\n",
        longestBetweenRepaints);
    std::printf("  nothing that fitted in the queue was lost: %s\n",
                left.empty() && shown && arrived == sent ? "yes" : "NO");

    delete app->midiPort;
    app->midiPort = nullptr;
    UseSimulatedDevice(nullptr);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
