#pragma once

#include "engine/ValueTransforms.h"

#include <array>

// The 58 parameters of the instrument as data: what each one is, how it travels over
// MIDI, where it sits on the front panel and where the patch dump keeps it. The
// editor builds its controls from this table, the decoder reads the dump by it, and
// the artwork generator draws the panel around it, so the three cannot drift apart.

enum class ControlKind { Knob, TwoState, ThreeState, FourState };

// What the panel prints around a knob.
enum class KnobScale { None, ZeroToTen, MinusFiveToFive, LfoShapes };

// Where a value lies in the unpacked parameter block of a patch dump.
struct DumpField {
    int byte = -1;              // unpacked byte, -1 when the dump does not carry the parameter
    int shift = 0;              // lowest bit of the field
    int bits = 0;               // width in bits; 8 takes bit 7 from the group header
    bool needsFormat6F = false; // only dumps of data format 0x6F (unpacked byte 4) carry it
    // Formats before 0x6F kept this much of a dead zone at the foot of the 16-bit value
    // whose high byte the field is (its low byte just before it); firmware from 1.3.7 on
    // takes it out when it loads such a patch, and so does the decoder.
    int deadZoneBefore6F = 0;
};

struct ParameterRow {
    int number;                 // creation order, 1 to 58
    int id;                     // controller number, parameter ID and control identifier
    ControlKind kind;           // knob, or switch of two, three or four positions
    const char* name;           // the parameter's name; empty for switches and buttons
    const char* label;          // a short description for texts outside the panel ("OSC A SAW")
    int maxValue;               // highest value: knob maximum or number of positions - 1
    TransformFunction toMidi;   // null: identity
    TransformFunction fromMidi; // null: identity
    int x, y;                   // a knob's centre, a switch's top-left corner, at natural scale
    int offImage;               // two-state: bitmap of position 0
    int onImage;                // two-state: bitmap of position 1
    bool clickToggles;          // push button rather than slide switch
    KnobScale scale;            // legend around a knob
    DumpField field;            // where a patch dump keeps the value
};

constexpr int kParameterCount = 58;
constexpr int kFirstBankButtonId = 1200;
constexpr int kBankCount = 4;

const std::array<ParameterRow, kParameterCount>& ParameterTable();

// The row with this ID, or null.
const ParameterRow* FindParameterRow(int id);
