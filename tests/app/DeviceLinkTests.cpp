// The application's conversation with a simulated instrument behind real RtMidi
// objects: dispatch of what it sends, the handshake, patch and bank transfer, the
// editor's edits on their way out, and the library's errors.
#include "app/Settings.h"
#include "controls/CustomControl.h"
#include "controls/Listbox.h"
#include "controls/StatusPanel.h"
#include "engine/Parameter.h"
#include "engine/PatchDump.h"
#include "engine/Pro800Engine.h"
#include "midi/DumpPacker.h"
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"
#include "midi/SimulatedPatches.h"
#include "resources/ResourceIds.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/support/DebugOutput.h"
#include "tests/support/HexBytes.h"
#include "tests/support/Pointer.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using DeviceLinkTest = DeviceLinkFixture;
constexpr const char* kPort = kTestPort;
constexpr int kCutoff = 15;

std::vector<int> Range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.push_back(n);
    return numbers;
}

// One poll of timer 1 over a queue holding `queued`.
struct DispatchCase {
    const char* name;
    std::function<std::vector<Bytes>(SimulatedMidiDevice&)> queued;
    std::vector<std::string> debugPrefixes; // the debugger lines expected, by their beginning
    std::function<void(DeviceLinkTest&)> check;
};

class Dispatch : public DeviceLinkTest, public testing::WithParamInterface<DispatchCase> {};

TEST_P(Dispatch, OnePollTakesTheQueue) {
    OpenPorts();
    const DispatchCase& c = GetParam();
    device.Emit(c.queued(device));
    DebugOutput debug;
    app->PollMidiInput();
    ASSERT_EQ(debug.Lines().size(), c.debugPrefixes.size());
    for (size_t i = 0; i < c.debugPrefixes.size(); ++i)
        EXPECT_EQ(debug.Lines()[i].substr(0, c.debugPrefixes[i].size()), c.debugPrefixes[i]);
    c.check(*this);
}

Bytes ShortReply() {
    Bytes reply = BuildIdentificationReply(123);
    reply.resize(17); // whole, but ending before the patch's ninth bit
    reply.push_back(0xF7);
    return reply;
}

std::vector<Bytes> InThreePieces(SimulatedMidiDevice& device, int patch) {
    device.instrument.behaviour.pieces = 3;
    device.instrument.behaviour.betweenPieces = Hex("F8 FE");
    return device.instrument.Receive(BuildPatchRequest(patch));
}

