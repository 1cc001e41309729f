#include "engine/ParameterTable.h"

#include "resources/ResourceIds.h"

// Rows in creation order. Knob positions are centres, switch positions top-left
// corners (main-panel pixels at natural scale). Dump fields name the unpacked byte;
// VCA AT, VCF AT and LFO AT are where the instrument really keeps them (LFO AT only
// in format 0x6F dumps), and LFO SHAPE is the whole of byte 64. The LFO amount of an
// older dump is read as current firmware loads it.
// One row per line reads as the table it is.
// clang-format off
static const std::array<ParameterRow, kParameterCount> kRows = {{
    {1, 8, ControlKind::Knob, "OSC A FREQ", "OSC A FREQ", 255, KnobToCc, CcToKnob, 371, 96, 0, 0, false, KnobScale::ZeroToTen, {6, 0, 8}},
    {2, 10, ControlKind::Knob, "OSC A PW", "OSC A PW", 255, KnobToCc, CcToKnob, 880, 96, 0, 0, false, KnobScale::ZeroToTen, {10, 0, 8}},
    {3, 9, ControlKind::Knob, "OSC A LEVEL", "OSC A LEVEL", 255, KnobToCc, CcToKnob, 1025, 96, 0, 0, false, KnobScale::ZeroToTen, {8, 0, 8}},
    {4, 11, ControlKind::Knob, "OSC B FREQ", "OSC B FREQ", 255, KnobToCc, CcToKnob, 371, 261, 0, 0, false, KnobScale::ZeroToTen, {12, 0, 8}},
    {5, 14, ControlKind::Knob, "OSC B FINE", "OSC B FINE", 255, KnobToCc, CcToKnob, 516, 261, 0, 0, false, KnobScale::MinusFiveToFive, {18, 0, 8}},
    {6, 13, ControlKind::Knob, "OSC B PW", "OSC B PW", 255, KnobToCc, CcToKnob, 880, 261, 0, 0, false, KnobScale::ZeroToTen, {16, 0, 8}},
    {7, 12, ControlKind::Knob, "OSC B LEVEL", "OSC B LEVEL", 255, KnobToCc, CcToKnob, 1025, 261, 0, 0, false, KnobScale::ZeroToTen, {14, 0, 8}},
    {8, 26, ControlKind::Knob, "P-MOD SRC FLT ENV", "P-MOD SRC FLT ENV", 255, KnobToCc, CcToKnob, 371, 430, 0, 0, false, KnobScale::MinusFiveToFive, {42, 0, 8}},
    {9, 27, ControlKind::Knob, "P-MOD SRC OSC B", "P-MOD SRC OSC B", 255, KnobToCc, CcToKnob, 516, 430, 0, 0, false, KnobScale::ZeroToTen, {44, 0, 8}},
    {10, 37, ControlKind::Knob, "NOISE", "NOISE", 255, KnobToCc, CcToKnob, 1025, 430, 0, 0, false, KnobScale::ZeroToTen, {143, 0, 8}},
    {11, 28, ControlKind::Knob, "LFO-MOD FREQ", "LFO-MOD FREQ", 255, KnobToCc, CcToKnob, 371, 597, 0, 0, false, KnobScale::ZeroToTen, {46, 0, 8}},
    {12, 29, ControlKind::Knob, "LFO-MOD INIT AMT", "LFO-MOD INIT AMT", 255, KnobToCc, CcToKnob, 663, 597, 0, 0, false, KnobScale::ZeroToTen, {48, 0, 8, false, 2048}},
    {13, 30, ControlKind::Knob, "GLIDE", "GLIDE", 255, KnobToCc, CcToKnob, 1025, 597, 0, 0, false, KnobScale::ZeroToTen, {50, 0, 8}},
    {14, 15, ControlKind::Knob, "CUTOFF", "CUTOFF", 255, KnobToCc, CcToKnob, 1222, 261, 0, 0, false, KnobScale::ZeroToTen, {20, 0, 8}},
    {15, 16, ControlKind::Knob, "RESONANCE", "RESONANCE", 255, KnobToCc, CcToKnob, 1367, 261, 0, 0, false, KnobScale::ZeroToTen, {22, 0, 8}},
    {16, 17, ControlKind::Knob, "FLT ENV AMT", "FLT ENV AMT", 255, KnobToCc, CcToKnob, 1513, 261, 0, 0, false, KnobScale::ZeroToTen, {24, 0, 8}},
    {17, 21, ControlKind::Knob, "FLT ATTACK", "FLT ATTACK", 255, KnobToCc, CcToKnob, 1222, 430, 0, 0, false, KnobScale::ZeroToTen, {32, 0, 8}},
    {18, 20, ControlKind::Knob, "FLT DECAY", "FLT DECAY", 255, KnobToCc, CcToKnob, 1367, 430, 0, 0, false, KnobScale::ZeroToTen, {30, 0, 8}},
    {19, 19, ControlKind::Knob, "FLT SUSTAIN", "FLT SUSTAIN", 255, KnobToCc, CcToKnob, 1513, 430, 0, 0, false, KnobScale::ZeroToTen, {28, 0, 8}},
    {20, 18, ControlKind::Knob, "FLT RELEASE", "FLT RELEASE", 255, KnobToCc, CcToKnob, 1657, 430, 0, 0, false, KnobScale::ZeroToTen, {26, 0, 8}},
    {21, 25, ControlKind::Knob, "AMP ATTACK", "AMP ATTACK", 255, KnobToCc, CcToKnob, 1222, 597, 0, 0, false, KnobScale::ZeroToTen, {40, 0, 8}},
    {22, 24, ControlKind::Knob, "AMP DECAY", "AMP DECAY", 255, KnobToCc, CcToKnob, 1367, 597, 0, 0, false, KnobScale::ZeroToTen, {38, 0, 8}},
    {23, 23, ControlKind::Knob, "AMP SUSTAIN", "AMP SUSTAIN", 255, KnobToCc, CcToKnob, 1513, 597, 0, 0, false, KnobScale::ZeroToTen, {36, 0, 8}},
    {24, 22, ControlKind::Knob, "AMP RELEASE", "AMP RELEASE", 255, KnobToCc, CcToKnob, 1657, 597, 0, 0, false, KnobScale::ZeroToTen, {34, 0, 8}},
    {25, 34, ControlKind::Knob, "VIBRATO SPEED", "VIBRATO SPEED", 255, KnobToCc, CcToKnob, 844, 765, 0, 0, false, KnobScale::ZeroToTen, {79, 0, 8}},
    {26, 35, ControlKind::Knob, "VIBRATO AMT", "VIBRATO AMT", 255, KnobToCc, CcToKnob, 1010, 765, 0, 0, false, KnobScale::ZeroToTen, {81, 0, 8}},
    {27, 31, ControlKind::Knob, "VCA VELO", "VCA VELO", 255, KnobToCc, CcToKnob, 1222, 765, 0, 0, false, KnobScale::ZeroToTen, {52, 0, 8}},
    {28, 32, ControlKind::Knob, "VCF VELO", "VCF VELO", 255, KnobToCc, CcToKnob, 1367, 765, 0, 0, false, KnobScale::ZeroToTen, {54, 0, 8}},
    {29, 39, ControlKind::Knob, "VCA AT", "VCA AT", 255, KnobToCc, CcToKnob, 1513, 765, 0, 0, false, KnobScale::ZeroToTen, {145, 0, 8}},
    {30, 40, ControlKind::Knob, "VCF AT", "VCF AT", 255, KnobToCc, CcToKnob, 1657, 765, 0, 0, false, KnobScale::ZeroToTen, {147, 0, 8}},
    {31, 41, ControlKind::Knob, "LFO AT", "LFO AT", 255, KnobToCc, CcToKnob, 1803, 765, 0, 0, false, KnobScale::ZeroToTen, {167, 0, 8, true}},
    {32, 57, ControlKind::Knob, "LFO SHAPE", "LFO SHAPE", 5, LfoShapeToCc, CcToLfoShape, 516, 597, 0, 0, false, KnobScale::LfoShapes, {64, 0, 8}},
    {33, 54, ControlKind::TwoState, "", "OSC A SYNC", 1, SwitchToCc, CcToSwitch, 503, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {61, 0, 1}},
    {34, 48, ControlKind::TwoState, "", "OSC A SAW", 1, SwitchToCc, CcToSwitch, 612, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {55, 0, 1}},
    {35, 49, ControlKind::TwoState, "", "OSC A TRI", 1, SwitchToCc, CcToSwitch, 684, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {56, 0, 1}},
    {36, 50, ControlKind::TwoState, "", "OSC A PULSE", 1, SwitchToCc, CcToSwitch, 758, 78, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {57, 0, 1}},
    {37, 68, ControlKind::FourState, "", "OSC A FREQ ADJ", 3, FreqAdjToCc, CcToFreqAdj, 1185, 62, 0, 0, false, KnobScale::None, {74, 0, 2}},
    {38, 69, ControlKind::FourState, "", "OSC B FREQ ADJ", 3, FreqAdjToCc, CcToFreqAdj, 1330, 62, 0, 0, false, KnobScale::None, {75, 0, 2}},
    {39, 51, ControlKind::TwoState, "", "OSC B SAW", 1, SwitchToCc, CcToSwitch, 612, 245, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {58, 0, 1}},
    {40, 52, ControlKind::TwoState, "", "OSC B TRI", 1, SwitchToCc, CcToSwitch, 684, 245, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {59, 0, 1}},
    {41, 53, ControlKind::TwoState, "", "OSC B PULSE", 1, SwitchToCc, CcToSwitch, 758, 245, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {60, 0, 1}},
    {42, 60, ControlKind::ThreeState, "", "FLT KEYBOARD", 2, KeyboardToCc, CcToKeyboard, 1645, 239, 0, 0, false, KnobScale::None, {67, 0, 2}},
    {43, 55, ControlKind::TwoState, "", "P-MOD DEST FREQ A", 1, SwitchToCc, CcToSwitch, 684, 411, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {62, 0, 1}},
    {44, 56, ControlKind::TwoState, "", "P-MOD DEST FILTER", 1, SwitchToCc, CcToSwitch, 758, 411, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {63, 0, 1}},
    {45, 65, ControlKind::TwoState, "", "UNISON TRACK", 1, SwitchToCc, CcToSwitch, 867, 411, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {71, 0, 1}},
    {46, 62, ControlKind::TwoState, "", "FLT ENV SPEED", 1, SwitchToCc, CcToSwitch, 1750, 406, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {69, 0, 1}},
    {47, 61, ControlKind::TwoState, "", "FLT ENV CURVE", 1, SwitchToCc, CcToSwitch, 1815, 406, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {68, 0, 1}},
    {48, 74, ControlKind::TwoState, "", "LFO-MOD DEST FREQ AB", 1, FreqAbDestToCc, CcToSwitch, 753, 566, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {66, 0, 1}},
    {49, 76, ControlKind::TwoState, "", "LFO-MOD DEST PW AB", 1, PwAbDestToCc, CcToSwitch, 811, 566, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {66, 2, 1}},
    {50, 75, ControlKind::TwoState, "", "LFO-MOD DEST FILTER", 1, FltDestToCc, CcToSwitch, 869, 566, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {66, 1, 1}},
    {51, 72, ControlKind::TwoState, "", "AMP ENV SPEED", 1, SwitchToCc, CcToSwitch, 1750, 572, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {148, 0, 1}},
    {52, 63, ControlKind::TwoState, "", "AMP ENV CURVE", 1, SwitchToCc, CcToSwitch, 1815, 572, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {70, 0, 1}},
    {53, 59, ControlKind::FourState, "", "LFO TARGET", 3, LfoTargetToCc, CcToLfoTarget, 375, 725, 0, 0, false, KnobScale::None, {66, 3, 2}},
    {54, 58, ControlKind::TwoState, "", "LFO SPEED RANGE", 1, SwitchToCc, CcToSwitch, 562, 732, IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, KnobScale::None, {65, 0, 1}},
    {55, 1200, ControlKind::TwoState, "", "BANK 1", 1, nullptr, nullptr, 55, 50, IDB_BANK1_OFF, IDB_BANK1_ON, true, KnobScale::None, {}},
    {56, 1201, ControlKind::TwoState, "", "BANK 2", 1, nullptr, nullptr, 105, 50, IDB_BANK2_OFF, IDB_BANK2_ON, true, KnobScale::None, {}},
    {57, 1202, ControlKind::TwoState, "", "BANK 3", 1, nullptr, nullptr, 155, 50, IDB_BANK3_OFF, IDB_BANK3_ON, true, KnobScale::None, {}},
    {58, 1203, ControlKind::TwoState, "", "BANK 4", 1, nullptr, nullptr, 206, 50, IDB_BANK4_OFF, IDB_BANK4_ON, true, KnobScale::None, {}},
}};
// clang-format on

const std::array<ParameterRow, kParameterCount>& ParameterTable() {
    return kRows;
}

const ParameterRow* FindParameterRow(int id) {
    for (const ParameterRow& row : kRows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}
