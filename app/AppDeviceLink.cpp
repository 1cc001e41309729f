// The application's side of the conversation with the instrument: the MIDI ports,
// the poll and dispatch of what the instrument sends, the device checks, patch
// selection, program changes and bank loading.
#include "app/App.h"

#include "app/Settings.h"
#include "controls/CustomControl.h"
#include "controls/Listbox.h"
#include "controls/StatusPanel.h"
#include "engine/Parameter.h"
#include "engine/PatchDump.h"
#include "engine/Pro800Engine.h"
#include "engine/SysExConstants.h"
#include "midi/DemoMode.h"
#include "midi/MidiMessages.h"
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"
#include "resources/ResourceIds.h"

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The waits spin on the input queue: a reply is handled as soon as it is queued. Each
// turn offers the processor to another thread that is ready, the MIDI driver's first
// among them, so that a busy machine does not keep the reply out of the queue.
constexpr std::chrono::milliseconds kQueryWait(300);
constexpr std::chrono::milliseconds kPatchWait(100);
// A bank load's wait for a patch sleeps while the answer is not due yet, judged by how
// long the last answer took, and spins from this long before: a thread that spun for
// tens of milliseconds is the last one a busy machine gives the processor back to, and
// one that sleeps wakes too late for an instrument that answers within milliseconds.
constexpr std::chrono::milliseconds kSpinBeforeDue(3);
constexpr UINT kPollPeriodMs = 100;

// Port names and debugger lines are widened as status lines are: byte by byte, signed.
std::wstring WidenBytes(const std::string& text) {
    const std::u16string wide = WidenStatusText(text);
    return std::wstring(wide.begin(), wide.end());
}

// The demo instrument's port is taken when no remembered port is there, and remembered.
int ChooseDemoPort(int found, std::string& remembered, int demoPort) {
    if (found != -1 || DemoDevice() == nullptr || demoPort == -1)
        return found;
    remembered = kDemoPortName;
    return demoPort;
}

// A bank load stores a patch every few hundred microseconds when the instrument answers
// at once. No window message is dispatched meanwhile, so nothing it changes would be
// seen before it ends anyway, but the status line: that is drawn at most once a frame,
// the controls are invalidated once, and the list is drawn once at the end.
class BankLoadDrawing {
  public:
    explicit BankLoadDrawing(Pro800Engine* engine)
        : status_(engine ? engine->statusPanel : nullptr), list_(engine ? engine->patchList : nullptr) {
        if (status_)
            status_->SetPaced(true);
        if (list_)
            list_->HoldDrawing(true);
    }
    ~BankLoadDrawing() {
        if (list_)
            list_->HoldDrawing(false);
        if (status_)
            status_->SetPaced(false);
    }
    BankLoadDrawing(const BankLoadDrawing&) = delete;
    BankLoadDrawing& operator=(const BankLoadDrawing&) = delete;

  private:
    RepaintBatch batch_;
    StatusPanel* status_;
    Listbox* list_;
};

} // namespace

App::PollingWait::PollingWait(App& app) : app_(app), port_(app.midiPort) {
    if (port_ != nullptr)
        ++port_->loopsPolling;
}

App::PollingWait::~PollingWait() {
    if (port_ == nullptr || port_ != app_.midiPort)
        return;
    if (--port_->loopsPolling == 0)
        app_.PollMidiInput();
}

MessageReader App::MakeMidiReader() {
    return MessageReader(
        [this](std::vector<uint8_t>& message) {
            message.clear();
            if (midiPort != nullptr)
                midiPort->Receive(message);
            // Read as if on channel 1: the instrument's channel is the program's.
            message = SwapChannel(std::move(message), GetSettings().MidiChannel);
        },
        [] { Sleep(1); }, [](const std::string& line) { OutputDebugStringW(WidenBytes(line).c_str()); });
}

void App::CloseMidi() {
    delete controllerPort; // closes its input
    controllerPort = nullptr;
    if (midiPort == nullptr)
        return;
    if (midiPort->inputOpen)
        midiPort->CloseInput();
    if (midiPort->outputOpen)
        midiPort->CloseOutput();
    delete midiPort; // deletes its input and output objects
    midiPort = nullptr;
}

