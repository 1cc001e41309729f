// Bad input from every side the program listens to, against the simulated instrument:
// each case must lose nothing (the patch cache, the settings, the current patch and
// what the controls show) and tell the user where something is due.
#include "engine/ParameterTable.h"
#include "midi/DumpPacker.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/app/UpdateServer.h"
#include "tests/support/DebugOutput.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\Quillmer\\Tavren";
constexpr int kCutoff = 15;
constexpr int kCurrent = 123; // the patch shown when each case begins

// Everything a case must not lose.
struct Kept {
    std::vector<std::pair<bool, Bytes>> cache;
    int bank, program, selectedRow;
    std::vector<std::string> rows;
    std::vector<int> values; // of every parameter, in table order
    std::vector<std::string> settings;
};

// Bank 1 cached and patch 123 shown, the instrument recognized.
class BadInput : public DeviceLinkFixture {
  public:
    void SetUp() override {
        DeviceLinkFixture::SetUp();
        Connect();
        app->LoadBank(1);
        app->SelectPatch(1, kCurrent % 100);
        PumpMessages();
        device.ClearReceived();
        app->status.clear();
    }
    void TearDown() override {
        DeviceLinkFixture::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    Kept Now() const {
        Kept kept;
        for (const PatchSlot& slot : app->patchBank.slots)
            kept.cache.emplace_back(slot.loaded, slot.dump);
        kept.bank = app->patchBank.bank;
        kept.program = app->patchBank.program;
        kept.selectedRow = SelectedRow();
        for (int row = 0; row < SendMessageW(List(), LB_GETCOUNT, 0, 0); ++row)
            kept.rows.push_back(Row(row));
        for (const ParameterRow& row : ParameterTable())
            kept.values.push_back(Value(row.id));
        const Settings& s = GetSettings();
        for (int value : {s.CmdShow, s.KnobMode, s.DynamicScale, s.UpdateCheck, s.EchoMIDI,
                          s.RolloverTooltips, s.ModifyValueTooltips})
            kept.settings.push_back(std::to_string(value));
        kept.settings.push_back(s.MIDIInDevice);
        kept.settings.push_back(s.MIDIOutDevice);
        return kept;
    }
    void Poll() { app->PollMidiInput(); }
    Bytes Dump(int patch) const { return device.instrument.Patch(patch); }
};

void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

Bytes SysEx(std::size_t length) {
    Bytes message(length, 0x11);
    message.front() = 0xF0;
    message[1] = 0x7D;
    message.back() = 0xF7;
    return message;
}

struct BadInputCase {
    const char* name;
    std::function<void(BadInput&)> act;
    std::string status; // the line the user must see; empty when none is due
    std::function<void(BadInput&)> check = [](BadInput&) {};
    int changedControl = -1; // the one control that may show a new value
};

const std::string kLongPort = "Interface " + std::string(90, 'x');

const BadInputCase kCases[] = {
    {"IdentificationReplyUnder19Bytes",
     [](BadInput& t) {
         Bytes reply = BuildIdentificationReply(205);
         reply.resize(17);
         reply.push_back(0xF7);
         t.device.Emit({reply});
         t.Poll();
     },
     "", [](BadInput& t) { EXPECT_TRUE(t.device.Received().empty()) << "no patch asked for"; }},
    {"SysExOf64KB", [](BadInput& t) { t.device.Emit({SysEx(65536)}), t.Poll(); }, ""},
    {"SysExThatNeverEnds",
     [](BadInput& t) {
         DebugOutput debug;
         const Bytes dump = t.Dump(kCurrent);
         t.device.Emit({Bytes(dump.begin(), dump.begin() + 100)});
         t.Poll();
         EXPECT_EQ(debug.Lines().front(), "MIDI Truncated!!\n");
     },
     ""},
    {"RealTimeBytesInsideASplitSysEx",
     [](BadInput& t) {
         t.device.instrument.behaviour.pieces = 4;
         t.device.instrument.behaviour.betweenPieces = {0xF8, 0xFE, 0xFF};
         t.app->SelectPatch(1, kCurrent % 100 + 1); // cached: nothing asked
         t.device.Emit(t.device.instrument.Receive(BuildPatchRequest(kCurrent)));
         t.Poll();
     },
     "", [](BadInput& t) { EXPECT_TRUE(t.device.Received().empty()); }},
    {"ProgramChangeWithoutItsFollowers",
     [](BadInput& t) {
         t.device.Emit({{0xC0, 0x05}}), t.Poll();
     },
     "", [](BadInput& t) { EXPECT_TRUE(t.device.Received().empty()); }},
    {"BurstOf500MessagesPastTheQueueLimit",
     [](BadInput& t) {
         for (int i = 0; i < 500; ++i)
             t.device.Emit({SimulatedInstrument::TurnKnob(kCutoff, i % 100)});
         t.Poll();
         EXPECT_EQ(t.app->engine->FindParameter(kCutoff)->GetValue(), 2 * 98) << "the last that fitted";
         t.device.Emit({SimulatedInstrument::TurnKnob(kCutoff, 0x7F)});
         t.Poll();
         EXPECT_EQ(t.app->engine->FindParameter(kCutoff)->GetValue(), 254) << "the queue takes more";
     },
     "", [](BadInput&) {}, kCutoff},
    {"DumpForPatch450",
     [](BadInput& t) { t.device.Emit({PackPatchDump(450, UnpackPatchData(t.Dump(kCurrent)))}), t.Poll(); },
     "Loading 4:50:" + ReadPatchName(SimulatedInstrument().Patch(kCurrent))},
    {"CorruptRegistryValues",
     [](BadInput& t) {
         const DWORD knobMode = 1, absurd = 0x7FFFFFF0;
         const unsigned long long wide = 1;
         const std::wstring port(kTestPort,
                                 kTestPort + sizeof kTestPort - 1); // stored without its terminator
         WriteValue(L"KnobMode", REG_DWORD, &knobMode, sizeof knobMode);
         WriteValue(L"DynamicScale", REG_SZ, L"0", 4);
         WriteValue(L"UpdateCheck", REG_QWORD, &wide, sizeof wide);
         WriteValue(L"CmdShow", REG_DWORD, &knobMode, 2);
         WriteValue(L"InitX", REG_DWORD, &absurd, sizeof absurd);
         WriteValue(L"InitY", REG_DWORD, &absurd, sizeof absurd);
         WriteValue(L"MIDIInDevice", REG_SZ, port.c_str(), static_cast<DWORD>(port.size() * 2));
         WriteValue(L"MIDIOutDevice", REG_BINARY, "\x01\x02\x03", 3);
         GetSettings().Load();
         const POINT at = {GetSettings().InitX, GetSettings().InitY};
         EXPECT_TRUE(at.x == CW_USEDEFAULT || MonitorFromPoint(at, MONITOR_DEFAULTTONULL) != nullptr) << at.x;
         EXPECT_EQ(GetSettings().KnobMode, 1) << "a valid value beside the corrupt ones is read";
         GetSettings().KnobMode = 0;
         GetSettings().MIDIOutDevice = kTestPort; // as the fixture had it
         t.app->InitMidi();
     },
     "MIDI Input device opened."},
    {"PortNameOf100Characters",
     [](BadInput& t) {
         t.device.portNames.push_back(kLongPort);
         t.app->InitMidi();
         SendMessageW(t.window, WM_COMMAND, 1001, 0);
         wchar_t text[200] = L"";
         GetMenuStringW(t.app->inputDeviceMenu, 1001, text, 200, MF_BYCOMMAND);
         EXPECT_EQ(std::wstring(text), std::wstring(kLongPort.begin(), kLongPort.end()));
         GetSettings().Save();
         GetSettings().Load();
         EXPECT_EQ(GetSettings().MIDIInDevice, kLongPort);
         GetSettings().MIDIInDevice = kTestPort; // chosen back
     },
     "MIDI Input device opened."},
    {"HtmlErrorPageFromTheUpdateServer",
     [](BadInput& t) {
         UpdateServer server;
         server.Serve({200, "<html><body><h1>502 Bad Gateway</h1><hr></body></html>"});
         t.app->CheckForUpdates(false);
     },
     "Unable to connect to update server."},
    {"TenMegabyteAnswerFromTheUpdateServer",
     [](BadInput& t) {
         UpdateServer server;
         server.Serve({200, "<tavren><versions><current><build>99" + std::string(10 << 20, ' ')});
         t.app->CheckForUpdates(false);
     },
     "Unable to connect to update server."},
    {"PortVanishesDuringABankLoad",
     [](BadInput& t) {
         t.device.faults.messagesBeforeUnplugged = 29;
         t.app->LoadBank(2);
         t.app->SelectPatch(1, kCurrent % 100); // back to where the case began
     },
     "MIDI Device error.",
     [](BadInput& t) {
         for (int patch = 200; patch < 300; ++patch)
             EXPECT_EQ(t.app->patchBank.slots[patch].loaded, patch < 229) << patch;
         EXPECT_LE(std::count(t.app->status.begin(), t.app->status.end(), "MIDI Device error."), 1)
             << "the load stops at the first request that cannot be sent";
     }},
    {"ListNotificationWithNoSelection",
     [](BadInput& t) {
         HWND list = t.List();
         SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
         for (WORD code : {LBN_SELCHANGE, LBN_DBLCLK})
             SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), code),
                          reinterpret_cast<LPARAM>(list));
         SendMessageW(list, LB_SETCURSEL, kCurrent % 100, 0);
     },
     "", [](BadInput& t) { EXPECT_TRUE(t.device.Received().empty()); }},
};

