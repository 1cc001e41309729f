// bench-midi [ROUNDS]: prints how long the application takes to load a bank of 100
// patches from the simulated instrument when each answer comes L ms after its request
// (L = 0, 2, 10 and 67, the last being a dump's time on a 5-pin DIN cable), against
// 100 x L and the goal of 1.05 x 100 x L + 50 ms; then how long a control change from
// the instrument takes from entering the input queue to its knob's repaint, and how
// long a restore of a bank with its read-backs takes at L = 0, 10 and 67. Bank
// figures are medians of ROUNDS loads (default 3); beside them, how late the
// simulated instrument's own thread delivered the answers, and the load time without
// that delay. Then an undo of one step of the edit to its control change leaving the
// program, and a store of the edit with its read-back at L = 67. Last, the working set
// with all 400 patches cached. Needs a display.
//
// bench-midi --winmm [ROUNDS]: started from a folder that holds the tests' winmm.dll
// (with WINEDLLOVERRIDES holding winmm=n), prints the bank load through RtMidi's own
// Windows back end and that winmm.dll, beside the same load from the simulated back end
// in the same process, both at the latency L of TAVREN_WINMM_LATENCY_MS (which the
// winmm.dll reads too), and their ratio; at L = 0 also a control change's way to its
// knob's repaint through each.
#include "controls/CustomControl.h"
#include "engine/Parameter.h"
#include "engine/Pro800Engine.h"
#include "midi/MidiPort.h"
#include "resources/ResourceIds.h"
#include "tools/BenchApp.h"

#include "controls/GdiplusHeader.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCutoff = 15;

// How long control changes from the instrument take to reach the cutoff knob on screen,
// over 1,000: from the moment `emit` hands one to the instrument until the knob holds
// its value and has nothing left to paint, waiting for window messages as the program's
// loop does. Each comes at another moment of timer 1's period.
std::vector<double> FollowTimes(App* app, const std::function<void(const Bytes&)>& emit) {
    Parameter* cutoff = app->engine->FindParameter(kCutoff);
    HWND knob = cutoff->GetControl()->hwnd;
    std::vector<double> delays;
    for (int trial = 0; trial < 1000; ++trial) {
        const Clock::time_point pause = Clock::now();
        while (MsSince(pause) < (trial * 7) % 20) {
            Pump();
            Sleep(1);
        }
        const int value = trial % 2 == 0 ? 0x7F : 0x10 + trial % 100;
        const int expected = cutoff->FromMidi(value);
        const Clock::time_point start = Clock::now();
        emit({0xB0, kCutoff, static_cast<uint8_t>(value)});
        while (cutoff->GetValue() != expected || GetUpdateRect(knob, nullptr, FALSE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            Pump();
        }
        delays.push_back(MsSince(start));
    }
    std::sort(delays.begin(), delays.end());
    return delays;
}

void PrintFollow(const char* through, const std::vector<double>& delays) {
    std::printf("  through the %s: median %.2f ms, longest %.2f ms over %zu (goal: median at most 10 ms, "
                "longest 25 ms)\n",
                through, Median(delays), delays.back(), delays.size());
}

// The median of `rounds` loads of banks 0, 1, ..., each into an empty cache; `loaded`
// answers how many patches the last one stored.
double MedianBankLoad(App* app, int rounds, int& loaded) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        for (PatchSlot& slot : app->patchBank.slots)
            slot = PatchSlot{};
        const Clock::time_point start = Clock::now();
        app->LoadBank(round % PatchBank::kBanks);
        times.push_back(MsSince(start));
        loaded = static_cast<int>(std::count_if(app->patchBank.slots.begin(), app->patchBank.slots.end(),
                                                [](const PatchSlot& slot) { return slot.loaded; }));
        Pump();
    }
    return Median(times);
}

