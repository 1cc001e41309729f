// tavren.exe through RtMidi's own Windows back end, unchanged, in front of the tests'
// winmm.dll (tools/winmm-standin): the path every user takes, with SysEx only in the
// buffers the program queued, handed back on the driver's thread. Each case starts the
// program from the folder that holds the stand-in and watches it from outside: its list,
// the mouse, and the stand-in's log of what the instrument received and what the driver
// was asked.
#include "engine/PatchDump.h"
#include "midi/SimulatedInstrument.h"
#include "resources/ResourceIds.h"
#include "tests/support/HexBytes.h"
#include "tests/support/Pointer.h"
#include "tests/support/ProgramProcess.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\Quillmer\\Tavren";
// RtMidi names a WinMM port by the device's name and the port's number.
const wchar_t kPortName[] = L"Loop Pro~800 0";
const wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\tavren.exe\\DllOverrides";
const char kIdentificationRequest[] = "F0 00 20 32 00 01 24 00 77 7E 03 F7";

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// The stand-in's variables without their prefix TAVREN_WINMM_, and their values.
using Settings = std::vector<std::pair<std::wstring, std::wstring>>;

// The stand-in itself, driven as RtMidi drives it but with buffers smaller than a dump.
// Each copy of the library under another name is a driver of its own with its own
// settings, read at its first call.
class DirectDriver {
  public:
    DirectDriver(const wchar_t* name, const Settings& settings) : path(TempPath(name)) {
        CopyFileW(L"winmm.dll", path.c_str(), FALSE);
        for (const auto& [variable, value] : settings)
            SetEnvironmentVariableW((L"TAVREN_WINMM_" + variable).c_str(), value.c_str());
        module = LoadLibraryW(path.c_str());
        if (module != nullptr)
            Get<decltype(midiInGetNumDevs)>("midiInGetNumDevs")(); // reads the settings
        for (const auto& setting : settings)
            SetEnvironmentVariableW((L"TAVREN_WINMM_" + setting.first).c_str(), nullptr);
    }
    DirectDriver(const DirectDriver&) = delete;
    DirectDriver& operator=(const DirectDriver&) = delete;
    // The library stays loaded: its threads may still run.

    template <typename Function> Function* Get(const char* name) const {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    std::wstring path;
    HMODULE module = nullptr;
};

// What the driver told the program through its callback, and on which thread.
struct Told {
    UINT message;
    std::string bytes; // of MIM_DATA, or of a buffer handed back
    DWORD flags;       // of a buffer handed back
    bool driverThread;
};

struct Listener {
    std::mutex mutex;
    std::vector<Told> told;
    DWORD ownThread = GetCurrentThreadId();

    static void CALLBACK Callback(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR first, DWORD_PTR) {
        auto* listener = reinterpret_cast<Listener*>(instance);
        Told entry{message, "", 0, GetCurrentThreadId() != listener->ownThread};
        if (message == MIM_DATA) {
            entry.bytes = HexText({static_cast<uint8_t>(first)});
        } else if (message == MIM_LONGDATA) {
            const auto* header = reinterpret_cast<const MIDIHDR*>(first);
            const auto* data = reinterpret_cast<const uint8_t*>(header->lpData);
            entry.bytes = HexText(Bytes(data, data + header->dwBytesRecorded));
            entry.flags = header->dwFlags;
        }
        std::lock_guard<std::mutex> lock(listener->mutex);
        listener->told.push_back(entry);
    }
    std::vector<Told> Snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return told;
    }
    bool WaitFor(std::size_t count) {
        return PumpUntil([&] { return Snapshot().size() >= count; }, 3000);
    }
    // "open, 64 bytes, F8, ..., close": what came, in order.
    std::string Story() {
        std::string story;
        for (const Told& entry : Snapshot()) {
            if (!story.empty())
                story += ", ";
            if (entry.message == MIM_LONGDATA)
                story += std::to_string((entry.bytes.size() + 1) / 3) + " bytes";
            else if (entry.message == MIM_DATA)
                story += entry.bytes;
            else
                story += entry.message == MIM_OPEN ? "open" : entry.message == MIM_CLOSE ? "close" : "other";
        }
        return story;
    }
    // The bytes of every buffer handed back, joined.
    std::string SysEx() {
        std::string bytes;
        for (const Told& entry : Snapshot())
            if (entry.message == MIM_LONGDATA && !entry.bytes.empty())
                bytes += (bytes.empty() ? "" : " ") + entry.bytes;
        return bytes;
    }
};