void PrintTo(const BadInputCase& c, std::ostream* out) {
    *out << c.name;
}

class BadInputCases : public BadInput, public testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInputCases, LoseNothingAndSayWhatIsDue) {
    const BadInputCase& c = GetParam();
    const Kept before = Now();
    c.act(*this);
    PumpMessages();
    Kept after = Now();
    const bool anotherBank = c.name == std::string("PortVanishesDuringABankLoad");
    if (anotherBank) // patches 200 to 228 were added to the cache; nothing else changed
        for (int patch = 200; patch < 300; ++patch)
            after.cache[patch] = before.cache[patch];
    for (size_t i = 0; i < ParameterTable().size(); ++i)
        if (ParameterTable()[i].id == c.changedControl)
            after.values[i] = before.values[i];
    EXPECT_EQ(after.cache, before.cache);
    EXPECT_EQ(std::tie(after.bank, after.program, after.selectedRow),
              std::tie(before.bank, before.program, before.selectedRow));
    EXPECT_EQ(after.rows, before.rows);
    EXPECT_EQ(after.values, before.values);
    EXPECT_EQ(after.settings, before.settings);
    if (!c.status.empty()) {
        EXPECT_NE(std::find(app->status.begin(), app->status.end(), c.status), app->status.end())
            << testing::PrintToString(app->status);
    }
    c.check(*this);
}

INSTANTIATE_TEST_SUITE_P(BadInput, BadInputCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BadInputCase>& param) { return param.param.name; });

} // namespace
