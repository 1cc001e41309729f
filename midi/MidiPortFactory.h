#pragma once

#include <RtMidi.h>

#include <string>

class SimulatedMidiDevice;

// Where the program's MIDI ports lead is decided here and nowhere else: to the system's
// MIDI driver, or, in demo mode or in a test, to one simulated instrument and nothing else.

// The simulated device behind the ports, or null for the system's ports. Until a test
// chooses, it is the demo instrument (null outside demo mode).
SimulatedMidiDevice* SimulatedDeviceInUse();

// Puts `device` behind every port object created from now on (null: the system's ports).
void UseSimulatedDevice(SimulatedMidiDevice* device);

// The simulated instrument that the port menus offer after the system's ports, for
// anyone without the instrument: null when the ports lead to a simulated device anyway
// (demo mode, a test) or TAVREN_DEMO=0 hides it. Made on first use from the demo
// variables, it lives until the process ends.
SimulatedMidiDevice* OfferedDemoDevice();

// A new input object, and a new output object, of the world chosen above. Both may
// throw RtMidiError like the library's own constructors.
RtMidiIn* CreateMidiIn(const std::string& clientName, unsigned int queueSizeLimit);
RtMidiOut* CreateMidiOut(const std::string& clientName);
