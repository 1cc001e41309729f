// winmm.dll for the tests: the 18 MIDI functions that tavren.exe imports, in front of
// SimulatedInstrument, with a real driver's manners. SysEx reaches the program only in
// buffers it queued with midiInAddBuffer, filled on the driver's own thread and handed
// back with MIM_LONGDATA; a message longer than a buffer goes on in the next one, and
// with no buffer queued the driver waits. Everything else arrives as MIM_DATA.
// Under Wine it is taken instead of the system's when it lies beside the program and
// WINEDLLOVERRIDES holds winmm=n (Wine reads that variable only from the command line's
// environment; a program started by another one takes its load order from the
// registry, HKCU\Software\Wine\AppDefaults\<program>.exe\DllOverrides, winmm=native).
//
// What it does is set by the environment, read at the first call:
//   TAVREN_WINMM_PORTS       the devices, '|' between two names, listed in this order on
//                            both sides (default "Loop Pro~800"); RtMidi appends each
//                            port's number to its name ("Loop Pro~800 0")
//   TAVREN_WINMM_INSTRUMENT  the device that leads to the instrument (default: the first);
//                            every other one takes everything and says nothing
//   TAVREN_WINMM_PATCH       the instrument's current patch, 0 to 399 (default 0)
//   TAVREN_WINMM_LATENCY_MS  an answer reaches the input this long after its request
//                            left the output (default 0)
//   TAVREN_WINMM_PIECE       N: SysEx answers come in pieces of N bytes, each piece handed
//                            back in buffers of its own, with F8 and FE between two pieces
//   TAVREN_WINMM_HOLD        in, out or both: another program holds the instrument's port,
//                            and opening that side answers MMSYSERR_ALLOCATED
//   TAVREN_WINMM_LOG         a file: every message the instrument receives is appended as
//                            a line of hex bytes ("B0 0F 40"); lines that begin with '#'
//                            tell what the driver was asked and answered, e.g.
//                            "# midiInOpen 0 -> 0" (device, result),
//                            "# midiInReset: 4 handed back",
//                            "# midiInClose: 0 queued, 0 prepared -> 0" (after
//                            "# on the way at midiInClose: 3", messages not yet arrived),
//                            "# midiInUnprepareHeader: still queued -> 65",
//                            "# midiInAddBuffer: no such handle -> 5",
//                            "# midiOutOpen 0 -> 0", "# midiOutClose: 0 prepared -> 0"
//   TAVREN_WINMM_EMIT        a file the driver reads while the instrument's input runs:
//                            each new line of hex bytes is sent by the instrument
//   TAVREN_WINMM_PLUG        a file: while it holds 0 the instrument's device is unplugged
//                            (not listed, its open ports fail with MMSYSERR_NODRIVER and
//                            deliver nothing); each change is announced to the program's
//                            windows with WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, as
//                            Windows announces it
// The devices are listed in one table, read once; each open input has a thread of the
// driver's own, which never calls the program with the driver's lock held.
#define _WINMM_ // the declarations of <mmsystem.h> are this library's own, not imports
#include <windows.h>

#include <mmsystem.h>

#include "midi/SimulatedInstrument.h"
#include "tests/support/HexBytes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kTimingClock = 0xF8;
constexpr uint8_t kActiveSensing = 0xFE;
// The driver looks at the file of the instrument's messages this often.
constexpr std::chrono::milliseconds kEmitPoll(10);
// A wait for an answer sleeps until shortly before it is due, then spins: a thread
// woken from a sleep under Wine may be a millisecond late.
constexpr std::chrono::milliseconds kSpinBefore(2);
// Waking a thread that waits costs a tenth of a millisecond under Wine, as much as the
// program takes for a patch: for a second after the last request the thread does not
// wait, it watches for the next one.
constexpr std::chrono::seconds kStayAwake(1);

