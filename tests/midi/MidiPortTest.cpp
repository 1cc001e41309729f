// MidiPort over real RtMidi objects whose back ends lead to a simulated instrument,
// and over the system's own driver, which has no devices under Wine.
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"

#include "tests/support/FakeHost.h"
#include "tests/support/HexBytes.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const char kError[] = "MIDI Device error.";

// A MidiPort made by the program's own factory, on a simulated device.
struct PortOnDevice {
    FakeHost host;
    SimulatedMidiDevice device{"Test Pro~800"};
    std::unique_ptr<MidiPort> port;

    PortOnDevice() {
        UseSimulatedDevice(&device);
        port = std::make_unique<MidiPort>(&host);
        port->inputPort = port->FindInputPort("Test Pro~800");
        port->outputPort = port->FindOutputPort("Test Pro~800");
    }
    ~PortOnDevice() {
        port.reset();
        UseSimulatedDevice(nullptr);
    }

    std::vector<Bytes> Drain() {
        std::vector<Bytes> out;
        Bytes message;
        while (port->input->getMessage(&message), !message.empty())
            out.push_back(message);
        return out;
    }
};

TEST(MidiPort, FindsADeviceByItsExactName) {
    PortOnDevice link;
    EXPECT_EQ(link.port->FindInputPort("Test Pro~800"), 0);
    EXPECT_EQ(link.port->FindOutputPort(std::string("Test Pro~800\0old", 16)), 0) << "compared up to the NUL";
    EXPECT_EQ(link.port->FindInputPort("test pro~800"), -1);
    EXPECT_EQ(link.port->FindOutputPort("Test Pro~800 "), -1);
    EXPECT_EQ(link.port->InputPortCount(), 1);
    EXPECT_EQ(link.port->OutputPortName(0), "Test Pro~800");
    EXPECT_EQ(link.port->OutputPortName(1), "");
}

TEST(MidiPort, OpensSendsWholeMessagesAndReceivesThroughTheLibrarysQueue) {
    PortOnDevice link;
    EXPECT_TRUE(link.port->OpenOutput());
    EXPECT_TRUE(link.port->OpenInput());
    EXPECT_TRUE(link.port->inputOpen && link.port->outputOpen);

    Bytes longSysEx(1000, 0x11);
    longSysEx.front() = 0xF0;
    longSysEx.back() = 0xF7;
    for (const Bytes& message : {Hex("B0 0F 40"), Hex("C0 2A"), Hex("B0 00 01"), longSysEx})
        EXPECT_TRUE(link.port->Send(message));
    EXPECT_TRUE(link.port->Send(Bytes())) << "an empty message is not passed to the library";
    EXPECT_EQ(link.device.Received(),
              (std::vector<Bytes>{Hex("B0 0F 40"), Hex("C0 2A"), Hex("B0 00 01"), longSysEx}));

    // SysEx, clock and active sensing pass; the queue of 100 holds 99.
    link.device.Emit({Hex("F0 F7"), Hex("F8"), Hex("FE")});
    EXPECT_EQ(link.Drain(), (std::vector<Bytes>{Hex("F0 F7"), Hex("F8"), Hex("FE")}));
    link.device.Emit(std::vector<Bytes>(150, Hex("B0 0F 40")));
    EXPECT_EQ(link.Drain().size(), 99u);

    EXPECT_TRUE(link.port->CloseInput());
    EXPECT_TRUE(link.port->CloseOutput());
    EXPECT_FALSE(link.port->inputOpen || link.port->outputOpen);
    EXPECT_TRUE(link.host.statusLines.empty());
}

TEST(MidiPort, EveryLibraryErrorIsOneStatusLineAndTheProgramGoesOn) {
    struct Case {
        const char* what;
        SimulatedMidiDevice::Faults faults;
        std::function<bool(MidiPort&)> act;
        bool result;
        bool inputOpenAfter;
        bool outputOpenAfter;
    };
    const std::vector<Case> cases = {
        {"open input", {true, false, false}, [](MidiPort& p) { return p.OpenInput(); }, false, false, false},
        {"open output",
         {true, false, false},
         [](MidiPort& p) { return p.OpenOutput(); },
         false,
         false,
         false},
        {"close input",
         {false, true, false},
         [](MidiPort& p) {
             p.OpenInput();
             return p.CloseInput();
         },
         true,
         true,
         false},
        {"close output",
         {false, true, false},
         [](MidiPort& p) {
             p.OpenOutput();
             return p.CloseOutput();
         },
         true,
         false,
         true},
        {"send",
         {false, false, true},
         [](MidiPort& p) {
             p.OpenOutput();
             return p.Send(Hex("B0 07 40"));
         },
         false, // the message did not leave
         false,
         true},
        {"open a port that is not there",
         {},
         [](MidiPort& p) {
             p.inputPort = 3;
             return p.OpenInput();
         },
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        PortOnDevice link;
        link.device.faults = c.faults;
        EXPECT_EQ(c.act(*link.port), c.result) << c.what;
        EXPECT_EQ(link.host.statusLines, std::vector<std::string>{kError}) << c.what;
        EXPECT_EQ(link.port->inputOpen, c.inputOpenAfter) << c.what;
        EXPECT_EQ(link.port->outputOpen, c.outputOpenAfter) << c.what;
        link.device.faults = {};
    }
}

TEST(MidiPort, WithoutDevicesNothingIsFoundAndOpeningFailsWithTheErrorLine) {
    UseSimulatedDevice(nullptr); // the system's Windows multimedia driver
    FakeHost host;
    MidiPort port(&host);
    ASSERT_NE(port.input, nullptr);
    EXPECT_EQ(port.FindInputPort("Test Pro~800"), -1);
    EXPECT_EQ(port.FindOutputPort(""), -1);
    EXPECT_TRUE(host.statusLines.empty());
    EXPECT_FALSE(port.OpenOutput());
    EXPECT_FALSE(port.OpenInput());
    EXPECT_EQ(host.statusLines, (std::vector<std::string>{kError, kError}));
}

} // namespace