const DispatchCase kDispatchCases[] = {
    {"ClockAroundAControlChange",
     [](SimulatedMidiDevice&) {
         return std::vector<Bytes>{Hex("F8"), Hex("B0 0F 40"), Hex("F8")};
     },
     {},
     [](DeviceLinkTest& t) { EXPECT_EQ(t.Value(kCutoff), 128); }},
    {"DumpInThreePiecesWithRealTimeBytes",
     [](SimulatedMidiDevice& d) { return InThreePieces(d, 150); },
     {},
     [](DeviceLinkTest& t) {
         EXPECT_TRUE(t.Loaded(150));
         EXPECT_EQ(t.app->patchBank.bank, 1);
         EXPECT_EQ(t.app->patchBank.program, 50);
         EXPECT_EQ(t.Row(50), "50 : " + GeneratedPatchName(150));
     }},
    {"ControlChangeOnChannelTwo",
     [](SimulatedMidiDevice&) { return std::vector<Bytes>{Hex("B1 0F 40")}; },
     {"Unknown Message[3]: b1, 0f, 40, \n"},
     [](DeviceLinkTest& t) { EXPECT_EQ(t.Value(kCutoff), 0); }},
    {"PatchChangeOnTheInstrument",
     [](SimulatedMidiDevice& d) { return d.instrument.ChangePatch(205); },
     {},
     [](DeviceLinkTest& t) {
         EXPECT_EQ(t.Requested(), std::vector<int>{205});
         EXPECT_EQ(t.app->patchBank.bank, 2);
         EXPECT_EQ(t.app->patchBank.program, 5);
     }},
    {"ProgramChangeAlone",
     [](SimulatedMidiDevice&) { return std::vector<Bytes>{Hex("C0 05")}; },
     {"Unknown Message[2]: c0, 05, \n"},
     [](DeviceLinkTest& t) { EXPECT_TRUE(t.Requested().empty()); }},
    {"WhatTheLookAheadDoesNotUseIsDispatched",
     [](SimulatedMidiDevice&) {
         return std::vector<Bytes>{Hex("C0 05"), Hex("B0 0F 40"), Hex("F0 F7")};
     },
     {"Unknown Message[2]: c0, 05, \n"},
     [](DeviceLinkTest& t) {
         EXPECT_EQ(t.Value(kCutoff), 128);
         EXPECT_TRUE(t.app->emptySysExSeen);
     }},
    {"IdentificationReplyCarrying123",
     [](SimulatedMidiDevice&) { return std::vector<Bytes>{BuildIdentificationReply(123)}; },
     {},
     [](DeviceLinkTest& t) {
         EXPECT_TRUE(t.app->Said("Pro~800 Device Recognized"));
         EXPECT_TRUE(t.app->deviceRecognized);
         // The patch, then the firmware version (no patch request: -1).
         EXPECT_EQ(t.Requested(), (std::vector<int>{123, -1}));
         EXPECT_EQ(t.app->patchBank.bank, 1);
         EXPECT_EQ(t.app->patchBank.program, 23);
     }},
    {"IdentificationReplyTooShortToCarryThePatch",
     [](SimulatedMidiDevice&) { return std::vector<Bytes>{ShortReply()}; },
     {"Unknown Message[18]: f0, 00, 20, 32,"},
     [](DeviceLinkTest& t) {
         EXPECT_FALSE(t.app->deviceRecognized);
         EXPECT_TRUE(t.Requested().empty());
     }},
    {"EmptySysEx",
     [](SimulatedMidiDevice&) { return std::vector<Bytes>{Hex("F0 F7")}; },
     {},
     [](DeviceLinkTest& t) { EXPECT_TRUE(t.app->emptySysExSeen); }},
    {"DumpForPatch450IsShownNotStored",
     [](SimulatedMidiDevice& d) {
         return std::vector<Bytes>{PackPatchDump(450, UnpackPatchData(d.instrument.Patch(0)))};
     },
     {"Unknown Message[210]: f0, 00, 20, 32, 00, 01, 24, 00, 78, 42, 03,"},
     [](DeviceLinkTest& t) {
         EXPECT_TRUE(t.app->Said("Loading 4:50:" + ReadPatchName(t.device.instrument.Patch(0))));
         EXPECT_EQ(t.app->patchBank.bank, -1);
     }},
};

INSTANTIATE_TEST_SUITE_P(DeviceLink, Dispatch, testing::ValuesIn(kDispatchCases),
                         [](const testing::TestParamInfo<DispatchCase>& param) { return param.param.name; });

TEST_F(DeviceLinkTest, SelectPatchRequestsOnlyWhatIsNotCached) {
    Connect();
    app->SelectPatch(2, 5);
    EXPECT_EQ(device.Received(), std::vector<Bytes>{Hex("F0 00 20 32 00 01 24 00 77 4D 01 F7")});
    EXPECT_EQ(app->patchBank.bank, 2);
    EXPECT_EQ(SelectedRow(), 5);
    app->PollMidiInput(); // the dump
    ASSERT_TRUE(Loaded(205));

    device.ClearReceived();
    app->SelectPatch(2, 5);
    EXPECT_TRUE(device.Received().empty());
    app->SelectPatch(3, 99);
    EXPECT_EQ(device.Received(), std::vector<Bytes>{Hex("F0 00 20 32 00 01 24 00 77 0F 03 F7")});
}

TEST_F(DeviceLinkTest, ProgramChangeThenBankSelect) {
    Connect();
    app->SendProgramChange(1, 42);
    EXPECT_EQ(device.Received(), (std::vector<Bytes>{Hex("C0 2A"), Hex("B0 00 01")}));
}

TEST_F(DeviceLinkTest, LoadBankRequestsWhatIsNotCachedAndKeepsTheProgram) {
    Connect();
    for (int patch = 0; patch < 10; ++patch)
        Cache(patch);
    app->LoadBank(0);
    EXPECT_EQ(Requested(), Range(10, 99));
    EXPECT_TRUE(app->Said("Loading bank from Pro~800"));
    EXPECT_FALSE(app->Said("Patch request timeout"));
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(Row(row), (row < 10 ? "0" : "") + std::to_string(row) + " : " +
                                ReadPatchName(device.instrument.Patch(row)));
    EXPECT_EQ(app->patchBank.program, 0) << "a bank newly chosen starts at its first program";

    app->SelectPatch(0, 17);
    device.ClearReceived();
    app->status.clear();
    app->LoadBank(0);
    EXPECT_TRUE(device.Received().empty());
    EXPECT_TRUE(app->Said("Loading bank from Pro~800"));
    EXPECT_EQ(app->patchBank.program, 17);
    EXPECT_EQ(SelectedRow(), 17);
}

