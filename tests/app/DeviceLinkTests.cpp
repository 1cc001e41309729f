// The application's conversation with a simulated instrument behind real RtMidi objects.
#include "app/UpdateCheck.h"
#include "app/Version.h"
#include "controls/CustomControl.h"
#include "controls/StatusPanel.h"
#include "engine/DumpPacker.h"
#include "engine/ParameterTable.h"
#include "engine/SysExConstants.h"
#include "midi/SimulatedPatches.h"
#include "resources/ResourceIds.h"
#include "tests/app/DeviceLinkFixture.h"
#include "tests/support/HexBytes.h"
#include "tests/support/Pointer.h"
#include "tests/support/TestHttpServer.h"

#include <dbt.h>

#include <functional>
#include <numeric>

namespace {

using DeviceLinkTest = DeviceLinkFixture;
constexpr int kCutoff = 15;

std::vector<int> Range(int first, int last) {
    std::vector<int> numbers(static_cast<size_t>(last - first + 1));
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

Bytes Cut(Bytes bytes, std::size_t length, const Bytes& end = {}) {
    bytes.resize(length);
    bytes.insert(bytes.end(), end.begin(), end.end());
    return bytes;
}

// The instrument's answer to a request for `patch`, in pieces with `between` after each.
std::vector<Bytes> InPieces(int patch, int pieces, const Bytes& between) {
    SimulatedInstrument instrument;
    instrument.behaviour.pieces = pieces;
    instrument.behaviour.betweenPieces = between;
    return instrument.Receive(BuildPatchRequest(patch));
}

// What the application holds, in one line: the patch shown (the cutoff while there is
// none), the patches cached and requested (-1: another message), status lines and flags.
std::string Summary(const DeviceLinkTest& t) {
    const PatchBank& bank = t.app->patchBank;
    std::string line = "shown " + std::to_string(bank.bank) + ":" + std::to_string(bank.program);
    if (bank.bank < 0)
        line += ", cutoff " + std::to_string(t.Value(kCutoff));
    line += ", cached " + std::to_string(std::count_if(bank.slots.begin(), bank.slots.end(),
                                                       [](const PatchSlot& slot) { return slot.loaded; }));
    line += ", asked";
    for (int patch : t.Requested())
        line += " " + std::to_string(patch);
    for (const std::string& status : t.app->status)
        line += ", " + status;
    return line + (t.app->deviceRecognized ? ", recognized" : "") + (t.app->emptySysExSeen ? ", F0 F7" : "");
}

// One poll over a queue holding `queued`; the instrument answers within the same poll.
TEST_F(DeviceLinkTest, OnePollTakesTheQueue) {
    const struct {
        const char* name;
        std::vector<Bytes> queued;
        std::string summary;
    } cases[] = {
        {"ClockAroundAControlChange",
         {Hex("F8"), Hex("B0 0F 40"), Hex("F8")},
         "shown -1:-1, cutoff 128, cached 0, asked"},
        {"DumpInThreePiecesWithRealTimeBytes", InPieces(150, 3, Hex("F8 FE")),
         "shown 1:50, cached 1, asked, Loading 1:50:" + GeneratedPatchName(150)},
        {"ControlChangeOnChannelTwo", {Hex("B1 0F 40")}, "shown -1:-1, cutoff 0, cached 0, asked"},
        {"PatchChangeOnTheInstrument",
         {Hex("C0 05"), Hex("C0 05"), Hex("B0 00 02")},
         "shown 2:5, cached 1, asked 205, Loading 2:5:" + GeneratedPatchName(205)},
        {"WhatTheLookAheadDoesNotUseIsDispatched",
         {Hex("C0 05"), Hex("B0 0F 40"), Hex("F0 F7")},
         "shown -1:-1, cutoff 128, cached 0, asked, F0 F7"},
        {"IdentificationReplyCarrying342",
         {BuildIdentificationReply(342)},
         "shown 3:42, cached 1, asked 342 -1, Pro~800 Device Recognized, Loading 3:42:" +
             GeneratedPatchName(342) + ", Pro~800 firmware 1.4.6, recognized"},
        {"IdentificationReplyTooShortToCarryThePatch",
         {Cut(BuildIdentificationReply(123), 17, Hex("F7"))},
         "shown -1:-1, cutoff 0, cached 0, asked"},
    };
    OpenPorts();
    for (const auto& c : cases) {
        app->patchBank.bank = app->patchBank.program = -1;
        app->patchBank.slots.assign(PatchBank::kSlots, PatchSlot{});
        app->engine->FindParameter(kCutoff)->SetValue(0);
        app->deviceRecognized = app->emptySysExSeen = false;
        app->status.clear();
        device.ClearReceived();
        device.Emit(c.queued);
        app->PollMidiInput();
        EXPECT_EQ(Summary(*this), c.summary) << c.name;
    }
}

TEST_F(DeviceLinkTest, RequestsOnlyWhatIsNotCachedAndABankLoadEndsDrawn) {
    Connect();
    app->SelectPatch(2, 5);
    EXPECT_EQ(device.Received(), std::vector<Bytes>{Hex("F0 00 20 32 00 01 24 00 77 4D 01 F7")});
    EXPECT_EQ(SelectedRow(), 5);
    app->PollMidiInput(); // the dump
    ASSERT_TRUE(Loaded(205));
    for (int patch = 0; patch < 10; ++patch)
        Cache(patch);
    device.ClearReceived();
    app->SelectPatch(2, 5);
    app->LoadBank(0);
    EXPECT_EQ(Requested(), Range(10, 99));
    EXPECT_TRUE(app->Said("Loading bank from Pro~800"));
    app->SelectPatch(0, 17);
    device.ClearReceived();
    app->LoadBank(0);
    EXPECT_TRUE(device.Received().empty());
    EXPECT_EQ(SelectedRow(), 17);

    app->LoadBank(1);
    const std::string text = "Loading 1:0:" + ReadPatchName(device.instrument.Patch(100));
    const std::wstring last(text.begin(), text.end());
    const auto& lines = app->engine->statusPanel->lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), last), 1);
    EXPECT_EQ(lines.back(), last);
    EXPECT_FALSE(GetUpdateRect(app->engine->statusPanel->hwnd, nullptr, FALSE)) << "drawn as the load ends";
    EXPECT_EQ(SelectedRow(), 0) << "a bank newly chosen starts at its first program";
    EXPECT_TRUE(IsWindowVisible(List()));
    EXPECT_TRUE(GetUpdateRect(List(), nullptr, FALSE)) << "the list is drawn when messages are dispatched";
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(List(), nullptr, FALSE));
    EXPECT_EQ(Row(99), "99 : " + ReadPatchName(device.instrument.Patch(199)));
}