int CompareWithWinmm(int rounds) {
    char text[16] = "";
    GetEnvironmentVariableA("TAVREN_WINMM_LATENCY_MS", text, sizeof text);
    const int latency = std::atoi(text);
    // RtMidi names a WinMM port by the device's name and the port's number.
    App* app = OpenBenchApp(nullptr, "Loop Pro~800 0", "bench-midi");
    if (app == nullptr || !app->PortsOpen()) {
        std::fprintf(stderr, "bench-midi: the ports of winmm.dll did not open\n");
        return 1;
    }
    Pump();
    int loadedWinmm = 0, loadedSimulated = 0;
    const double winmm = MedianBankLoad(app, rounds, loadedWinmm);
    // The stand-in lets this process turn the instrument's knob, as the driver would
    // deliver it from the instrument.
    using Emit = void(WINAPI*)(const unsigned char*, unsigned);
    const auto standInEmit = reinterpret_cast<Emit>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"winmm.dll"), "StandInEmit")));
    std::vector<double> followWinmm;
    if (latency == 0 && standInEmit != nullptr)
        followWinmm = FollowTimes(app, [standInEmit](const Bytes& message) {
            standInEmit(message.data(), static_cast<unsigned>(message.size()));
        });

    SimulatedMidiDevice device("Bench Pro~800");
    device.SetLatency(std::chrono::milliseconds(latency));
    device.keepReceived = false;
    UseSimulatedDevice(&device);
    GetSettings().MIDIInDevice = device.PortName();
    GetSettings().MIDIOutDevice = device.PortName();
    app->InitMidi();
    app->deviceRecognized = true;
    const double simulated = MedianBankLoad(app, rounds, loadedSimulated);
    std::printf("  L %2d ms: through winmm.dll %8.1f ms, simulated back end %8.1f ms, ratio %.3f (%s)%s\n",
                latency, winmm, simulated, winmm / simulated,
                std::abs(winmm / simulated - 1) <= 0.05 ? "within 5 %" : "not within 5 %",
                loadedWinmm == 100 && loadedSimulated == 100 ? "" : "  (patches missing)");
    if (!followWinmm.empty()) {
        std::printf("control change from the instrument to the knob's repaint, in the same process:\n");
        PrintFollow("stand-in winmm.dll", followWinmm);
        PrintFollow("simulated back end",
                    FollowTimes(app, [&device](const Bytes& message) { device.Emit({message}); }));
    }
    app->CloseMidi();
    UseSimulatedDevice(nullptr);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool winmm = argc > 1 && std::wcscmp(argv[1], L"--winmm") == 0;
    if (winmm) {
        --argc;
        ++argv;
    }
    const int rounds = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 3;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    if (winmm) {
        const int result = CompareWithWinmm(rounds);
        Gdiplus::GdiplusShutdown(gdiplusToken);
        return result;
    }

    SimulatedMidiDevice device("Bench Pro~800");
    App* app = OpenBenchApp(device, "bench-midi");
    if (app == nullptr)
        return 1;
    Pump();

    std::printf("bank load from the simulated instrument (median of %d, 100 requests each):\n", rounds);
    std::printf("  %6s %10s %10s %10s %-22s %14s %16s\n", "L (ms)", "load (ms)", "100 x L", "goal", "",
                "late answers", "load less late");
    for (int latency : {0, 2, 10, 67}) {
        device.SetLatency(std::chrono::milliseconds(latency));
        std::vector<double> times;
        std::vector<double> lateTotals;
        double longestLate = 0;
        int loaded = 0;
        for (int round = 0; round < rounds; ++round) {
            const int bank = round % PatchBank::kBanks;
            for (PatchSlot& slot : app->patchBank.slots)
                slot = PatchSlot{};
            device.TakeLateness();
            const Clock::time_point start = Clock::now();
            app->LoadBank(bank);
            times.push_back(MsSince(start));
            const SimulatedMidiDevice::Lateness late = device.TakeLateness();
            lateTotals.push_back(late.totalMs);
            longestLate = std::max(longestLate, late.longestMs);
            loaded = static_cast<int>(std::count_if(app->patchBank.slots.begin(), app->patchBank.slots.end(),
                                                    [](const PatchSlot& slot) { return slot.loaded; }));
            device.Flush();
            Pump();
        }
        const double goal = 1.05 * 100 * latency + 50;
        const double median = Median(times);
        std::vector<double> lessLate;
        for (size_t i = 0; i < times.size(); ++i)
            lessLate.push_back(times[i] - lateTotals[i]);
        std::printf("  %6d %10.1f %10d %10.1f %-22s %8.1f (%4.1f) %16.1f%s\n", latency, median, 100 * latency,
                    goal, median <= goal ? "within the goal" : "over the goal", Median(lateTotals),
                    longestLate, Median(lessLate), loaded == 100 ? "" : "  (patches missing)");
    }
    std::printf(
        "  late answers: the simulation's own delay beyond L over the 100 answers, total (longest)\n");

    device.SetLatency(std::chrono::milliseconds(0));
    std::printf("\ncontrol change from the instrument to the knob's repaint:\n");
    PrintFollow("simulated back end",
                FollowTimes(app, [&device](const Bytes& message) { device.Emit({message}); }));
    Parameter* cutoff = app->engine->FindParameter(kCutoff);

    // A restore writes one patch at a time and waits for its read-back before the next.
    std::printf("\nrestore of bank 1 (100 patches, each read back before the next):\n");
    std::vector<Bytes> bank1;
    for (int n = 100; n < 200; ++n)
        bank1.push_back(device.instrument.Patch(n));
    for (int latency : {0, 10, 67}) {
        device.SetLatency(std::chrono::milliseconds(latency));
        const Clock::time_point start = Clock::now();
        const RestoreResult result = app->WriteToInstrument(bank1, [](const std::string&) { return true; });
        std::printf("  L %2d ms: %8.1f ms, %zu of %d verified\n", latency, MsSince(start),
                    result.verified.size(), result.written);
        device.Flush();
        Pump();
    }

    // The edit: an undo to its control change leaving the program, and a store with its
    // read-back over a 5-pin cable.
    device.SetLatency(std::chrono::milliseconds(0));
    app->SelectPatch(1, 5);
    Pump();
    std::vector<double> undos;
    for (int trial = 0; trial < 100; ++trial) {
        const int before = cutoff->GetValue();
        app->ControlChanged(kCutoff, trial % 2 == 0 ? 10 : 200);
        device.ClearReceived();
        const Clock::time_point start = Clock::now();
        SendMessageW(app->mainWindow, WM_COMMAND, IDM_UNDO, 0);
        undos.push_back(std::chrono::duration<double, std::milli>(device.lastReceived - start).count());
        const Bytes expected = {0xB0, kCutoff, static_cast<uint8_t>(cutoff->ToMidi(before))};
        if (device.Received().empty() || device.Received().back() != expected)
            std::printf("  (the undo did not send %02X %02X %02X)\n", expected[0], expected[1], expected[2]);
        Pump();
    }
    std::sort(undos.begin(), undos.end());
    std::printf("\nundo of one step to its control change leaving the program (%zu undos):\n", undos.size());
    std::printf("  median %.3f ms, longest %.3f ms (goal: under 2 ms)\n", Median(undos), undos.back());
    // A key on the focused knob, through the system's input queue, to its control change
    // leaving the program.
    SetForegroundWindow(app->mainWindow);
    SetFocus(cutoff->GetControl()->hwnd);
    Pump();
    std::vector<double> keys;
    for (int trial = 0; trial < 100; ++trial) {
        app->engine->SetParameterValue(kCutoff, 100);
        device.ClearReceived();
        INPUT press[2] = {};
        for (INPUT& input : press) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = VK_UP;
        }
        press[1].ki.dwFlags = KEYEVENTF_KEYUP;
        const Clock::time_point start = Clock::now();
        SendInput(2, press, sizeof(INPUT));
        while (device.Received().empty() && MsSince(start) < 1000)
            Pump();
        if (device.Received().empty()) {
            std::printf("  (the key sent nothing)\n");
            break;
        }
        keys.push_back(std::chrono::duration<double, std::milli>(device.lastReceived - start).count());
        Pump();
    }
    if (!keys.empty()) {
        std::sort(keys.begin(), keys.end());
        std::printf("\nUp on the focused CUTOFF knob to its control change leaving the program (%zu keys):\n",
                    keys.size());
        std::printf("  median %.3f ms, longest %.3f ms (goal: under 2 ms)\n", Median(keys), keys.back());
    }
    device.SetLatency(std::chrono::milliseconds(67));
    std::vector<double> stores;
    int storesVerified = 0;
    for (int trial = 0; trial < 3; ++trial) {
        app->ControlChanged(kCutoff, 100 + trial);
        const Clock::time_point start = Clock::now();
        const RestoreResult result =
            app->StorePatch(105, "Bench Store", [](const std::string&) { return true; });
        stores.push_back(MsSince(start));
        storesVerified += result.AllVerified() ? 1 : 0;
        device.Flush();
        Pump();
    }
    std::printf(
        "store of the edit with its read-back at L 67 ms: median %.1f ms of 3, %d verified (goal: at most "
        "2 x 67 + 50 = 184 ms)\n",
        Median(stores), storesVerified);

    // All 400 patches cached: the working set of this process, which holds the whole
    // program with its window (and the simulated instrument's own 400 patches).
    device.SetLatency(std::chrono::milliseconds(0));
    for (int bank = 0; bank < PatchBank::kBanks; ++bank)
        app->LoadBank(bank);
    Pump();
    const auto cached = std::count_if(app->patchBank.slots.begin(), app->patchBank.slots.end(),
                                      [](const PatchSlot& slot) { return slot.loaded; });
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    const double workingSetMb = memory.WorkingSetSize / 1048576.0;
    std::printf(
        "\nworking set with %d patches cached: %.1f MB (goal: at most 40 MB, %s), of it private %.1f MB\n",
        static_cast<int>(cached), workingSetMb, workingSetMb <= 40 ? "within it" : "over it",
        memory.PagefileUsage / 1048576.0);

    delete app->midiPort;
    app->midiPort = nullptr;
    UseSimulatedDevice(nullptr);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