TEST_F(DeviceLinkTest, ABankLoadEndsWithItsLastStatusLineDrawnAndTheListToBeDrawnOnce) {
    Connect();
    app->LoadBank(1);
    const std::string last = "Loading 1:0:" + ReadPatchName(device.instrument.Patch(100));
    EXPECT_EQ(app->status.back(), last);
    EXPECT_EQ(StatusPanelCount(last), 1);
    EXPECT_EQ(app->engine->statusPanel->lines.back(), std::wstring(last.begin(), last.end()));
    EXPECT_FALSE(GetUpdateRect(app->engine->statusPanel->hwnd, nullptr, FALSE)) << "drawn as the load ends";
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_TRUE(IsWindowVisible(List()));
    EXPECT_TRUE(GetUpdateRect(List(), nullptr, FALSE)) << "the list is drawn when messages are dispatched";
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(List(), nullptr, FALSE));
    EXPECT_EQ(Row(99), "99 : " + ReadPatchName(device.instrument.Patch(199)));
}

TEST_F(DeviceLinkTest, LoadBankWaitsForNothingWhenTheAnswerIsEmpty) {
    Connect();
    device.instrument.behaviour.answersEmpty = true;
    app->LoadBank(2);
    EXPECT_EQ(Requested(), Range(200, 299));
    EXPECT_FALSE(app->Said("Patch request timeout"));
    EXPECT_EQ(Row(42), "42 : [not loaded]");
}

TEST_F(DeviceLinkTest, ASlotThatGetsNoAnswerTimesOutAndTheBankGoesOn) {
    Connect();
    for (int patch = 1; patch < 100; ++patch)
        Cache(patch);
    device.instrument.behaviour.answers = false;
    app->LoadBank(0);
    EXPECT_EQ(Requested(), Range(0, 0));
    EXPECT_TRUE(app->Said("Patch request timeout"));
    EXPECT_EQ(Row(0), "00 : [not loaded]");
    EXPECT_EQ(Row(1), "01 : " + ReadPatchName(device.instrument.Patch(1)));
}

TEST_F(DeviceLinkTest, LoadBankBeforeRecognitionSendsNothing) {
    OpenPorts();
    app->LoadBank(1);
    EXPECT_TRUE(app->Said("Pro~800 device not recognized"));
    EXPECT_TRUE(device.Received().empty());
}

TEST_F(DeviceLinkTest, StartUpRecognizesSelectsTheCurrentPatchAndLoadsItsBank) {
    device.instrument.SetCurrentPatch(342);
    OpenPorts();
    ASSERT_TRUE(app->CheckDevice(false));
    app->QueryDevice();
    EXPECT_TRUE(app->deviceRecognized);
    ASSERT_GE(device.Received().size(), 101u);
    EXPECT_EQ(device.Received()[0], BuildIdentificationRequest());
    EXPECT_EQ(Requested()[1], 342);
    EXPECT_EQ(app->patchBank.bank, 3);
    EXPECT_EQ(SelectedRow(), 42);
    for (int row = 0; row < 100; ++row)
        EXPECT_TRUE(Loaded(300 + row)) << row;
}

TEST_F(DeviceLinkTest, AnInstrumentThatNeverAnswersIsAskedEveryThreeSeconds) {
    device.instrument.behaviour.answers = false;
    OpenPorts();
    ASSERT_TRUE(app->CheckDevice(false));
    app->QueryDevice();
    SetTimer(window, kTimerCheckDevice, 3000, nullptr);
    PumpUntil([&] { return device.Received().size() >= 3; }, 8000);
    for (const Bytes& message : device.Received())
        EXPECT_EQ(message, BuildIdentificationRequest());
    EXPECT_EQ(device.Received().size(), 3u);
    EXPECT_EQ(StatusPanelCount("Pro~800 device not recognized"), 1);
    EXPECT_EQ(app->patchBank.bank, -1) << "no bank is loaded";
}

