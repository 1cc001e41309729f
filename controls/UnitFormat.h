#pragma once

// Unit kinds a control may report through GetUnits, and the text of a value in each.
enum UnitKind {
    kUnitNone = 0,
    kUnitInteger = 1,
    kUnitTenths = 2,
    kUnitHundredths = 3,
    kUnitOctave = 4,
    kUnitModulation = 5,
    kUnitSignedScale = 6,
    kUnitLfoNumber = 7,
    kUnitWaveform = 8,
    kUnitOnOff = 9,
    kUnitIntegerOrRandom = 10,
    kUnitHertz = 11,
    kUnitLfoShape = 12,
    kUnitOscOrNoise = 13,
    kUnitOscOrExternal = 14,
    kUnitRateOrTime = 15,
    kUnitSubOscOrExternal = 16,
    kUnitBlank = 17,
    kUnitFivesOrRandom = 18,
};

// The text of `value` under `unitKind`; "" for unknown kinds and values outside a
// kind's list. Numeric texts are written into one static buffer of 32 characters
// shared by every caller, so such a result is valid only until the next call.
const wchar_t* FormatUnitValue(int unitKind, int value);