// Timer 2 (every 3 s from start-up) asks again while the instrument is silent; once it is
// known, a patch it does not answer for times out and the bank goes on.
TEST_F(DeviceLinkTest, ASilentInstrumentIsAskedAgainAndAPatchRequestTimesOut) {
    device.instrument.behaviour.answers = false;
    OpenPorts();
    app->LoadBank(1);
    EXPECT_TRUE(device.Received().empty()) << "no bank is asked for before the instrument is known";
    app->QueryDevice();
    for (int tick = 0; tick < 2; ++tick)
        SendMessageW(window, WM_TIMER, kTimerCheckDevice, 0);
    EXPECT_EQ(device.Received(), std::vector<Bytes>(3, BuildIdentificationRequest()));
    const auto& lines = app->engine->statusPanel->lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"Pro~800 device not recognized"), 1);
    EXPECT_EQ(app->patchBank.bank, -1) << "no bank is loaded";

    app->deviceRecognized = true;
    device.ClearReceived();
    for (int patch = 1; patch < 100; ++patch)
        Cache(patch);
    app->LoadBank(0);
    EXPECT_EQ(Requested(), std::vector<int>{0});
    EXPECT_TRUE(app->Said("Patch request timeout"));
    EXPECT_EQ(Row(0), "00 : [not loaded]");

    device.instrument.behaviour.answers = device.instrument.behaviour.answersEmpty = true;
    device.ClearReceived();
    app->status.clear();
    app->LoadBank(2);
    EXPECT_EQ(Requested(), Range(200, 299));
    EXPECT_FALSE(app->Said("Patch request timeout"));
    EXPECT_EQ(Row(42), "42 : [not loaded]");
}