TEST_F(DeviceLinkTest, WithAPortClosedTheRetryOnlySaysWhy) {
    GetSettings().MIDIInDevice.clear();
    app->InitMidi();
    OpenPorts(); // again, the output alone
    // The port menus list the device once, checked where it is chosen.
    for (auto [menu, command, checked] :
         {std::tuple{app->inputDeviceMenu, 1000u, false}, std::tuple{app->outputDeviceMenu, 2000u, true}}) {
        ASSERT_EQ(GetMenuItemCount(menu), 1);
        wchar_t text[64] = L"";
        GetMenuStringW(menu, command, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(text, L"Test Pro~800");
        EXPECT_EQ((GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0, checked);
    }
    app->OnTimer(kTimerCheckDevice);
    EXPECT_TRUE(app->Said("MIDI Input not open"));
    EXPECT_TRUE(device.Received().empty()) << "no query that no reply could answer";
}

TEST_F(DeviceLinkTest, EveryLibraryErrorShowsOneLineAndTheProgramGoesOn) {
    device.faults.open = true;
    app->InitMidi();
    EXPECT_EQ(app->status, (std::vector<std::string>{
                               "Opening output.", "MIDI Device error.", "MIDI Output device failed to open.",
                               "Opening input.", "MIDI Device error.", "MIDI Input device failed to open."}));
    EXPECT_FALSE(app->CheckDevice(false));

    device.faults = {};
    app->InitMidi();
    ASSERT_TRUE(app->CheckDevice(false));
    device.faults.close = true;
    app->status.clear();
    app->InitMidi(); // the old ports do not close; new ones open all the same
    EXPECT_EQ(std::count(app->status.begin(), app->status.end(), "MIDI Device error."), 2);
    EXPECT_TRUE(app->Said("MIDI Input device opened."));

    device.faults = {};
    device.faults.send = true;
    app->status.clear();
    app->ControlChanged(kCutoff, 100);
    EXPECT_EQ(app->status, std::vector<std::string>{"MIDI Device error."});
}

TEST_F(DeviceLinkTest, DraggingAKnobSendsItsControlChange) {
    Connect();
    HWND knob = ControlWindow(kCutoff);
    const POINT centre = CentreOf(knob);
    MovePointerTo(centre);
    PressLeftButton();
    MovePointerTo(POINT{centre.x, centre.y - 40});
    ReleaseLeftButton();
    ASSERT_GT(Value(kCutoff), 0);
    ASSERT_FALSE(device.Received().empty());
    const uint8_t expected =
        static_cast<uint8_t>(app->engine->FindParameter(kCutoff)->ToMidi(Value(kCutoff)));
    EXPECT_EQ(device.Received().back(), (Bytes{0xB0, kCutoff, expected}));
}

TEST_F(DeviceLinkTest, AControlChangeFromTheInstrumentMovesTheKnobAtTheNextPoll) {
    OpenPorts(); // sets timer 1
    device.Emit({SimulatedInstrument::TurnKnob(kCutoff, 0x7F)});
    EXPECT_TRUE(PumpUntil([&] { return Value(kCutoff) == 254; }, 2000));
}

TEST_F(DeviceLinkTest, ABankButtonLoadsItsBank) {
    Connect();
    MovePointerTo(CentreOf(ControlWindow(1202)));
    PressLeftButton();
    ReleaseLeftButton();
    EXPECT_EQ(Requested(), Range(200, 299));
    EXPECT_EQ(Value(1202), 1);
    EXPECT_EQ(Row(99), "99 : " + GeneratedPatchName(299));
}

TEST_F(DeviceLinkTest, DoubleClickOnARowSwitchesTheInstrument) {
    Connect();
    app->LoadBank(1);
    device.ClearReceived();
    RECT row;
    SendMessageW(List(), LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&row));
    POINT point = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(List(), &point);
    DoubleClickAt(point);
    PumpUntil([&] { return device.Received().size() >= 2; }, 2000);
    EXPECT_EQ(device.Received(), (std::vector<Bytes>{Hex("C0 05"), Hex("B0 00 01")}));
    EXPECT_EQ(device.instrument.CurrentPatch(), 105);
}

// A port menu as the user reads it: the items in order, the checked one in brackets.
std::string PortMenu(HMENU menu, UINT firstCommand) {
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(menu, i), firstCommand + static_cast<UINT>(i));
        const std::string name(text, text + wcslen(text));
        const bool checked = (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
        items += (i > 0 ? "|" : "") + (checked ? "[" + name + "]" : name);
    }
    return items;
}

