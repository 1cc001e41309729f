#include "engine/ValueTransforms.h"

#include <iterator>

namespace {

// value -> table[value] for 0..n-1, anything else unchanged.
template <size_t N> int MapIndex(const int (&table)[N], int value) {
    if (value >= 0 && value < static_cast<int>(N))
        return table[value];
    return value;
}

// table[i] -> i, anything else -> otherwise.
template <size_t N> int UnmapIndex(const int (&table)[N], int value, int otherwise) {
    for (size_t i = 0; i < N; ++i) {
        if (table[i] == value)
            return static_cast<int>(i);
    }
    return otherwise;
}

const int kKeyboard[] = {0, 43, 86};
const int kFreqAdj[] = {0, 32, 64, 96};
const int kLfoTarget[] = {0, 33, 66, 99};
const int kLfoShape[] = {0, 22, 44, 66, 88, 110};

} // namespace

// One line per transform: they read as the table they are.
// clang-format off
int KnobToCc(Parameter*, int value) { return value >> 1; }
int SwitchToCc(Parameter*, int value) { return value == 0 ? 0 : 64; }
int CcToSwitch(Parameter*, int value) { return value == 0 ? 0 : 1; }
int FreqAbDestToCc(Parameter*, int value) { return value == 0 ? 0 : 127; }
int FltDestToCc(Parameter*, int value) { return value == 0 ? 0 : 126; }
int PwAbDestToCc(Parameter*, int value) { return value == 0 ? 0 : 124; }
int KeyboardToCc(Parameter*, int value) { return MapIndex(kKeyboard, value); }
int CcToKeyboard(Parameter*, int value) { return UnmapIndex(kKeyboard, value, value); }
int FreqAdjToCc(Parameter*, int value) { return MapIndex(kFreqAdj, value); }
int CcToFreqAdj(Parameter*, int value) { return UnmapIndex(kFreqAdj, value, value); }
int LfoTargetToCc(Parameter*, int value) { return MapIndex(kLfoTarget, value); }
int CcToLfoTarget(Parameter*, int value) { return UnmapIndex(kLfoTarget, value, value); }
// clang-format on

// Doubled in unsigned arithmetic, so that a value no controller can carry wraps
// instead of overflowing: the transform answers for every int.
int CcToKnob(Parameter*, int value) {
    return static_cast<int>(2u * static_cast<unsigned>(value));
}

// The LFO shape knob only takes positions 0..5; a position outside them (which no
// knob can show) is held to the nearest end rather than read past the table.
int LfoShapeToCc(Parameter*, int value) {
    const int last = static_cast<int>(std::size(kLfoShape)) - 1;
    return kLfoShape[value < 0 ? 0 : (value > last ? last : value)];
}

int CcToLfoShape(Parameter*, int value) {
    return UnmapIndex(kLfoShape, value, 0);
}