// A buffer for SysEx input of `size` bytes.
struct Buffer {
    explicit Buffer(DWORD size) : data(size) {
        header.lpData = data.data();
        header.dwBufferLength = size;
    }
    Buffer(const Buffer&) = delete;
    std::vector<char> data;
    MIDIHDR header = {};
};

// tavren.exe from the stand-in's folder, its ports remembered as the stand-in's
// instrument, demo mode off; `settings` are the stand-in's variables without their
// prefix TAVREN_WINMM_. Its log starts empty.
class StandInProgram {
  public:
    explicit StandInProgram(const Settings& settings)
        : log(TempPath(L"tavren-winmm-test.log")), emit(TempPath(L"tavren-winmm-emit.txt")) {
        DeleteFileW(log.c_str());
        DeleteFileW(emit.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        for (const wchar_t* name : {L"MIDIInDevice", L"MIDIOutDevice"})
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, kPortName,
                            static_cast<DWORD>((wcslen(kPortName) + 1) * sizeof(wchar_t)));
        const DWORD off = 0;
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"UpdateCheck", REG_DWORD, &off, sizeof off);
        // A program that another one starts takes its libraries in the order the registry
        // names for it: WINEDLLOVERRIDES in the environment of CreateProcess is not read.
        // Native first, so that the program's own folder is searched for winmm.dll.
        RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, L"winmm", REG_SZ, L"native,builtin",
                        sizeof L"native,builtin");
        std::vector<std::pair<std::wstring, std::wstring>> environment = {
            {L"TAVREN_DEMO", L"0"}, {L"TAVREN_WINMM_LOG", log}, {L"TAVREN_WINMM_EMIT", emit}};
        for (const auto& [name, value] : settings)
            environment.emplace_back(L"TAVREN_WINMM_" + name, value);
        program = std::make_unique<Program>(SW_SHOWNORMAL, environment);
        list = Descendant(program->window, L"LISTBOX");
    }
    ~StandInProgram() {
        program.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kOverrides);
        DeleteFileW(log.c_str());
        DeleteFileW(emit.c_str());
    }

    // What the instrument received, without the driver's lines.
    std::vector<std::string> Received() const {
        std::vector<std::string> lines = LogLines(log);
        lines.erase(
            std::remove_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '#'; }),
            lines.end());
        return lines;
    }
    std::string LastReceived() const {
        const std::vector<std::string> lines = Received();
        return lines.empty() ? std::string() : lines.back();
    }
    std::vector<std::string> DriverLines(const std::string& start) const {
        std::vector<std::string> lines;
        for (const std::string& line : LogLines(log))
            if (line.rfind(start, 0) == 0)
                lines.push_back(line);
        return lines;
    }

    // The instrument sends `message` now, as when a knob is turned on it.
    void Emit(const std::string& message) const {
        std::ofstream(std::string(emit.begin(), emit.end()), std::ios::app) << message << "\n";
    }

    // Waits for the list to show bank `bank` whole; answers the rows that differ.
    std::string BankListed(int bank) const {
        PumpUntil([&] { return ListRow(list, 99) == ExpectedRow(bank, 99); }, 20000);
        std::string wrong;
        for (int index = 0; index < 100; ++index) {
            const std::string row = ListRow(list, index);
            if (row != ExpectedRow(bank, index))
                wrong += "row " + std::to_string(index) + " '" + row + "'; ";
        }
        return wrong;
    }

    static std::string ExpectedRow(int bank, int program) {
        static const SimulatedInstrument instrument;
        char number[8];
        std::snprintf(number, sizeof number, "%02d : ", program);
        return number + ReadPatchName(instrument.Patch(bank * 100 + program));
    }

    // Every input the program opened was closed with no buffer queued or prepared, and
    // no buffer was refused because it was still queued: none was lost on the way.
    void ExpectEveryBufferHandedBack() const {
        const auto opened = DriverLines("# midiInOpen 0 -> 0").size();
        EXPECT_GE(opened, 1u);
        EXPECT_EQ(DriverLines("# midiInClose: 0 queued, 0 prepared -> 0").size(), opened);
        EXPECT_EQ(DriverLines("# midiInClose").size(), opened);
        EXPECT_TRUE(DriverLines("# midiInUnprepareHeader").empty());
        EXPECT_EQ(DriverLines("# midiOutClose: 0 prepared -> 0").size(),
                  DriverLines("# midiOutOpen 0 -> 0").size());
    }

    std::wstring log;
    std::wstring emit;
    std::unique_ptr<Program> program;
    HWND list = nullptr;
};