std::string Variable(const char* name) {
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// What travels from the instrument to the input: a whole short message, or bytes of
// a SysEx message, which go into the program's buffers.
struct OnTheWire {
    Clock::time_point due;
    Bytes bytes;
    bool sysEx;
};

// One device, listed with the same number on the input and the output side.
struct Device {
    std::string name;
    bool instrument = false;
    bool inputHeld = false;
    bool outputHeld = false;
    bool inputOpen = false;
    bool outputOpen = false;
    bool plugged = true;
    std::deque<OnTheWire> wire; // to its input, in the order due
};

struct Input {
    HMIDIIN handle = nullptr;
    UINT device = 0;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD flags = 0;
    std::deque<MIDIHDR*> queue;
    std::set<MIDIHDR*> prepared;
    bool started = false;
    bool closed = false;
    Clock::time_point startTime;
};

struct Output {
    HMIDIOUT handle = nullptr;
    UINT device = 0;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD flags = 0;
    std::set<MIDIHDR*> prepared;
};

// Tells the program of an event as it asked in its open call. Never called with the
// driver's lock held: RtMidi queues buffers again from inside its callback.
void Tell(HANDLE handle, DWORD_PTR callback, DWORD_PTR instance, DWORD flags, UINT message, DWORD_PTR first,
          DWORD_PTR second) {
    switch (flags & CALLBACK_TYPEMASK) {
    case CALLBACK_FUNCTION:
        if (callback != 0)
            reinterpret_cast<LPDRVCALLBACK>(callback)(reinterpret_cast<HDRVR>(handle), message, instance,
                                                      first, second);
        break;
    case CALLBACK_WINDOW:
        PostMessageW(reinterpret_cast<HWND>(callback), message, reinterpret_cast<WPARAM>(handle),
                     static_cast<LPARAM>(first));
        break;
    case CALLBACK_THREAD:
        PostThreadMessageW(static_cast<DWORD>(callback), message, reinterpret_cast<WPARAM>(handle),
                           static_cast<LPARAM>(first));
        break;
    case CALLBACK_EVENT:
        SetEvent(reinterpret_cast<HANDLE>(callback));
        break;
    default:
        break;
    }
}

void Tell(const Input& input, UINT message, DWORD_PTR first, DWORD_PTR second) {
    Tell(input.handle, input.callback, input.instance, input.flags, message, first, second);
}

void Tell(const Output& output, UINT message, DWORD_PTR first) {
    Tell(output.handle, output.callback, output.instance, output.flags, message, first, 0);
}

DWORD Timestamp(const Input& input) {
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - input.startTime).count());
}

// The bytes of a short message packed into a DWORD, as many as its status byte says.
Bytes Unpack(DWORD packed) {
    const auto status = static_cast<uint8_t>(packed & 0xFF);
    std::size_t length = 3;
    if ((status >= 0xC0 && status < 0xE0) || status == 0xF1 || status == 0xF3)
        length = 2;
    else if (status == 0xF6 || status >= 0xF8)
        length = 1;
    Bytes bytes;
    for (std::size_t i = 0; i < length; ++i)
        bytes.push_back(static_cast<uint8_t>(packed >> (8 * i)));
    return bytes;
}

class Driver {
  public:
    Driver() {
        std::string names = Variable("TAVREN_WINMM_PORTS");
        if (names.empty())
            names = "Loop Pro~800";
        for (std::size_t start = 0; start <= names.size();) {
            const std::size_t bar = std::min(names.find('|', start), names.size());
            devices_.emplace_back();
            devices_.back().name = names.substr(start, bar - start);
            start = bar + 1;
        }
        const std::string instrument = Variable("TAVREN_WINMM_INSTRUMENT");
        const std::string hold = Variable("TAVREN_WINMM_HOLD");
        for (Device& device : devices_) {
            device.instrument = instrument.empty() ? &device == &devices_.front() : device.name == instrument;
            device.inputHeld = device.instrument && (hold == "in" || hold == "both");
            device.outputHeld = device.instrument && (hold == "out" || hold == "both");
        }
        instrument_.SetCurrentPatch(std::atoi(Variable("TAVREN_WINMM_PATCH").c_str()));
        latency_ = std::chrono::milliseconds(std::atoi(Variable("TAVREN_WINMM_LATENCY_MS").c_str()));
        piece_ = static_cast<std::size_t>(std::max(0, std::atoi(Variable("TAVREN_WINMM_PIECE").c_str())));
        emitPath_ = Variable("TAVREN_WINMM_EMIT");
        const std::string logPath = Variable("TAVREN_WINMM_LOG");
        if (!logPath.empty())
            log_ = std::fopen(logPath.c_str(), "ab");
        const std::string plugPath = Variable("TAVREN_WINMM_PLUG");
        if (!plugPath.empty()) {
            SetPlugged(PluggedIn(plugPath));
            std::thread(&Driver::WatchPlug, this, plugPath).detach();
        }
    }