void App::InitMidi() {
    CloseMidi();
    midiPort = new MidiPort(this);
    for (SimulatedMidiDevice* demo : {DemoDevice(), OfferedDemoDevice()})
        if (demo != nullptr)
            demo->channel = GetSettings().MidiChannel; // the demo instrument follows the program
    // A message in an empty queue wakes the window: a knob turned on the instrument
    // moves on screen at once; timer 1 stays as the poll it always was.
    midiPort->wake = [window = mainWindow] { PostMessageW(window, WM_APP_MIDI_INPUT, 0, 0); };
    const int inputCount = midiPort->InputPortCount();
    const int outputCount = midiPort->OutputPortCount();

    Settings& settings = GetSettings();
    if (!settings.MIDIInDevice.empty())
        midiPort->inputPort = midiPort->FindInputPort(settings.MIDIInDevice);
    if (!settings.MIDIOutDevice.empty())
        midiPort->outputPort = midiPort->FindOutputPort(settings.MIDIOutDevice);
    // A port found under its new number is remembered by the name it has now.
    if (midiPort->inputPort != -1)
        settings.MIDIInDevice = midiPort->InputPortName(midiPort->inputPort);
    if (midiPort->outputPort != -1)
        settings.MIDIOutDevice = midiPort->OutputPortName(midiPort->outputPort);
    if (DemoDevice() != nullptr) {
        midiPort->inputPort = ChooseDemoPort(midiPort->inputPort, settings.MIDIInDevice,
                                             midiPort->FindInputPort(kDemoPortName));
        midiPort->outputPort = ChooseDemoPort(midiPort->outputPort, settings.MIDIOutDevice,
                                              midiPort->FindOutputPort(kDemoPortName));
    }

    if (!midiPort->outputOpen && midiPort->outputPort != -1) {
        ShowStatus("Opening output.");
        if (midiPort->OpenOutput())
            ShowStatus("MIDI Output device opened.");
        else
            ShowStatus("MIDI Output device failed to open.");
    }
    if (!midiPort->inputOpen && midiPort->inputPort != -1) {
        ShowStatus("Opening input.");
        if (midiPort->OpenInput()) {
            ShowStatus("MIDI Input device opened.");
            KillTimer(mainWindow, kTimerPollMidi);
            SetTimer(mainWindow, kTimerPollMidi, kPollPeriodMs, nullptr);
        } else {
            ShowStatus("MIDI Input device failed to open.");
        }
    }
    OpenController();
    FillDeviceMenus(inputCount, outputCount);
    DrawMenuBar(mainWindow);
    if (midiPort->OfferedDemoInput() == 0 && midiPort->OfferedDemoOutput() == 0)
        ShowStatus("No MIDI ports found. Choose the simulated Pro~800 in the MIDI menus to try Tavren.");
}

void App::OpenController() {
    delete controllerPort;
    controllerPort = nullptr;
    const std::string& name = GetSettings().MIDIControllerDevice;
    // The instrument's own input is never echoed.
    if (name.empty() || midiPort == nullptr || name == GetSettings().MIDIInDevice)
        return;
    controllerPort = new MidiPort(this);
    controllerPort->wake = midiPort->wake;
    controllerPort->inputPort = controllerPort->FindInputPort(name);
    if (controllerPort->inputPort == -1)
        return; // not plugged in: looked for again when the ports change
    ShowStatus(controllerPort->OpenInput() ? "MIDI controller input opened."
                                           : "MIDI controller input failed to open.");
}

void App::ChooseController(int index) {
    std::string name = midiPort != nullptr ? midiPort->InputPortName(index) : std::string();
    Settings& settings = GetSettings();
    settings.MIDIControllerDevice = name == settings.MIDIControllerDevice ? std::string() : name;
    OpenController();
    FillDeviceMenus(midiPort != nullptr ? midiPort->InputPortCount() : 0,
                    midiPort != nullptr ? midiPort->OutputPortCount() : 0);
}

void App::PollControllerInput() {
    std::vector<uint8_t> message;
    for (int taken = 0; controllerPort != nullptr && taken < 1000; ++taken) {
        controllerPort->Receive(message);
        if (message.empty())
            break;
        HandleControllerMessage(message);
    }
}