TEST_F(DeviceLinkTest, EveryLibraryErrorShowsOneLineAndTheProgramGoesOn) {
    device.faults.open = true;
    app->InitMidi();
    EXPECT_EQ(app->status, (std::vector<std::string>{
                               "Opening output.", "MIDI Device error.", "MIDI Output device failed to open.",
                               "Opening input.", "MIDI Device error.", "MIDI Input device failed to open."}));
    EXPECT_FALSE(app->CheckDevice(false));
    // Ports that another program holds say so, by name.
    device.faults = {};
    device.faults.heldElsewhere = true;
    app->status.clear();
    app->InitMidi();
    EXPECT_EQ(app->status, (std::vector<std::string>{
                               "Opening output.", "MIDI Device error.",
                               "MIDI output \"Test Pro~800\" is in use by another program.",
                               "MIDI Output device failed to open.", "Opening input.", "MIDI Device error.",
                               "MIDI input \"Test Pro~800\" is in use by another program.",
                               "MIDI Input device failed to open."}));
    device.faults = {};
    app->InitMidi();
    ASSERT_TRUE(app->CheckDevice(false));
    device.faults.close = true;
    app->status.clear();
    app->InitMidi(); // the old ports do not close; new ones open all the same
    EXPECT_EQ(std::count(app->status.begin(), app->status.end(), "MIDI Device error."), 2);
    EXPECT_TRUE(app->Said("MIDI Output device opened.") && app->Said("MIDI Input device opened."));
    device.faults = {};
    device.ClearReceived();
    app->ControlChanged(kCutoff, 200);
    EXPECT_EQ(device.Received(), std::vector<Bytes>{Hex("B0 0F 64")})
        << "a knob's steps are half a controller value";
    device.faults.send = true;
    app->status.clear();
    app->ControlChanged(kCutoff, 100);
    EXPECT_EQ(app->status, std::vector<std::string>{"MIDI Device error."});
}

// On the channel chosen in the MIDI menu go edits, program changes and bank selects, and
// from it alone come the instrument's knobs and patch changes.
TEST_F(DeviceLinkTest, TheChosenChannelCarriesEverythingBothWays) {
    Connect();
    app->LoadBank(1);
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CHANNEL + 4, 0);
    EXPECT_EQ(GetSettings().MidiChannel, 5);
    EXPECT_TRUE(GetMenuState(GetMenu(window), IDM_FIRST_CHANNEL + 4, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(GetMenu(window), IDM_FIRST_CHANNEL, MF_BYCOMMAND) & MF_CHECKED);
    device.channel = 5; // the instrument is set to channel 5 too
    device.ClearReceived();
    app->ControlChanged(kCutoff, 200);
    app->SendProgramChange(2, 7);
    EXPECT_EQ(device.Received(), (std::vector<Bytes>{Hex("B4 0F 64"), Hex("C4 07"), Hex("B4 00 02")}));
    Parameter* cutoff = app->engine->FindParameter(kCutoff);
    const struct {
        int instrumentChannel;
        int sent, shown;
    } knobs[] = {{5, 0x10, 0x10}, {1, 0x20, 0x10}, {6, 0x30, 0x10}, {5, 0x40, 0x40}};
    for (const auto& k : knobs) {
        device.channel = k.instrumentChannel;
        device.Emit({SimulatedInstrument::TurnKnob(kCutoff, k.sent)});
        app->PollMidiInput();
        EXPECT_EQ(Value(kCutoff), cutoff->FromMidi(k.shown)) << "sent on channel " << k.instrumentChannel;
    }
    device.channel = 5;
    device.Emit(device.instrument.ChangePatch(208));
    app->PollMidiInput();
    EXPECT_EQ(app->patchBank.bank * 100 + app->patchBank.program, 208);
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CHANNEL, 0);
}