    UINT Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<UINT>(
            std::count_if(devices_.begin(), devices_.end(), [](const Device& d) { return d.plugged; }));
    }

    template <typename Caps> MMRESULT Capabilities(UINT_PTR listed, Caps* caps, UINT size) {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::size_t id = IndexLocked(listed);
        if (id >= devices_.size())
            return MMSYSERR_BADDEVICEID;
        if (caps == nullptr)
            return MMSYSERR_INVALPARAM;
        Caps filled = {};
        filled.wMid = 0xFFFF; // no manufacturer registered
        filled.wPid = 0xFFFF;
        filled.vDriverVersion = 0x0100;
        const std::string& name = devices_[id].name;
        std::memcpy(filled.szPname, name.data(), std::min(name.size(), sizeof filled.szPname - 1));
        if constexpr (std::is_same_v<Caps, MIDIOUTCAPSA>) {
            filled.wTechnology = MOD_MIDIPORT;
            filled.wChannelMask = 0xFFFF;
        }
        std::memcpy(caps, &filled, std::min<std::size_t>(size, sizeof filled));
        return MMSYSERR_NOERROR;
    }

    // ------------------------------------------------------------------ input

    MMRESULT OpenInput(HMIDIIN* handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
        std::shared_ptr<Input> input;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const MMRESULT result = OpenInputLocked(handle, id, callback, instance, flags, input);
            LogLocked("# midiInOpen " + std::to_string(id) + " -> " + std::to_string(result));
            if (result != MMSYSERR_NOERROR)
                return result;
        }
        std::thread(&Driver::Run, this, input).detach();
        Tell(*input, MIM_OPEN, 0, 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT CloseInput(HMIDIIN handle) {
        std::shared_ptr<Input> input;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            input = FindLocked(inputs_, handle);
            if (!input)
                return MMSYSERR_INVALHANDLE;
            const MMRESULT result = input->queue.empty() ? MMSYSERR_NOERROR : MIDIERR_STILLPLAYING;
            LogLocked("# on the way at midiInClose: " + std::to_string(devices_[input->device].wire.size()));
            LogLocked("# midiInClose: " + std::to_string(input->queue.size()) + " queued, " +
                      std::to_string(input->prepared.size()) + " prepared -> " + std::to_string(result));
            if (result != MMSYSERR_NOERROR)
                return result;
            input->closed = true;
            input->started = false;
            devices_[input->device].inputOpen = false;
            inputs_.erase(reinterpret_cast<UINT_PTR>(handle));
        }
        // The driver's thread ends by itself; a callback it is in the middle of (one
        // waiting for a lock that the caller holds, say) is not waited for.
        Wake();
        Tell(*input, MIM_CLOSE, 0, 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT PrepareInput(HMIDIIN handle, MIDIHDR* header, UINT size) {
        return Prepare(inputs_, handle, header, size);
    }
    MMRESULT UnprepareInput(HMIDIIN handle, MIDIHDR* header, UINT size) {
        return Unprepare(inputs_, handle, header, size, "midiInUnprepareHeader");
    }
    MMRESULT PrepareOutput(HMIDIOUT handle, MIDIHDR* header, UINT size) {
        return Prepare(outputs_, handle, header, size);
    }
    MMRESULT UnprepareOutput(HMIDIOUT handle, MIDIHDR* header, UINT size) {
        return Unprepare(outputs_, handle, header, size, "midiOutUnprepareHeader");
    }

    // A header is prepared for an open port of either side, and unprepared unless the
    // driver still holds it.
    template <typename Map, typename Handle>
    MMRESULT Prepare(Map& map, Handle handle, MIDIHDR* header, UINT size) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto port = FindLocked(map, handle);
        if (!port)
            return MMSYSERR_INVALHANDLE;
        if (header == nullptr || size < sizeof(MIDIHDR) || header->lpData == nullptr)
            return MMSYSERR_INVALPARAM;
        header->dwFlags |= MHDR_PREPARED;
        port->prepared.insert(header);
        return MMSYSERR_NOERROR;
    }

    template <typename Map, typename Handle>
    MMRESULT Unprepare(Map& map, Handle handle, MIDIHDR* header, UINT size, const char* function) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto port = FindLocked(map, handle);
        if (!port)
            return MMSYSERR_INVALHANDLE;
        if (header == nullptr || size < sizeof(MIDIHDR))
            return MMSYSERR_INVALPARAM;
        if (header->dwFlags & MHDR_INQUEUE) {
            LogLocked(std::string("# ") + function + ": still queued -> " +
                      std::to_string(MIDIERR_STILLPLAYING));
            return MIDIERR_STILLPLAYING;
        }
        header->dwFlags &= ~MHDR_PREPARED;
        port->prepared.erase(header);
        return MMSYSERR_NOERROR;
    }

    MMRESULT AddBuffer(HMIDIIN handle, MIDIHDR* header, UINT size) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const std::shared_ptr<Input> input = FindLocked(inputs_, handle);
            if (!input) {
                // RtMidi's callback, woken after the port closed, queues its buffer again.
                LogLocked("# midiInAddBuffer: no such handle -> " + std::to_string(MMSYSERR_INVALHANDLE));
                return MMSYSERR_INVALHANDLE;
            }
            if (header == nullptr || size < sizeof(MIDIHDR))
                return MMSYSERR_INVALPARAM;
            if (!(header->dwFlags & MHDR_PREPARED))
                return MIDIERR_UNPREPARED;
            if (header->dwFlags & MHDR_INQUEUE)
                return MIDIERR_STILLPLAYING;
            header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
            header->dwBytesRecorded = 0;
            input->queue.push_back(header);
        }
        Wake();
        return MMSYSERR_NOERROR;
    }

    MMRESULT StartInput(HMIDIIN handle) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const std::shared_ptr<Input> input = FindLocked(inputs_, handle);
            if (!input)
                return MMSYSERR_INVALHANDLE;
            if (!input->started) {
                input->started = true;
                input->startTime = Clock::now();
                DropArrivedLocked(devices_[input->device]); // what came before was not listened to
            }
        }
        Wake();
        return MMSYSERR_NOERROR;
    }

    MMRESULT StopInput(HMIDIIN handle) {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::shared_ptr<Input> input = FindLocked(inputs_, handle);
        if (!input)
            return MMSYSERR_INVALHANDLE;
        input->started = false;
        return MMSYSERR_NOERROR;
    }

    MMRESULT ResetInput(HMIDIIN handle) {
        std::shared_ptr<Input> input;
        std::deque<MIDIHDR*> returned;
        DWORD time = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            input = FindLocked(inputs_, handle);
            if (!input)
                return MMSYSERR_INVALHANDLE;
            input->started = false;
            returned.swap(input->queue);
            for (MIDIHDR* header : returned) {
                header->dwBytesRecorded = 0;
                header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            }
            time = Timestamp(*input);
            LogLocked("# midiInReset: " + std::to_string(returned.size()) + " handed back");
        }
        for (MIDIHDR* header : returned)
            Tell(*input, MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), time);
        return MMSYSERR_NOERROR;
    }

    // ------------------------------------------------------------------ output

    MMRESULT OpenOutput(HMIDIOUT* handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
        auto output = std::make_shared<Output>();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            MMRESULT result = MMSYSERR_NOERROR;
            const UINT listed = id;
            id = static_cast<UINT>(IndexLocked(listed));
            if (handle == nullptr)
                result = MMSYSERR_INVALPARAM;
            else if (id >= devices_.size())
                result = MMSYSERR_BADDEVICEID;
            else if (devices_[id].outputHeld || devices_[id].outputOpen)
                result = MMSYSERR_ALLOCATED;
            LogLocked("# midiOutOpen " + std::to_string(listed) + " -> " + std::to_string(result));
            if (result != MMSYSERR_NOERROR)
                return result;
            output->handle = reinterpret_cast<HMIDIOUT>(nextHandle_++);
            output->device = id;
            output->callback = callback;
            output->instance = instance;
            output->flags = flags;
            devices_[id].outputOpen = true;
            outputs_[reinterpret_cast<UINT_PTR>(output->handle)] = output;
            *handle = output->handle;
        }
        Tell(*output, MOM_OPEN, 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT CloseOutput(HMIDIOUT handle) {
        std::shared_ptr<Output> output;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            output = FindLocked(outputs_, handle);
            if (!output)
                return MMSYSERR_INVALHANDLE;
            LogLocked("# midiOutClose: " + std::to_string(output->prepared.size()) + " prepared -> 0");
            devices_[output->device].outputOpen = false;
            outputs_.erase(reinterpret_cast<UINT_PTR>(handle));
        }
        Tell(*output, MOM_CLOSE, 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT ShortMessage(HMIDIOUT handle, DWORD packed) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const std::shared_ptr<Output> output = FindLocked(outputs_, handle);
            if (!output)
                return MMSYSERR_INVALHANDLE;
            if (!devices_[output->device].plugged)
                return MMSYSERR_NODRIVER;
            ReceiveLocked(devices_[output->device], Unpack(packed));
        }
        Wake();
        return MMSYSERR_NOERROR;
    }

    // The message is on the wire before the call returns: MOM_DONE comes from inside it.
    MMRESULT LongMessage(HMIDIOUT handle, MIDIHDR* header, UINT size) {
        std::shared_ptr<Output> output;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            output = FindLocked(outputs_, handle);
            if (!output)
                return MMSYSERR_INVALHANDLE;
            if (header == nullptr || size < sizeof(MIDIHDR))
                return MMSYSERR_INVALPARAM;
            if (!(header->dwFlags & MHDR_PREPARED))
                return MIDIERR_UNPREPARED;
            if (header->dwFlags & MHDR_INQUEUE)
                return MIDIERR_STILLPLAYING;
            if (!devices_[output->device].plugged)
                return MMSYSERR_NODRIVER;
            const auto* data = reinterpret_cast<const uint8_t*>(header->lpData);
            ReceiveLocked(devices_[output->device], Bytes(data, data + header->dwBufferLength));
            header->dwFlags |= MHDR_DONE;
        }
        Wake();
        Tell(*output, MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
        return MMSYSERR_NOERROR;
    }

  private:
    // Something changed that the driver's thread may be waiting for.
  public:
    // The instrument sends `message` now, as if its knob was turned: for benchmarks that
    // load this stand-in into their own process.
    void Emit(const Bytes& message) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Device& device : devices_)
            if (device.instrument)
                SendLocked(device, {message}, Clock::now());
        Wake();
    }

  private:
    void Wake() {
        ++changes_;
        changed_.notify_all();
    }

    template <typename Map, typename Handle> typename Map::mapped_type FindLocked(Map& map, Handle handle) {
        const auto found = map.find(reinterpret_cast<UINT_PTR>(handle));
        return found == map.end() ? nullptr : found->second;
    }

    MMRESULT OpenInputLocked(HMIDIIN* handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags,
                             std::shared_ptr<Input>& input) {
        if (handle == nullptr)
            return MMSYSERR_INVALPARAM;
        id = static_cast<UINT>(IndexLocked(id));
        if (id >= devices_.size())
            return MMSYSERR_BADDEVICEID;
        if (devices_[id].inputHeld || devices_[id].inputOpen)
            return MMSYSERR_ALLOCATED;
        input = std::make_shared<Input>();
        input->handle = reinterpret_cast<HMIDIIN>(nextHandle_++);
        input->device = id;
        input->callback = callback;
        input->instance = instance;
        input->flags = flags;
        devices_[id].inputOpen = true;
        inputs_[reinterpret_cast<UINT_PTR>(input->handle)] = input;
        *handle = input->handle;
        return MMSYSERR_NOERROR;
    }

    // The device that the system lists as number `listed`: unplugged ones are not listed.
    std::size_t IndexLocked(std::size_t listed) const {
        for (std::size_t i = 0; i < devices_.size(); ++i)
            if (devices_[i].plugged && listed-- == 0)
                return i;
        return devices_.size();
    }

    static bool PluggedIn(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        char word[8] = "";
        const std::size_t read = file != nullptr ? std::fread(word, 1, sizeof word - 1, file) : 0;
        if (file != nullptr)
            std::fclose(file);
        return !(read >= 1 && word[0] == '0' && (read == 1 || word[1] == '\n' || word[1] == '\r'));
    }

    void SetPlugged(bool plugged) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Device& device : devices_)
            if (device.instrument) {
                device.plugged = plugged;
                if (!plugged)
                    device.wire.clear();
            }
        LogLocked(plugged ? "# plugged in" : "# unplugged");
    }

    // Polls the plug file and announces each change to this process's windows.
    void WatchPlug(std::string path) {
        for (bool plugged = PluggedIn(path);;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (PluggedIn(path) == plugged)
                continue;
            plugged = !plugged;
            SetPlugged(plugged);
            Wake();
            EnumWindows(
                [](HWND window, LPARAM) -> BOOL {
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    if (process == GetCurrentProcessId())
                        PostMessageW(window, WM_DEVICECHANGE, 0x0007 /* DBT_DEVNODES_CHANGED */, 0);
                    return TRUE;
                },
                0);
        }
    }

    void LogLocked(const std::string& line) {
        if (log_ == nullptr)
            return;
        std::fputs((line + "\n").c_str(), log_);
        std::fflush(log_);
    }

    // A message from the program reaches the device; the instrument's answers set out.
    void ReceiveLocked(Device& device, const Bytes& message) {
        if (!device.instrument)
            return;
        LogLocked(HexText(message));
        lastRequest_ = Clock::now();
        SendLocked(device, instrument_.Receive(message), Clock::now() + latency_);
    }

    void SendLocked(Device& device, const std::vector<Bytes>& messages, Clock::time_point due) {
        for (const Bytes& message : messages) {
            const bool sysEx = !message.empty() && message[0] == kSysExStart;
            if (!sysEx || piece_ == 0) {
                device.wire.push_back({due, message, sysEx});
                continue;
            }
            for (std::size_t start = 0; start < message.size(); start += piece_) {
                if (start > 0) {
                    device.wire.push_back({due, {kTimingClock}, false});
                    device.wire.push_back({due, {kActiveSensing}, false});
                }
                const auto from = message.begin() + static_cast<std::ptrdiff_t>(start);
                device.wire.push_back({due,
                                       Bytes(from, from + static_cast<std::ptrdiff_t>(
                                                              std::min(piece_, message.size() - start))),
                                       true});
            }
        }
    }

    void DropArrivedLocked(Device& device) {
        const Clock::time_point now = Clock::now();
        while (!device.wire.empty() && device.wire.front().due <= now)
            device.wire.pop_front();
    }

    // New lines of the instrument's own messages, read outside the lock.
    std::vector<Bytes> ReadEmitted() {
        std::vector<Bytes> messages;
        std::FILE* file = std::fopen(emitPath_.c_str(), "rb");
        if (file == nullptr)
            return messages;
        std::fseek(file, emitRead_, SEEK_SET);
        std::string text;
        char block[512];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            text.append(block, n);
        std::fclose(file);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            const Bytes message = Hex(text.substr(start, end - start));
            if (!message.empty())
                messages.push_back(message);
        }
        emitRead_ += static_cast<long>(start);
        return messages;
    }

    // The driver's thread of one open input: what arrives on the wire goes to the
    // program while the input is started, SysEx bytes only into its queued buffers.
    void Run(std::shared_ptr<Input> input) {
        Device& device = devices_[input->device];
        Clock::time_point lastEmitPoll;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!input->closed) {
            if (device.instrument && device.plugged && !emitPath_.empty() && input->started &&
                Clock::now() - lastEmitPoll >= kEmitPoll) {
                lastEmitPoll = Clock::now();
                lock.unlock();
                const std::vector<Bytes> emitted = ReadEmitted();
                lock.lock();
                SendLocked(device, emitted, Clock::now());
                continue;
            }
            const Clock::time_point now = Clock::now();
            const Clock::time_point poll = now + kEmitPoll;
            if (device.wire.empty()) {
                if (now - lastRequest_ < kStayAwake) {
                    const unsigned seen = changes_;
                    const Clock::time_point until = std::min(poll, lastRequest_ + kStayAwake);
                    lock.unlock();
                    while (changes_ == seen && Clock::now() < until)
                        std::this_thread::yield();
                    lock.lock();
                } else {
                    changed_.wait_until(lock, poll);
                }
                continue;
            }
            OnTheWire& next = device.wire.front();
            if (next.due > now) {
                if (next.due - now > kSpinBefore) {
                    changed_.wait_until(lock, std::min(poll, next.due - kSpinBefore));
                } else {
                    lock.unlock();
                    std::this_thread::yield();
                    lock.lock();
                }
                continue;
            }
            if (!input->started) { // arrives at a port that does not listen
                device.wire.pop_front();
                continue;
            }
            if (!next.sysEx) {
                DWORD packed = 0;
                for (std::size_t i = 0; i < next.bytes.size() && i < 4; ++i)
                    packed |= static_cast<DWORD>(next.bytes[i]) << (8 * i);
                device.wire.pop_front();
                const DWORD time = Timestamp(*input);
                lock.unlock();
                Tell(*input, MIM_DATA, packed, time);
                lock.lock();
                continue;
            }
            if (input->queue.empty()) { // SysEx waits for a buffer
                changed_.wait_until(lock, poll);
                continue;
            }
            MIDIHDR* header = input->queue.front();
            input->queue.pop_front();
            const std::size_t count = std::min<std::size_t>(next.bytes.size(), header->dwBufferLength);
            std::memcpy(header->lpData, next.bytes.data(), count);
            header->dwBytesRecorded = static_cast<DWORD>(count);
            header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            next.bytes.erase(next.bytes.begin(), next.bytes.begin() + static_cast<std::ptrdiff_t>(count));
            if (next.bytes.empty())
                device.wire.pop_front();
            const DWORD time = Timestamp(*input);
            lock.unlock();
            Tell(*input, MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), time);
            lock.lock();
        }
    }

    std::mutex mutex_; // guards all that follows: the program's threads and the driver's share it
    std::condition_variable changed_;
    std::atomic<unsigned> changes_{0}; // counts the calls of Wake(), read without the lock
    Clock::time_point lastRequest_;
    std::vector<Device> devices_;
    SimulatedInstrument instrument_;
    std::map<UINT_PTR, std::shared_ptr<Input>> inputs_;
    std::map<UINT_PTR, std::shared_ptr<Output>> outputs_;
    UINT_PTR nextHandle_ = 0x5A00;
    std::chrono::milliseconds latency_{0};
    std::size_t piece_ = 0;
    std::string emitPath_;
    long emitRead_ = 0; // only the instrument's input thread reads the file
    std::FILE* log_ = nullptr;
};