void App::HandleControllerMessage(const std::vector<uint8_t>& message) {
    if (message.empty() || message[0] >= 0xF0 || engine == nullptr)
        return; // SysEx and real-time bytes are the keyboard's own business
    const uint8_t kind = message[0] & 0xF0;
    constexpr uint8_t kModulationWheel = 1, kSustain = 64;
    if (kind == 0xB0) {
        if (message.size() < 3)
            return;
        if (Parameter* parameter = engine->FindParameter(message[1]);
            parameter != nullptr && message[1] <= 0x7F) {
            // A knob of the panel turned on the keyboard: moved on screen and sent as an edit.
            const int value = parameter->FromMidi(message[2]);
            engine->SetParameterValue(message[1], value);
            ControlChanged(message[1], value);
            return;
        }
        if (message[1] != kModulationWheel && message[1] != kSustain)
            return;
    } else if (kind != 0x80 && kind != 0x90 && kind != 0xA0 && kind != 0xD0 && kind != 0xE0) {
        return; // program changes are the instrument's own
    }
    if (GetSettings().EchoMIDI != 1)
        return;
    std::vector<uint8_t> echoed = message;
    echoed[0] = kind; // channel 1, which goes out on the instrument's
    SendMidi(echoed);
}

void App::OnDevicesChanged() {
    if (midiPort == nullptr)
        return;
    // The remembered ports; in demo mode without them, the demo instrument's.
    const Settings& settings = GetSettings();
    const auto wanted = [](const std::string& remembered) {
        return remembered.empty() && DemoDevice() != nullptr ? std::string(kDemoPortName) : remembered;
    };
    const std::string inputName = wanted(settings.MIDIInDevice), outputName = wanted(settings.MIDIOutDevice);
    const int input = inputName.empty() ? -1 : midiPort->FindInputPort(inputName);
    const int output = outputName.empty() ? -1 : midiPort->FindOutputPort(outputName);
    if ((midiPort->inputOpen && input == -1) || (midiPort->outputOpen && output == -1)) {
        // Unplugged or switched off: its ports close, and nothing more goes to it.
        deviceRecognized = false;
        InitMidi();
        ShowStatus("Pro~800 disconnected.");
    } else if ((!midiPort->inputOpen && input != -1) || (!midiPort->outputOpen && output != -1)) {
        // Plugged in or switched on after the start, or back again.
        ShowStatus("Pro~800 ports found: opening them.");
        InitMidi();
        if (CheckDevice(false))
            QueryDevice();
    } else {
        if (controllerPort == nullptr || !controllerPort->inputOpen)
            OpenController(); // the keyboard plugged in
        FillDeviceMenus(midiPort->InputPortCount(), midiPort->OutputPortCount());
        DrawMenuBar(mainWindow);
    }
}

void App::FillDeviceMenus(int inputCount, int outputCount) {
    for (HMENU menu : {inputDeviceMenu, outputDeviceMenu, controllerMenu}) {
        if (menu == nullptr)
            continue;
        for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position)
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    }
    // The controller keyboard is one of the inputs, chosen by name.
    const int controller = controllerPort != nullptr ? controllerPort->inputPort : -1;
    struct Side {
        HMENU menu;
        int count;
        int firstCommand;
        int chosen;
        bool input;
    };
    const Side sides[] = {
        {inputDeviceMenu, inputCount, IDM_FIRST_INPUT_PORT, midiPort->inputPort, true},
        {outputDeviceMenu, outputCount, IDM_FIRST_OUTPUT_PORT, midiPort->outputPort, false},
        {controllerMenu, inputCount, IDM_FIRST_CONTROLLER_PORT, controller, true},
    };
    for (const Side& side : sides) {
        if (side.menu == nullptr)
            continue;
        const int offered = side.input ? midiPort->OfferedDemoInput() : midiPort->OfferedDemoOutput();
        for (int i = 0; i < side.count; ++i) {
            // The simulated instrument, offered after the system's ports, is set apart.
            if (i == offered && i > 0)
                AppendMenuW(side.menu, MF_SEPARATOR, 0, nullptr);
            // A port gone since the count was read gives an empty name.
            const std::string name = side.input ? midiPort->InputPortName(i) : midiPort->OutputPortName(i);
            const auto command = static_cast<UINT_PTR>(side.firstCommand + i);
            AppendMenuW(side.menu, MF_STRING, command, WidenBytes(name).c_str());
            if (i == side.chosen)
                CheckMenuItem(side.menu, static_cast<UINT>(command), MF_BYCOMMAND | MF_CHECKED);
        }
    }
}

