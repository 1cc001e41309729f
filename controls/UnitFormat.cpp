#include "controls/UnitFormat.h"

#include <cwchar>

namespace {

wchar_t gNumberText[32];

const wchar_t* Print(const wchar_t* format, double number) {
    std::swprintf(gNumberText, sizeof gNumberText / sizeof gNumberText[0], format, number);
    return gNumberText;
}

const wchar_t* PrintInteger(long long number) {
    std::swprintf(gNumberText, sizeof gNumberText / sizeof gNumberText[0], L"%lld", number);
    return gNumberText;
}

const wchar_t* Pick(const wchar_t* const* texts, int count, int value) {
    return value >= 0 && value < count ? texts[value] : L"";
}

// The signed scale of kind 6: hundredths up to 50, then ever coarser steps.
float SignedScale(int value) {
    // Wide enough for the magnitude of INT_MIN.
    long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    double sign = value < 0 ? -1.0 : 1.0;
    if (magnitude <= 50)
        return static_cast<float>(value) / 100.0f;
    if (magnitude <= 60)
        return static_cast<float>(sign * (static_cast<double>(magnitude - 50) * 0.5 / 10.0 + 0.45f));
    if (magnitude <= 115)
        return static_cast<float>(sign * (static_cast<double>(magnitude - 60) * 0.2 + 1.0));
    return static_cast<float>(sign * static_cast<double>(magnitude - 103));
}

} // namespace

const wchar_t* FormatUnitValue(int unitKind, int value) {
    static const wchar_t* const kOctaves[] = {L"-2 [32']", L"-1 [16']", L"0 [8']", L"+1 [4']", L"+2 [2']"};
    static const wchar_t* const kModulations[] = {L"Ring Mod", L"AM", L"Rectify", L"Clip"};
    static const wchar_t* const kLfos[] = {L"LFO 1", L"LFO 2", L"LFO 3", L"LFO 4", L"Common LFO"};
    static const wchar_t* const kWaves[] = {L"Saw",        L"Pulse",          L"Saw/Pulse",
                                            L"Double Saw", L"Detuned Saw 1",  L"Detuned Saw 2",
                                            L"Triangle",   L"Square/Triangle"};
    switch (unitKind) {
    case kUnitInteger:
        return PrintInteger(value);
    case kUnitTenths:
        return Print(L"%.1f", static_cast<float>(value) / 10.0f);
    case kUnitHundredths:
        return Print(L"%.2f", static_cast<float>(value) / 100.0f);
    case kUnitOctave:
        // Range first: value + 2 would overflow at the top of int.
        return value >= -2 && value <= 2 ? kOctaves[value + 2] : L"";
    case kUnitModulation:
        return Pick(kModulations, 4, value);
    case kUnitSignedScale:
        return Print(L"%.2f", SignedScale(value));
    case kUnitLfoNumber:
        return Pick(kLfos, 5, value);
    case kUnitWaveform:
        return Pick(kWaves, 8, value);
    case kUnitOnOff:
        return value == 0 ? L"Off" : L"On";
    case kUnitIntegerOrRandom:
        return value < 181 ? PrintInteger(value) : L"Random";
    case kUnitHertz:
        return Print(L"%.1f Hz", static_cast<float>(value) / 10.0f);
    case kUnitLfoShape:
        return value == 0 ? L"Square" : L"Triangle";
    case kUnitOscOrNoise:
        return value == 0 ? L"Osc. 1" : L"Noise";
    case kUnitOscOrExternal:
        return value == 0 ? L"Osc. 2" : L"Ext.";
    case kUnitRateOrTime:
        return value == 0 ? L"Rate" : L"Time";
    case kUnitSubOscOrExternal:
        return value == 0 ? L"Sub Osc" : L"Ext.";
    case kUnitFivesOrRandom:
        return value == 37 ? L"Random" : PrintInteger(static_cast<long long>(value) * 5);
    default:
        return L"";
    }
}