// An instrument switched on after the start is found, one unplugged is closed and nothing
// more is sent to it, and back again everything resumes; other devices change only the
// menus, and after sleep the ports open anew.
TEST_F(DeviceLinkTest, AnInstrumentThatComesAndGoesIsFoundAgain) {
    const auto devicesChanged = [this] { SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); };
    device.SetPlugged(false);
    app->InitMidi();
    EXPECT_FALSE(app->PortsOpen());
    device.SetPlugged(true);
    devicesChanged();
    EXPECT_TRUE(app->Said("Pro~800 ports found: opening them."));
    EXPECT_TRUE(app->PortsOpen() && app->deviceRecognized);
    EXPECT_TRUE(Loaded(0) && Loaded(99)) << "the bank of its current patch";

    device.SetPlugged(false);
    devicesChanged();
    EXPECT_TRUE(app->Said("Pro~800 disconnected."));
    EXPECT_FALSE(app->PortsOpen() || app->deviceRecognized);
    device.ClearReceived();
    app->status.clear();
    app->ControlChanged(kCutoff, 100);
    EXPECT_TRUE(device.Received().empty() && app->status.empty()) << testing::PrintToString(app->status);

    device.SetPlugged(true);
    devicesChanged();
    EXPECT_TRUE(app->PortsOpen() && app->deviceRecognized);
    app->ControlChanged(kCutoff, 200);
    EXPECT_EQ(device.Received().back(), Hex("B0 0F 64"));

    device.portNames.push_back("Another Port");
    app->status.clear();
    devicesChanged();
    EXPECT_EQ(GetMenuItemCount(app->inputDeviceMenu), 2);
    EXPECT_TRUE(app->status.empty()) << "the open ports stay as they are";

    device.ClearReceived();
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(app->PortsOpen());
    EXPECT_EQ(Requested().at(0), kIdentificationNumber) << "identified again";

    // Remembered with a number that another port took: found by its name without it.
    GetSettings().MIDIInDevice = GetSettings().MIDIOutDevice = std::string(kTestPort) + " 0";
    device.portNames = {"USB Keys 0", kTestPort};
    app->InitMidi();
    EXPECT_TRUE(app->PortsOpen());
    EXPECT_EQ(GetSettings().MIDIInDevice + "|" + GetSettings().MIDIOutDevice,
              std::string(kTestPort) + "|" + kTestPort);
}

// A controller keyboard on an input of its own: its knobs of the panel's parameters are
// edits, echo or not; with Echo MIDI Controller its notes, bends, wheel, aftertouch and
// sustain go on to the instrument on the instrument's channel, and nothing else does.
TEST_F(DeviceLinkTest, AControllerKeyboardPlaysThroughAndTurnsTheKnobs) {
    device.portNames = {kTestPort, "Keys"};
    Connect();
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CONTROLLER_PORT + 1, 0);
    EXPECT_EQ(GetSettings().MIDIControllerDevice, "Keys");
    EXPECT_TRUE(GetMenuState(app->controllerMenu, IDM_FIRST_CONTROLLER_PORT + 1, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CHANNEL + 2, 0);
    const struct {
        const char* sent;
        int echo;
        const char* received; // by the instrument, "" for nothing
    } cases[] = {
        {"91 3C 64", 0, ""},
        {"91 3C 64", 1, "92 3C 64"},
        {"81 3C 00", 1, "82 3C 00"},
        {"E5 00 40", 1, "E2 00 40"},
        {"B0 01 7F", 1, "B2 01 7F"},
        {"B0 40 7F", 1, "B2 40 7F"},
        {"D0 40", 1, "D2 40"},
        {"A0 3C 40", 1, "A2 3C 40"},
        {"B0 07 64", 1, ""},
        {"C0 05", 1, ""},
        {"F8", 1, ""},
        {"F0 7E 7F 06 01 F7", 1, ""},
        {"B1 0F 40", 0, "B2 0F 40"}, // CUTOFF: an edit, moved on screen and sent
    };
    for (const auto& c : cases) {
        GetSettings().EchoMIDI = c.echo;
        device.ClearReceived();
        device.EmitOn("Keys", {Hex(c.sent)});
        app->PollMidiInput();
        std::string received;
        for (const Bytes& message : device.Received())
            received += (received.empty() ? "" : ", ") + HexText(message);
        EXPECT_EQ(received, c.received) << c.sent << (c.echo ? ", echo on" : ", echo off");
    }
    EXPECT_EQ(Value(kCutoff), app->engine->FindParameter(kCutoff)->FromMidi(0x40));
    device.ClearReceived();
    device.channel = 3;
    device.Emit({Hex("90 3C 64")}); // the instrument's own keys are never echoed
    app->PollMidiInput();
    EXPECT_TRUE(device.Received().empty());
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CONTROLLER_PORT + 1, 0); // the checked one again: none
    EXPECT_EQ(GetSettings().MIDIControllerDevice, "");
    SendMessageW(window, WM_COMMAND, IDM_FIRST_CHANNEL, 0);
}