// Choosing ports from the menus, one step after the other on the same window, with
// the instrument at the second of three ports on each side.
TEST_F(DeviceLinkTest, AChosenPortIsRememberedByNameAndTheInstrumentQueriedAgain) {
    device.portNames = {"USB MIDI Interface", kPort, "Loopback"};
    OpenPorts();
    const std::string out = "MIDI Output device opened.", in = "MIDI Input device opened.";
    const struct {
        const char* what;
        int command;
        std::vector<std::string> portNames; // as the system lists them after the menus were built
        const char* input;                  // the remembered names afterwards
        const char* output;
        const char* inputMenu;
        const char* outputMenu;
        std::vector<std::string> opened; // the status lines, up to the instrument's answer
        bool queried;                    // the instrument received the identification request
    } steps[] = {
        {"an output that leads elsewhere",
         2002,
         {},
         kPort,
         "Loopback",
         "USB MIDI Interface|[Test Pro~800]|Loopback",
         "USB MIDI Interface|Test Pro~800|[Loopback]",
         {"Opening output.", out, "Opening input.", in},
         false},
        {"the instrument's output again",
         2001,
         {},
         kPort,
         kPort,
         "USB MIDI Interface|[Test Pro~800]|Loopback",
         "USB MIDI Interface|[Test Pro~800]|Loopback",
         {"Opening output.", out, "Opening input.", in},
         true},
        {"the checked input once more",
         1001,
         {},
         kPort,
         kPort,
         "USB MIDI Interface|[Test Pro~800]|Loopback",
         "USB MIDI Interface|[Test Pro~800]|Loopback",
         {"Opening output.", out, "Opening input.", in},
         true},
        {"the second of two ports of one name",
         1002,
         {kPort, "Loopback", kPort},
         kPort,
         kPort,
         "[Test Pro~800]|Loopback|Test Pro~800",
         "[Test Pro~800]|Loopback|Test Pro~800",
         {"Opening output.", out, "Opening input.", in},
         true},
        {"an input gone since the menu was built",
         1002,
         {kPort, "Loopback"},
         "",
         kPort,
         "Test Pro~800|Loopback",
         "[Test Pro~800]|Loopback",
         {"Opening output.", out, "MIDI Input not open"},
         false},
        {"a port beyond index 100",
         1101,
         {},
         "",
         kPort,
         "Test Pro~800|Loopback",
         "[Test Pro~800]|Loopback",
         {},
         false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (!step.portNames.empty()) {
            app->InitMidi(); // the menus of the ports before the change
            device.portNames = step.portNames;
        }
        app->status.clear();
        device.ClearReceived();
        KillTimer(window, kTimerPollMidi);
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(step.command), 0);
        EXPECT_EQ(GetSettings().MIDIInDevice, step.input);
        EXPECT_EQ(GetSettings().MIDIOutDevice, step.output);
        EXPECT_EQ(PortMenu(app->inputDeviceMenu, 1000), step.inputMenu);
        EXPECT_EQ(PortMenu(app->outputDeviceMenu, 2000), step.outputMenu);
        const size_t shown = std::min(app->status.size(), step.opened.size());
        EXPECT_EQ(std::vector<std::string>(app->status.begin(), app->status.begin() + shown), step.opened);
        EXPECT_EQ(!device.Received().empty() && device.Received()[0] == BuildIdentificationRequest(),
                  step.queried);
        // Timer 1 polls the input again whenever it has opened.
        EXPECT_EQ(KillTimer(window, kTimerPollMidi) != FALSE, app->midiPort->inputOpen);
    }
}

TEST_F(DeviceLinkTest, RememberedPortsThatAreNotThereOpenNothingAndSayNothing) {
    for (const char* remembered : {"", "Gone Interface"}) {
        GetSettings().MIDIInDevice = GetSettings().MIDIOutDevice = remembered;
        app->status.clear();
        app->InitMidi();
        EXPECT_TRUE(app->status.empty()) << remembered;
        EXPECT_FALSE(app->midiPort->inputOpen || app->midiPort->outputOpen) << remembered;
        EXPECT_EQ(PortMenu(app->inputDeviceMenu, 1000) + " " + PortMenu(app->outputDeviceMenu, 2000),
                  "Test Pro~800 Test Pro~800");
    }
}

TEST_F(DeviceLinkTest, ReinitializeReopensBothSidesRestartsThePollAndQueries) {
    OpenPorts();
    app->status.clear();
    KillTimer(window, kTimerPollMidi);
    SendMessageW(window, WM_COMMAND, IDM_REINIT_MIDI, 0);
    ASSERT_GE(app->status.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(app->status.begin(), app->status.begin() + 4),
              (std::vector<std::string>{"Opening output.", "MIDI Output device opened.", "Opening input.",
                                        "MIDI Input device opened."}));
    EXPECT_TRUE(KillTimer(window, kTimerPollMidi));
    ASSERT_FALSE(device.Received().empty());
    EXPECT_EQ(device.Received()[0], BuildIdentificationRequest());
}

} // namespace