// The handshake finds the current patch, which needs the ninth bit, and its bank is
// loaded, whether each dump comes in one buffer or in 40-byte pieces with real-time
// bytes between them (RtMidi queues each piece as a message of its own).
TEST(WinmmStandIn, HandshakeListsTheCurrentPatchsBankHoweverTheDumpsArrive) {
    const struct {
        const char* what;
        const wchar_t* piece;
    } cases[] = {{"whole dumps", L"0"}, {"40-byte pieces, F8 FE between", L"40"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StandInProgram tavren(Settings{{L"PATCH", L"342"}, {L"PIECE", c.piece}});
        ASSERT_NE(tavren.list, nullptr);
        EXPECT_EQ(tavren.BankListed(3), "");
        EXPECT_EQ(SendMessageW(tavren.list, LB_GETCURSEL, 0, 0), 42);
        const std::vector<std::string> received = tavren.Received();
        ASSERT_GE(received.size(), 2u);
        EXPECT_EQ(received[0], kIdentificationRequest);
        EXPECT_EQ(received[1], "F0 00 20 32 00 01 24 00 77 56 02 F7") << "patch 342, its ninth bit in 02";
        EXPECT_NE(std::find(received.begin(), received.end(), "F0 00 20 32 00 01 24 00 77 2C 02 F7"),
                  received.end())
            << "patch 300, the first of its bank";
        EXPECT_EQ(tavren.program->Close(), 0u);
        tavren.ExpectEveryBufferHandedBack();
    }
}

// What the user does on screen reaches the instrument, and what the instrument sends
// reaches the panel; the bank buttons load all 400 patches.
TEST(WinmmStandIn, ControlChangesBothWaysProgramChangesAndAllFourBanks) {
    StandInProgram tavren(Settings{{L"PATCH", L"123"}});
    ASSERT_NE(tavren.list, nullptr);
    ASSERT_EQ(tavren.BankListed(1), "");

    // A knob dragged on screen: its control change, with the knob's controller.
    const POINT centre = CentreOf(Descendant(tavren.program->window, L"KNOB"));
    const auto drag = [&](int up) {
        MovePointerTo(centre);
        PressLeftButton();
        MovePointerTo(POINT{centre.x, centre.y - up});
        ReleaseLeftButton();
    };
    drag(30);
    PumpUntil([&] { return tavren.LastReceived().rfind("B0 ", 0) == 0; }, 3000);
    const std::string edit = tavren.LastReceived();
    ASSERT_EQ(edit.size(), 8u) << edit;
    const std::string knob = edit.substr(0, 5); // "B0 cc"

    // The instrument turns the same knob to an end: a short drag on from there reports
    // that end, which it would not from where the knob was.
    for (const auto& [value, up] : {std::pair{"7F", 10}, {"00", -10}}) {
        tavren.Emit(knob + " " + value);
        PumpUntil([] { return false; }, 500); // the program polls its input every 100 ms
        drag(up);
        EXPECT_TRUE(PumpUntil([&] { return tavren.LastReceived() == knob + " " + value; }, 3000))
            << tavren.LastReceived();
    }

    // A double click on a row chooses its patch on the instrument.
    const int shown = static_cast<int>(SendMessageW(tavren.list, LB_GETTOPINDEX, 0, 0)) + 2;
    RECT rect;
    SendMessageW(tavren.list, LB_GETITEMRECT, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tavren.list, &point);
    DoubleClickAt(point);
    PumpUntil([&] { return tavren.LastReceived() == "B0 00 01"; }, 3000);
    std::vector<std::string> received = tavren.Received();
    char programChange[8];
    std::snprintf(programChange, sizeof programChange, "C0 %02X", shown);
    EXPECT_EQ(std::vector<std::string>(received.end() - 2, received.end()),
              (std::vector<std::string>{programChange, "B0 00 01"}));

    // The bank buttons sit above every other switch of their class.
    std::vector<HWND> buttons = Descendants(tavren.program->window, L"ALIMAGETOGGLE");
    const auto top = [](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return r;
    };
    std::sort(buttons.begin(), buttons.end(), [&](HWND a, HWND b) { return top(a).top < top(b).top; });
    ASSERT_GE(buttons.size(), 4u);
    buttons.resize(4);
    std::sort(buttons.begin(), buttons.end(), [&](HWND a, HWND b) { return top(a).left < top(b).left; });
    for (int bank : {0, 2, 3, 1}) {
        SCOPED_TRACE("bank " + std::to_string(bank));
        MovePointerTo(CentreOf(buttons[bank]));
        PressLeftButton();
        ReleaseLeftButton();
        EXPECT_EQ(tavren.BankListed(bank), "");
    }
    EXPECT_EQ(tavren.program->Close(), 0u);
    tavren.ExpectEveryBufferHandedBack();
}

// The ports close while an answer is still on its way, after a burst of dumps from the
// instrument that overfills RtMidi's queue: the program ends, and every buffer came back
// before its input closed.
TEST(WinmmStandIn, PortsClosedWhileAnswersAreOnTheirWayLoseNoBuffer) {
    const struct {
        const char* what;
        WPARAM firstCommand; // before the window is closed; 0: none
    } cases[] = {{"the window closed", 0}, {"MIDI reinitialized, then the window closed", IDM_REINIT_MIDI}};
    const std::string dump = HexText(SimulatedInstrument().Patch(5));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The answer to the start-up query comes long after the program stopped waiting
        // for it: still on its way when the window closes, however busy the machine.
        StandInProgram tavren(Settings{{L"LATENCY_MS", L"2000"}, {L"PIECE", L"40"}});
        ASSERT_NE(tavren.program->window, nullptr);
        for (int i = 0; i < 30; ++i)
            tavren.Emit(dump);
        PumpUntil([] { return false; }, 30);
        if (c.firstCommand != 0)
            PostMessageW(tavren.program->window, WM_COMMAND, c.firstCommand, 0);
        EXPECT_EQ(tavren.program->Close(), 0u);
        EXPECT_EQ(tavren.Received().empty() ? "" : tavren.Received().front(), kIdentificationRequest);
        EXPECT_EQ(tavren.DriverLines("# midiInOpen 0 -> 0").size(), c.firstCommand != 0 ? 2u : 1u);
        const std::vector<std::string> pending = tavren.DriverLines("# on the way at midiInClose: ");
        ASSERT_FALSE(pending.empty());
        EXPECT_NE(pending.front(), "# on the way at midiInClose: 0") << "the answer had not arrived";
        tavren.ExpectEveryBufferHandedBack();
    }
}

