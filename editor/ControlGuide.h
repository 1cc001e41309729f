#pragma once

#include "engine/ParameterTable.h"

#include <string>
#include <vector>

// What the keyboard and a screen reader make of the front panel: the order in which Tab
// visits the controls, and what each control is called aloud.

// The IDs of the 58 controls in reading order: frame by frame as the panel lays them out,
// within a frame row by row from the top, each row from left to right.
const std::vector<int>& TabOrder();
// The frame a control sits in, as words ("Filter", "Oscillator A", "LFO-Mod").
std::string SectionName(const ParameterRow& row);
// The name the panel prints for a control: a knob's own, a switch's description.
std::string ShortName(const ParameterRow& row);
// The control's name with its section: "Filter: CUTOFF", "Oscillator A: OSC A SAW".
std::string SpokenName(const ParameterRow& row);
