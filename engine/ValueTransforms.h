#pragma once

// The conversions between a parameter's own value (knob position 0..255, switch
// position 0..3) and the 7-bit controller value that carries it over MIDI. Each is
// total: it returns something for every int. The parameter argument is not used.

class Parameter;

using TransformFunction = int (*)(Parameter* parameter, int value);

int KnobToCc(Parameter* parameter, int value);       // 0..255 -> 0..127 (arithmetic shift)
int CcToKnob(Parameter* parameter, int value);       // 0..127 -> 0..254
int SwitchToCc(Parameter* parameter, int value);     // 0 -> 0, else 64
int CcToSwitch(Parameter* parameter, int value);     // 0 -> 0, else 1
int FreqAbDestToCc(Parameter* parameter, int value); // 0 -> 0, else 127
int FltDestToCc(Parameter* parameter, int value);    // 0 -> 0, else 126
int PwAbDestToCc(Parameter* parameter, int value);   // 0 -> 0, else 124
int KeyboardToCc(Parameter* parameter, int value);   // 0, 1, 2 -> 0, 43, 86
int CcToKeyboard(Parameter* parameter, int value);   // 0, 43, 86 -> 0, 1, 2
int FreqAdjToCc(Parameter* parameter, int value);    // 0..3 -> 0, 32, 64, 96
int CcToFreqAdj(Parameter* parameter, int value);    // 0, 32, 64, 96 -> 0..3
int LfoTargetToCc(Parameter* parameter, int value);  // 0..3 -> 0, 33, 66, 99
int CcToLfoTarget(Parameter* parameter, int value);  // 0, 33, 66, 99 -> 0..3
int LfoShapeToCc(Parameter* parameter, int value);   // 0..5 -> 0, 22, 44, 66, 88, 110
int CcToLfoShape(Parameter* parameter, int value);   // 0, 22, ..., 110 -> 0..5; else 0