// An input that another program holds is not opened: the program asks the instrument
// nothing, since no answer could reach it, and still ends cleanly.
TEST(WinmmStandIn, AnInputHeldByAnotherProgramIsNotOpened) {
    StandInProgram tavren(Settings{{L"HOLD", L"in"}});
    ASSERT_NE(tavren.program->window, nullptr);
    EXPECT_EQ(tavren.program->Close(), 0u);
    // RtMidi's open, then the program's own question why it failed.
    EXPECT_EQ(tavren.DriverLines("# midiInOpen 0 -> " + std::to_string(MMSYSERR_ALLOCATED)).size(), 2u);
    EXPECT_EQ(tavren.DriverLines("# midiOutOpen 0 -> 0").size(), 1u);
    EXPECT_EQ(tavren.Received(), std::vector<std::string>{});
}

// Another interface plugged in before the instrument's: its port is now number 1, not
// the 0 remembered. It is found by its name without the number and remembered anew.
TEST(WinmmStandIn, ARenumberedPortIsFoundAndRememberedUnderItsNewName) {
    StandInProgram tavren(Settings{{L"PORTS", L"USB Keys|Loop Pro~800"}, {L"INSTRUMENT", L"Loop Pro~800"}});
    ASSERT_NE(tavren.list, nullptr);
    EXPECT_EQ(tavren.BankListed(0), "");
    EXPECT_EQ(tavren.program->Close(), 0u);
    for (const wchar_t* name : {L"MIDIInDevice", L"MIDIOutDevice"}) {
        wchar_t text[64] = L"";
        DWORD size = sizeof text;
        RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
        EXPECT_STREQ(text, L"Loop Pro~800 1") << name;
    }
}