// Without demo mode and with no system port (Wine has none), the menus offer the
// simulated instrument and the status panel says where; chosen on both sides it is
// connected as demo mode connects it, and remembered like any port.
TEST_F(DeviceLinkTest, TheMenusOfferTheSimulatedInstrumentWhenTheSystemHasNoPort) {
    UseSimulatedDevice(nullptr); // the system's ports
    GetSettings().MIDIInDevice = GetSettings().MIDIOutDevice = "";
    app->InitMidi();
    EXPECT_TRUE(
        app->Said("No MIDI ports found. Choose the simulated Pro~800 in the MIDI menus to try Tavren."));
    EXPECT_FALSE(app->PortsOpen());
    SendMessageW(window, WM_COMMAND, IDM_FIRST_INPUT_PORT, 0);
    SendMessageW(window, WM_COMMAND, IDM_FIRST_OUTPUT_PORT, 0);
    EXPECT_EQ(GetSettings().MIDIInDevice + "|" + GetSettings().MIDIOutDevice,
              "Tavren Demo Pro~800 (simulated)|Tavren Demo Pro~800 (simulated)");
    EXPECT_TRUE(app->PortsOpen() && app->deviceRecognized);
    EXPECT_TRUE(Loaded(0) && Loaded(99)) << "its bank loaded, as in demo mode";
    delete app->midiPort; // closed before the fixture's device returns
    app->midiPort = nullptr;
    UseSimulatedDevice(&device);
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

// Choosing ports from the menus, step after step on one window, with the instrument at the
// second of three ports on each side; `portNames`: as the system lists them after the
// menus were built; `queried`: the instrument received the identification request.
TEST_F(DeviceLinkTest, AChosenPortIsRememberedByNameAndTheInstrumentQueriedAgain) {
    device.portNames = {"USB MIDI Interface", kTestPort, "Loopback"};
    OpenPorts();
    const std::string mine = "USB MIDI Interface|[Test Pro~800]|Loopback", mineBoth = mine + " / " + mine,
                      twice = "[Test Pro~800]|Loopback|Test Pro~800", ours = "Test Pro~800|Test Pro~800",
                      gone = "Test Pro~800|Loopback / [Test Pro~800]|Loopback",
                      loopback = "USB MIDI Interface|Test Pro~800|[Loopback]";
    const struct {
        int command;
        std::vector<std::string> portNames;
        std::string remembered, menus;
        bool queried;
    } steps[] = {
        {2002, {}, "Test Pro~800|Loopback", mine + " / " + loopback, false},
        {2001, {}, ours, mineBoth, true},
        {1001, {}, ours, mineBoth, true},
        {IDM_REINIT_MIDI, {}, ours, mineBoth, true},
        {1002, {kTestPort, "Loopback", kTestPort}, ours, twice + " / " + twice, true},
        {1002, {kTestPort, "Loopback"}, "|Test Pro~800", gone, false},
        {1101, {}, "|Test Pro~800", gone, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        if (!step.portNames.empty()) {
            app->InitMidi(); // the menus of the ports before the change
            device.portNames = step.portNames;
        }
        device.ClearReceived();
        KillTimer(window, kTimerPollMidi);
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(step.command), 0);
        EXPECT_EQ(GetSettings().MIDIInDevice + "|" + GetSettings().MIDIOutDevice, step.remembered);
        EXPECT_EQ(PortMenu(app->inputDeviceMenu, 1000) + " / " + PortMenu(app->outputDeviceMenu, 2000),
                  step.menus);
        EXPECT_EQ(!device.Received().empty() && device.Received()[0] == BuildIdentificationRequest(),
                  step.queried);
        EXPECT_EQ(KillTimer(window, kTimerPollMidi) != FALSE, app->midiPort->inputOpen) << "timer 1 polls it";
    }
    // With the input closed timer 2 sends no query that no reply could answer.
    app->status.clear();
    app->OnTimer(kTimerCheckDevice);
    EXPECT_EQ(app->status, std::vector<std::string>{"MIDI Input not open"});
    EXPECT_TRUE(device.Received().empty());
}

// The update check against an HTTP server on 127.0.0.1, from what the server sends (the
// version document's forms among it) to what the user is told; ProgramTests sees the menu
// command's message box. The fuzz target holds the build number to strtoll's reading.
TEST_F(DeviceLinkTest, TheUpdateCheckTellsWhatCameOfTheServersAnswer) {
    const auto document = [](const std::string& build) {
        return "<tavren><versions><current><build>" + build + "</build></current></versions></tavren>";
    };
    const std::string own = std::to_string(TAVREN_BUILD_NUMBER),
                      next = std::to_string(TAVREN_BUILD_NUMBER + 1);
    std::string utf16 = "\xFF\xFE"; // ASCII text as UTF-16LE behind its byte order mark
    for (char c : document(next))
        utf16 += {c, '\0'};
    const char *upToDate = "Current version is up to date.", *unable = "Unable to connect to update server.";
    const char* newer = "A new version is available. Please visit https://www.quillmer.example/tavren to get "
                        "the latest version";
    const struct {
        const char* what;
        TestHttpServer::Reply reply;
        const char* told;
    } cases[] = {
        {"the same build", {200, document(own)}, upToDate},
        {"a greater build", {200, document(next)}, newer},
        {"declaration, white space, other content",
         {200, "<?xml version=\"1.0\"?>\n" + document(" " + next + "\n").insert(18, "\n  <notes/>\n  ")},
         newer},
        {"the first of two",
         {200, document(own).insert(18, "<current><build>" + next + "</build></current>")},
         newer},
        {"CDATA", {200, document("<![CDATA[" + next + "]]>")}, newer},
        {"UTF-16 with its byte order mark", {200, utf16}, newer},
        {"another root",
         {200, "<other><versions><current><build>" + next + "</build></current></versions></other>"},
         upToDate},
        {"cut short", {200, document(next).substr(0, 50)}, unable},
        {"an HTML error page", {200, "<html><body><h1>Error</h1><hr></body></html>"}, unable},
        {"a version document with status 404", {404, document(next)}, unable},
        {"10 MB", {200, "<tavren><versions><current><build>99" + std::string(10 << 20, ' ')}, unable},
    };
    TestHttpServer server;
    for (const auto& c : cases) {
        server.Serve(c.reply);
        app->status.clear();
        app->CheckForUpdates(false);
        EXPECT_EQ(app->status, (std::vector<std::string>{"Checking for updates...", c.told})) << c.what;
    }
    const std::string request = server.LastRequest();
    EXPECT_EQ(request.rfind("GET /tavren/tavren.xml HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Tavren\r\n"), std::string::npos) << request;
    server.Serve({0, document(own)});
    int build = -1;
    EXPECT_FALSE(FetchLatestBuild(build, 1000)) << "a server that never answers";
    // The server may still be writing the answer before when the client gives up waiting.
    const int expected = static_cast<int>(std::size(cases)) + 1;
    for (int i = 0; i < 100 && server.Requests() < expected; ++i)
        Sleep(50);
    EXPECT_EQ(server.Requests(), expected);
}

// Bad input from every side the program listens to, with bank 1 cached and patch 123
// shown: each case loses nothing (bank 1's cache and rows, the patch shown, every
// control's value, the settings) and tells the user what is due.
struct BadInputCase {
    const char* name;
    std::vector<Bytes> messages;                        // what the instrument sends, taken in one poll
    std::function<void(DeviceLinkTest&)> act = nullptr; // instead of one poll
    std::string status = "";                            // the line the user must see, if one is due
};

std::vector<std::string> Kept(const DeviceLinkTest& t) {
    std::vector<std::string> kept;
    for (int row = 0; row < 100; ++row)
        kept.push_back(t.Row(row) + " " +
                       HexText(t.app->patchBank.slots[static_cast<size_t>(100 + row)].dump));
    kept.push_back(Summary(t).substr(0, 10) + " row " + std::to_string(t.SelectedRow()) + ", ports " +
                   GetSettings().MIDIInDevice + "|" + GetSettings().MIDIOutDevice + ", values");
    for (const ParameterRow& row : ParameterTable())
        kept.back() += " " + std::to_string(t.Value(row.id));
    return kept;
}

Bytes ForeignSysEx(std::size_t length) {
    Bytes message(length, 0x11);
    message.front() = 0xF0, message[1] = 0x7D, message.back() = 0xF7;
    return message;
}

const std::string kLongPort = "Interface " + std::string(90, 'x');

const BadInputCase kBadInputCases[] = {
    {"SysExOf64KB", {ForeignSysEx(65536)}},
    {"ProgramChangeWithoutItsFollowers", {Hex("C0 05")}},
    {"DumpForPatch450",
     {PackPatchDump(450, UnpackPatchData(SimulatedInstrument().Patch(123)))},
     nullptr,
     "Loading 4:50:" + ReadPatchName(SimulatedInstrument().Patch(123))},
    {"RealTimeBytesInsideASplitSysEx", InPieces(123, 4, Hex("F8 FE FF")),
     [](DeviceLinkTest& t) {
         t.app->SelectPatch(1, 24); // cached: nothing asked; the dump of patch 123 shows it again
         t.app->PollMidiInput();
         EXPECT_EQ(t.app->patchBank.program, 23);
     }},
    {"BurstOf500MessagesPastTheQueueLimit",
     {},
     [](DeviceLinkTest& t) {
         for (int i = 0; i < 500; ++i)
             t.device.Emit({SimulatedInstrument::TurnKnob(kCutoff, i % 100)});
         t.app->PollMidiInput();
         EXPECT_EQ(t.Value(kCutoff), 2 * 98) << "the last that fitted";
         t.device.Emit({SimulatedInstrument::TurnKnob(kCutoff, 0x7F)}), t.app->PollMidiInput();
         EXPECT_EQ(t.Value(kCutoff), 254) << "the queue takes more";
         t.app->SelectPatch(1, 23); // the patch's own values again
     }},
    {"PortNameOf100Characters",
     {},
     [](DeviceLinkTest& t) {
         t.device.portNames.push_back(kLongPort);
         t.app->InitMidi();
         SendMessageW(t.window, WM_COMMAND, 1001, 0);
         wchar_t text[200] = L"";
         GetMenuStringW(t.app->inputDeviceMenu, 1001, text, 200, MF_BYCOMMAND);
         EXPECT_EQ(std::wstring(text), std::wstring(kLongPort.begin(), kLongPort.end()));
         GetSettings().Save();
         GetSettings().Load();
         EXPECT_EQ(GetSettings().MIDIInDevice, kLongPort);
         GetSettings().MIDIInDevice = kTestPort; // back to the instrument, which answers the query
         t.app->InitMidi();
         t.app->PollMidiInput();
     },
     "MIDI Input device opened."},
    {"SysExThatNeverEnds", {Cut(SimulatedInstrument().Patch(123), 100)}},
    {"PortVanishesDuringABankLoad",
     {},
     [](DeviceLinkTest& t) {
         t.device.faults.messagesBeforeUnplugged = 29;
         t.app->LoadBank(2);
         EXPECT_EQ(Summary(t).substr(0, 21), "shown 2:0, cached 129");
         EXPECT_EQ(std::count(t.app->status.begin(), t.app->status.end(), "MIDI Device error."), 1)
             << "the load stops at the first request that cannot be sent";
         t.app->SelectPatch(1, 23); // back to where the case began
     },
     "MIDI Device error."},
    {"ListNotificationWithNoSelection",
     {},
     [](DeviceLinkTest& t) {
         t.Cache(99); // the slot that row -1 of bank 1 would reach
         SendMessageW(t.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
         for (WORD code : {LBN_SELCHANGE, LBN_DBLCLK})
             SendMessageW(GetParent(t.List()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(t.List()), code),
                          reinterpret_cast<LPARAM>(t.List()));
         SendMessageW(t.List(), LB_SETCURSEL, 23, 0);
         EXPECT_TRUE(t.device.Received().empty());
     }},
};

// One after another on one window: each case leaves things as it found them.
TEST_F(DeviceLinkTest, BadInputLosesNothingAndSaysWhatIsDue) {
    Connect();
    app->LoadBank(1);
    app->SelectPatch(1, 23);
    PumpMessages();
    const std::vector<std::string> before = Kept(*this);
    for (const BadInputCase& c : kBadInputCases) {
        SCOPED_TRACE(c.name);
        device.ClearReceived();
        app->status.clear();
        device.Emit(c.messages);
        if (c.act)
            c.act(*this);
        else
            app->PollMidiInput();
        PumpMessages();
        const std::vector<std::string> after = Kept(*this);
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]) << (i < 100 ? "row " + std::to_string(i) : "the rest");
        EXPECT_TRUE(c.status.empty() || app->Said(c.status)) << testing::PrintToString(app->status);
    }
}

} // namespace
