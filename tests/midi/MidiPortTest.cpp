// MidiPort over real RtMidi objects whose back ends lead to a simulated instrument, and
// over the system's own driver, which has no devices under Wine. The library's errors
// as status lines and the queue's limit are tested through the application
// (DeviceLinkTests, BadInputTests).
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"

#include "tests/support/FakeHost.h"
#include "tests/support/HexBytes.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

namespace {

TEST(MidiPort, FindsADeviceByItsExactNameSendsAndReceives) {
    FakeHost host;
    SimulatedMidiDevice device("Test Pro~800");
    UseSimulatedDevice(&device);
    {
        MidiPort port(&host);
        EXPECT_EQ(port.FindOutputPort(std::string("Test Pro~800\0old", 16)), 0) << "compared up to the NUL";
        EXPECT_EQ(port.FindInputPort("test pro~800"), -1);
        EXPECT_EQ(port.FindOutputPort("Test Pro~800 "), -1);
        EXPECT_EQ(port.OutputPortName(0) + port.OutputPortName(1), "Test Pro~800");
        port.inputPort = port.outputPort = 0;
        ASSERT_TRUE(port.OpenOutput() && port.OpenInput());
        for (const Bytes& message : {Hex("B0 0F 40"), Bytes()})
            EXPECT_TRUE(port.Send(message)) << "an empty message is not passed to the library";
        EXPECT_EQ(device.Received(), std::vector<Bytes>{Hex("B0 0F 40")});
        device.Emit({Hex("F0 F7"), Hex("F8"), Hex("FE")}); // SysEx, clock and active sensing pass
        std::vector<Bytes> received;
        for (Bytes message; port.input->getMessage(&message), !message.empty();)
            received.push_back(message);
        EXPECT_EQ(received, (std::vector<Bytes>{Hex("F0 F7"), Hex("F8"), Hex("FE")}));
        EXPECT_TRUE(port.CloseInput() && port.CloseOutput());
        EXPECT_FALSE(port.inputOpen || port.outputOpen);
    }
    UseSimulatedDevice(nullptr); // the system's Windows multimedia driver
    EXPECT_TRUE(host.statusLines.empty());
    MidiPort port(&host);
    EXPECT_EQ(port.FindInputPort("Test Pro~800"), -1);
    EXPECT_FALSE(port.OpenOutput());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{"MIDI Device error."});
}

} // namespace