// The instrument switched on after the start, unplugged and plugged in again, as
// Windows announces it: found, left alone while gone, identified again when back.
TEST(WinmmStandIn, AnInstrumentPluggedInLaterIsFoundAndOneUnpluggedLeftAlone) {
    const std::wstring plug = TempPath(L"tavren-winmm-plug.txt");
    const auto setPlug = [&plug](const char* word) {
        std::ofstream(std::string(plug.begin(), plug.end())) << word;
    };
    setPlug("0");
    StandInProgram tavren(Settings{{L"PATCH", L"123"}, {L"PLUG", plug}});
    ASSERT_NE(tavren.list, nullptr);
    PumpUntil([] { return false; }, 500);
    EXPECT_TRUE(tavren.Received().empty());
    setPlug("1");
    EXPECT_EQ(tavren.BankListed(1), "");
    const std::size_t before = tavren.Received().size();

    setPlug("0");
    PumpUntil([] { return false; }, 500);
    const POINT centre = CentreOf(Descendant(tavren.program->window, L"KNOB"));
    MovePointerTo(centre);
    PressLeftButton();
    MovePointerTo(POINT{centre.x, centre.y - 30});
    ReleaseLeftButton();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(tavren.Received().size(), before) << "nothing is sent to an instrument that is gone";
    setPlug("1");
    EXPECT_TRUE(PumpUntil(
        [&] {
            const std::vector<std::string> received = tavren.Received();
            return received.size() > before && received[before] == kIdentificationRequest;
        },
        5000));
    EXPECT_EQ(tavren.program->Close(), 0u);
    tavren.ExpectEveryBufferHandedBack();
    DeleteFileW(plug.c_str());
}

#define WINMM(function) driver.Get<decltype(function)>(#function)

const char kRequestOfPatch5[] = "F0 00 20 32 00 01 24 00 77 05 00 F7";

// Sends `message` as RtMidi sends SysEx: in a header prepared for the call.
MMRESULT SendSysEx(const DirectDriver& driver, HMIDIOUT out, const std::string& message) {
    Bytes bytes = Hex(message);
    MIDIHDR header = {};
    header.lpData = reinterpret_cast<char*>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    if (WINMM(midiOutPrepareHeader)(out, &header, sizeof header) != MMSYSERR_NOERROR)
        return MMSYSERR_ERROR;
    const MMRESULT result = WINMM(midiOutLongMsg)(out, &header, sizeof header);
    WINMM(midiOutUnprepareHeader)(out, &header, sizeof header);
    return result;
}