bool App::CheckDevice(bool requireRecognized) {
    if (midiPort == nullptr) {
        ShowStatus("Error: MIDI Device not responding");
        return false;
    }
    if (!midiPort->inputOpen) {
        ShowStatus("MIDI Input not open");
        return false;
    }
    if (!midiPort->outputOpen) {
        ShowStatus("MIDI Output not open");
        return false;
    }
    if (requireRecognized && !deviceRecognized) {
        ShowStatus("Pro~800 device not recognized");
        return false;
    }
    return true;
}

bool App::PortsOpen() const {
    return midiPort != nullptr && midiPort->inputOpen && midiPort->outputOpen;
}

void App::QueryDevice() {
    const PollingWait waiting(*this);
    SendMidi(BuildIdentificationRequest());
    const Clock::time_point sent = Clock::now();
    while (Clock::now() - sent <= kQueryWait) {
        PollMidiInput();
        SwitchToThread();
    }
    if (PatchBank::IsBank(patchBank.bank))
        LoadBank(patchBank.bank);
}

void App::SelectPatch(int bank, int program) {
    if (bank < 0 || program < 0)
        return;
    const PatchSlot* slot = patchBank.Slot(bank, program);
    if (patchBank.ShowingFile()) {
        // The instrument changed its patch: the file stays listed, and the patch is
        // fetched into the cache for when its bank is listed again.
        if (slot == nullptr)
            return;
        patchBank.instrumentPatch = bank * PatchBank::kPrograms + program;
        ShowStatus("Pro~800 patch " + SlotLabel(patchBank.instrumentPatch) +
                   " is current; the file stays listed.");
        if (!slot->loaded)
            SendMidi(BuildPatchRequest(patchBank.instrumentPatch));
        return;
    }
    if (slot != nullptr && slot->loaded) {
        if (bank != patchBank.bank)
            patchBank.SwitchBank(bank);
        patchBank.ShowProgram(program);
        return;
    }
    SendMidi(BuildPatchRequest(bank * PatchBank::kPrograms + program));
    if (PatchBank::IsBank(bank) && bank != patchBank.bank)
        patchBank.SwitchBank(bank);
    // The slot is usually still empty: the engine ignores it, and the row is selected.
    if (PatchBank::IsBank(patchBank.bank) && PatchBank::IsProgram(program))
        patchBank.ShowProgram(program);
}

void App::SendProgramChange(int bank, int program) {
    SendMidi({kProgramChangeChannel1, static_cast<uint8_t>(program & 0x7F)});
    SendMidi({kControlChangeChannel1, kBankSelectController, static_cast<uint8_t>(bank & 0x7F)});
}

void App::LoadBank(int bank) {
    if (!CheckDevice(true))
        return;
    if (!PatchBank::IsBank(bank))
        return;
    const BankLoadDrawing drawing(engine);
    const PollingWait waiting(*this);
    // The patches shown while the bank loads are one step of the edit, taken at its end.
    bankLoading = true;
    shownWhileLoading.reset();
    const int keep = bank == patchBank.bank ? patchBank.program : 0;
    if (bank != patchBank.bank)
        patchBank.SwitchBank(bank);
    ShowStatus("Loading bank from Pro~800");
    Clock::duration lastAnswer = Clock::duration::zero();
    Clock::duration spinBefore = kSpinBeforeDue;
    for (int program = 0; program < PatchBank::kPrograms; ++program) {
        const PatchSlot* slot = patchBank.Slot(bank, program);
        if (slot->loaded)
            continue;
        SelectPatch(bank, program);
        // A request that could not be sent says so once; the rest would fail alike,
        // each after a wait, while the patches loaded so far stay cached.
        if (midiPort->lastSendFailed)
            break;
        const Clock::time_point sent = Clock::now();
        for (;;) {
            PollMidiInput();
            const Clock::time_point now = Clock::now();
            // A dump taken in the last poll counts even when the time is up.
            if (slot->loaded) {
                lastAnswer = now - sent;
                break;
            }
            if (emptySysExSeen)
                break;
            if (now - sent > kPatchWait) {
                ShowStatus("Patch request timeout");
                break;
            }
            if (now - sent + spinBefore < lastAnswer) {
                Sleep(1);
                // Where a sleep takes longer, the spin begins earlier.
                spinBefore = std::max<Clock::duration>(spinBefore, 2 * (Clock::now() - now));
            } else {
                SwitchToThread();
            }
        }
    }
    if (PatchBank::IsBank(patchBank.bank) && PatchBank::IsProgram(keep))
        patchBank.ShowProgram(keep);
    bankLoading = false;
    if (shownWhileLoading)
        PatchShown(*std::exchange(shownWhileLoading, std::nullopt));
}

