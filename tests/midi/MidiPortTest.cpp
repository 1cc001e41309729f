// MidiPort over real RtMidi objects whose back ends lead to a simulated instrument, and
// over the system's own driver, which has no devices under Wine. Sending and receiving,
// the library's errors as status lines and the queue's limit are tested through the
// application (DeviceLinkTests).
#include "midi/MidiPort.h"
#include "midi/MidiPortFactory.h"
#include "midi/SimulatedMidiDevice.h"

#include "tests/support/FakeHost.h"
#include "tests/support/HexBytes.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

namespace {

TEST(MidiPort, FindsADeviceByItsExactNameAndSaysWhenTheSystemHasNone) {
    FakeHost host;
    SimulatedMidiDevice device("Test Pro~800");
    UseSimulatedDevice(&device);
    {
        MidiPort port(&host);
        EXPECT_EQ(port.FindOutputPort(std::string("Test Pro~800\0old", 16)), 0) << "compared up to the NUL";
        EXPECT_EQ(port.FindInputPort("test pro~800"), -1);
        EXPECT_EQ(port.FindOutputPort("Test Pro~800 "), -1);
        EXPECT_EQ(port.OutputPortName(0) + port.OutputPortName(1), "Test Pro~800");
        port.outputPort = 0;
        ASSERT_TRUE(port.OpenOutput());
        EXPECT_TRUE(port.Send(Bytes()) && device.Received().empty()) << "an empty message is not passed on";
    }
    UseSimulatedDevice(nullptr); // the system's Windows multimedia driver
    EXPECT_TRUE(host.statusLines.empty());
    MidiPort port(&host);
    EXPECT_EQ(port.FindInputPort("Test Pro~800"), -1);
    EXPECT_FALSE(port.OpenOutput());
    EXPECT_EQ(host.statusLines, std::vector<std::string>{"MIDI Device error."});
}

} // namespace