// A dump longer than the buffers goes on in the next buffer queued, and waits while none
// is; the buffers come back on the driver's thread, done and out of the queue. While a
// buffer is queued the input does not close, nor does the buffer unprepare; a reset hands
// it back empty.
TEST(WinmmStandInDriver, SysExGoesOnlyIntoQueuedBuffersAndOnIntoTheNext) {
    DirectDriver driver(L"tavren-standin-buffers.dll", Settings{{L"PORTS", L"Loop Pro~800|Other"}});
    ASSERT_NE(driver.module, nullptr);
    EXPECT_EQ(WINMM(midiInGetNumDevs)(), 2u);
    MIDIINCAPSA caps = {};
    EXPECT_EQ(WINMM(midiInGetDevCapsA)(1, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Other");
    EXPECT_EQ(WINMM(midiInGetDevCapsA)(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

    Listener listener;
    HMIDIIN in = nullptr, second = nullptr;
    ASSERT_EQ(WINMM(midiInOpen)(&in, 0, reinterpret_cast<DWORD_PTR>(&Listener::Callback),
                                reinterpret_cast<DWORD_PTR>(&listener), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(WINMM(midiInOpen)(&second, 0, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    HMIDIOUT out = nullptr;
    ASSERT_EQ(WINMM(midiOutOpen)(&out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    Buffer buffers[3] = {Buffer(64), Buffer(64), Buffer(64)};
    for (Buffer& buffer : buffers)
        ASSERT_EQ(WINMM(midiInPrepareHeader)(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    const auto add = [&](int i) { return WINMM(midiInAddBuffer)(in, &buffers[i].header, sizeof(MIDIHDR)); };
    EXPECT_EQ(add(0), MMSYSERR_NOERROR);
    EXPECT_EQ(add(1), MMSYSERR_NOERROR);
    EXPECT_EQ(add(1), MIDIERR_STILLPLAYING);
    EXPECT_EQ(WINMM(midiInStart)(in), MMSYSERR_NOERROR);

    Bytes request = Hex(kRequestOfPatch5);
    MIDIHDR unprepared = {};
    unprepared.lpData = reinterpret_cast<char*>(request.data());
    unprepared.dwBufferLength = static_cast<DWORD>(request.size());
    EXPECT_EQ(WINMM(midiOutLongMsg)(out, &unprepared, sizeof unprepared), MIDIERR_UNPREPARED);
    EXPECT_EQ(SendSysEx(driver, out, kRequestOfPatch5), MMSYSERR_NOERROR);
    ASSERT_TRUE(listener.WaitFor(3));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(listener.Story(), "open, 64 bytes, 64 bytes") << "waits for a buffer";
    EXPECT_EQ(add(2), MMSYSERR_NOERROR);
    EXPECT_EQ(add(0), MMSYSERR_NOERROR);
    ASSERT_TRUE(listener.WaitFor(5));
    EXPECT_EQ(listener.Story(), "open, 64 bytes, 64 bytes, 64 bytes, 18 bytes");
    EXPECT_EQ(listener.SysEx(), HexText(SimulatedInstrument().Patch(5)));
    for (const Told& entry : listener.Snapshot()) {
        EXPECT_TRUE(entry.message != MIM_LONGDATA || entry.flags == (MHDR_DONE | MHDR_PREPARED))
            << entry.flags;
        EXPECT_TRUE(entry.message == MIM_OPEN || entry.driverThread);
    }

    EXPECT_EQ(add(1), MMSYSERR_NOERROR);
    EXPECT_EQ(WINMM(midiInClose)(in), MIDIERR_STILLPLAYING);
    EXPECT_EQ(WINMM(midiInUnprepareHeader)(in, &buffers[1].header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(WINMM(midiInReset)(in), MMSYSERR_NOERROR);
    EXPECT_EQ(buffers[1].header.dwFlags, DWORD(MHDR_DONE | MHDR_PREPARED));
    for (Buffer& buffer : buffers)
        EXPECT_EQ(WINMM(midiInUnprepareHeader)(in, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(WINMM(midiInClose)(in), MMSYSERR_NOERROR);
    EXPECT_EQ(listener.Story(), "open, 64 bytes, 64 bytes, 64 bytes, 18 bytes, 0 bytes, close");
    EXPECT_EQ(WINMM(midiInStart)(in), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(WINMM(midiOutClose)(out), MMSYSERR_NOERROR);
    EXPECT_EQ(WINMM(midiOutShortMsg)(out, 0x05C0), MMSYSERR_INVALHANDLE);
}

} // namespace