// Made at the first call and never destroyed: a driver thread may still run when the
// process ends.
Driver& TheDriver() {
    static Driver* driver = new Driver();
    return *driver;
}

} // namespace

extern "C" {

UINT WINAPI midiInGetNumDevs() {
    return TheDriver().Count();
}

MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR id, LPMIDIINCAPSA caps, UINT size) {
    return TheDriver().Capabilities(id, caps, size);
}

MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    return TheDriver().OpenInput(handle, id, callback, instance, flags);
}

MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    return TheDriver().CloseInput(handle);
}

MMRESULT WINAPI midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return TheDriver().PrepareInput(handle, header, size);
}

MMRESULT WINAPI midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return TheDriver().UnprepareInput(handle, header, size);
}

MMRESULT WINAPI midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return TheDriver().AddBuffer(handle, header, size);
}

MMRESULT WINAPI midiInStart(HMIDIIN handle) {
    return TheDriver().StartInput(handle);
}

MMRESULT WINAPI midiInStop(HMIDIIN handle) {
    return TheDriver().StopInput(handle);
}

MMRESULT WINAPI midiInReset(HMIDIIN handle) {
    return TheDriver().ResetInput(handle);
}

UINT WINAPI midiOutGetNumDevs() {
    return TheDriver().Count();
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA caps, UINT size) {
    return TheDriver().Capabilities(id, caps, size);
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    return TheDriver().OpenOutput(handle, id, callback, instance, flags);
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    return TheDriver().CloseOutput(handle);
}

MMRESULT WINAPI midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheDriver().PrepareOutput(handle, header, size);
}

MMRESULT WINAPI midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheDriver().UnprepareOutput(handle, header, size);
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    return TheDriver().ShortMessage(handle, message);
}

MMRESULT WINAPI midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheDriver().LongMessage(handle, header, size);
}

// Not a WinMM function: the benchmarks' way to make the instrument send.
void WINAPI StandInEmit(const unsigned char* bytes, unsigned length) {
    TheDriver().Emit(Bytes(bytes, bytes + length));
}

} // extern "C"