void App::SendMidi(const std::vector<uint8_t>& message) {
    // Built on channel 1, sent on the instrument's.
    if (midiPort != nullptr)
        midiPort->Send(SwapChannel(message, GetSettings().MidiChannel));
}

void App::PollMidiInput() {
    PollControllerInput(); // played notes go on at once, even while a bank loads
    emptySysExSeen = false;
    std::vector<uint8_t> message;
    while (midiReader.Next(message))
        HandleMidiMessage(message);
}

void App::HandleMidiMessage(std::vector<uint8_t>& message) {
    if (engine == nullptr)
        return;
    switch (ClassifyMessage(message)) {
    case MessageKind::ControlChange: {
        const int id = message[1];
        int value = message[2];
        if (Parameter* parameter = engine->FindParameter(id))
            value = parameter->FromMidi(value);
        // Someone turned the instrument's knob: an edit, kept while comparing too.
        RecordChange(id, value, EditHistory::Source::Instrument);
        if (!comparing)
            engine->SetParameterValue(id, value);
        return;
    }
    case MessageKind::ProgramChange:
        if (HandleProgramChange(message))
            return;
        break;
    case MessageKind::IdentificationReply:
        if (HandleDeviceReply(message))
            return;
        break;
    case MessageKind::PatchDump:
        if (HandlePatchDump(message))
            return;
        break;
    case MessageKind::EmptySysEx:
        emptySysExSeen = true;
        return;
    case MessageKind::Unknown:
        if (HandleFirmwareReply(message))
            return;
        break;
    }
    OutputDebugStringA(FormatUnknownMessage(message).c_str());
}

bool App::HandleProgramChange(std::vector<uint8_t>& message) {
    if (ClassifyMessage(message) != MessageKind::ProgramChange)
        return false;
    // The two messages after it are only looked at: unless they complete a patch
    // change, they stay in line and are dispatched next.
    const std::optional<PatchChange> change =
        ReadPatchChange(message, midiReader.Peek(0), midiReader.Peek(1));
    if (!change)
        return false;
    midiReader.Skip(2);
    SelectPatch(change->bank, change->program);
    return true;
}

bool App::HandleDeviceReply(std::vector<uint8_t>& message) {
    if (ClassifyMessage(message) != MessageKind::IdentificationReply)
        return false;
    const std::optional<int> current = ReadCurrentPatch(message);
    if (!current)
        return false;
    ShowStatus("Pro~800 Device Recognized");
    deviceRecognized = true;
    SelectPatch(*current / PatchBank::kPrograms, *current % PatchBank::kPrograms);
    RequestFirmwareVersion(); // the answer, if the firmware knows the request, comes with the patch
    return true;
}

bool App::HandlePatchDump(std::vector<uint8_t>& message) {
    if (!IsPatchDump(message))
        return false;
    // A dump cut short (its end never came) would put a broken patch in place of a
    // good one: it is neither shown nor kept, and ends as an unknown message.
    if (message.size() < kMinPatchDumpLength)
        return false;
    int bank = -1;
    int program = -1;
    engine->GetPatchNumber(message, &bank, &program);
    if (!PatchBank::IsBank(bank) || !PatchBank::IsProgram(program)) {
        engine->LoadPatchDump(message); // shown, but not kept
        return false;
    }
    if (bank * PatchBank::kPrograms + program == awaitedReadBack)
        readBack = message; // a restore compares it with what it wrote
    const bool listed = patchBank.ShowingFile();
    // Storing shows the dump too: decoding it once is enough.
    patchBank.StoreDump(bank, program, message);
    RecordSeen({message}, SlotLabel(bank * PatchBank::kPrograms + program));
    if (listed && awaitedReadBack < 0)
        ShowStatus("Received " + SlotLabel(bank * PatchBank::kPrograms + program) + " " +
                   ReadPatchName(message) + "; the file stays listed.");
    return true;
}
