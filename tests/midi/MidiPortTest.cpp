// MidiPort over real RtMidi objects whose back ends lead to a simulated instrument,
// and over the system's own driver, which has no devices under Wine. Every library
// error as a status line is tested through the application (DeviceLinkTests).
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"

#include "tests/support/FakeHost.h"
#include "tests/support/HexBytes.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

const std::vector<std::string> kError = {"MIDI Device error."};

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
        for (Bytes message; port->input->getMessage(&message), !message.empty();)
            out.push_back(message);
        return out;
    }
};

TEST(MidiPort, FindsADeviceByItsExactNameSendsAndReceives) {
    PortOnDevice link;
    EXPECT_EQ(link.port->FindOutputPort(std::string("Test Pro~800\0old", 16)), 0) << "compared up to the NUL";
    EXPECT_EQ(link.port->FindInputPort("test pro~800"), -1);
    EXPECT_EQ(link.port->FindOutputPort("Test Pro~800 "), -1);
    EXPECT_EQ(link.port->OutputPortName(0), "Test Pro~800");
    EXPECT_EQ(link.port->OutputPortName(1), "");
    EXPECT_TRUE(link.port->OpenOutput() && link.port->OpenInput());

    Bytes longSysEx(1000, 0x11);
    longSysEx.front() = 0xF0;
    longSysEx.back() = 0xF7;
    for (const Bytes& message : {Hex("B0 0F 40"), Hex("C0 2A"), longSysEx, Bytes()})
        EXPECT_TRUE(link.port->Send(message)) << "an empty message is not passed to the library";
    EXPECT_EQ(link.device.Received(), (std::vector<Bytes>{Hex("B0 0F 40"), Hex("C0 2A"), longSysEx}));
    // SysEx, clock and active sensing pass; the queue of 100 holds 99.
    link.device.Emit({Hex("F0 F7"), Hex("F8"), Hex("FE")});
    EXPECT_EQ(link.Drain(), (std::vector<Bytes>{Hex("F0 F7"), Hex("F8"), Hex("FE")}));
    link.device.Emit(std::vector<Bytes>(150, Hex("B0 0F 40")));
    EXPECT_EQ(link.Drain().size(), 99u);

    EXPECT_TRUE(link.port->CloseInput() && link.port->CloseOutput());
    EXPECT_FALSE(link.port->inputOpen || link.port->outputOpen);
    EXPECT_TRUE(link.host.statusLines.empty());
}

TEST(MidiPort, WithoutDevicesNothingIsFoundAndOpeningFailsWithTheErrorLine) {
    UseSimulatedDevice(nullptr); // the system's Windows multimedia driver
    FakeHost host;
    MidiPort port(&host);
    EXPECT_EQ(port.FindInputPort("Test Pro~800"), -1);
    EXPECT_EQ(port.FindOutputPort(""), -1);
    EXPECT_FALSE(port.OpenOutput());
    EXPECT_EQ(host.statusLines, kError);
}

} // namespace
