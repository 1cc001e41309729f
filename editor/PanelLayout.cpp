#include "editor/PanelLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

bool PanelRect::Intersects(const PanelRect& other) const {
    return left < other.Right() && other.left < Right() && top < other.Bottom() && other.top < Bottom();
}

bool PanelRect::Contains(const PanelRect& inner) const {
    return inner.left >= left && inner.top >= top && inner.Right() <= Right() && inner.Bottom() <= Bottom();
}

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where knob names sit: this far below the knob's centre, under the dial's lowest
// numbers. The group legends beneath switches share the row.
constexpr int kKnobLegendDrop = 54;
// The gap between a switch and the legends above and below it.
constexpr int kSwitchLegendGap = 2;

// The six LFO waveforms in the order of the shape knob's positions 0 to 5.
constexpr WaveShape kLfoShapes[] = {WaveShape::Triangle, WaveShape::Sawtooth, WaveShape::RampDown,
                                    WaveShape::Square,   WaveShape::Random,   WaveShape::Sine};

const ParameterRow& Row(int number) {
    return ParameterTable().at(static_cast<size_t>(number - 1));
}

int CentreX(const ParameterRow& row) {
    const PanelRect w = PanelLayout::ControlWindow(row);
    return w.left + w.width / 2;
}

PanelRect CentredBox(int centreX, int top, int width, int height) {
    return {centreX - width / 2, top, width, height};
}

PanelRect Frame(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace

const PanelLayout& PanelLayout::Get() {
    static const PanelLayout layout;
    return layout;
}

PanelLayout::PanelLayout() {
    Build();
}

PanelRect PanelLayout::ControlWindow(const ParameterRow& row) {
    switch (row.kind) {
    case ControlKind::Knob:
        return {row.x - kKnobFrameSize / 2 - 5, row.y - kKnobFrameSize / 2 - 5, kKnobWindowSize,
                kKnobWindowSize};
    case ControlKind::TwoState:
        return row.clickToggles ? PanelRect{row.x, row.y, 45, 45} : PanelRect{row.x, row.y, 24, 60};
    case ControlKind::ThreeState:
    case ControlKind::FourState:
        return {row.x, row.y, 24, 75};
    }
    return {};
}

PanelRect PanelLayout::KnobImage(const ParameterRow& row) {
    // The knob blits its frame one pixel left of the window's centre.
    const PanelRect w = ControlWindow(row);
    return {w.left + w.width / 2 - kKnobFrameSize / 2 - 1, w.top + w.height / 2 - kKnobFrameSize / 2,
            kKnobFrameSize, kKnobFrameSize};
}

double PanelLayout::FrameAngle(int frame) {
    return 30.0 + frame * 300.0 / kKnobFrameCount;
}

int PanelLayout::ValueFrame(int value, int maxValue) {
    return static_cast<int>(static_cast<float>(value) / static_cast<float>(maxValue) * kKnobLastValueFrame);
}

int PanelLayout::TextWidth(const std::string& text, TextStyle style) {
    // Generous per-character widths of the panel's faces at their sizes.
    double perChar = 7.2;
    switch (style) {
    case TextStyle::Title:
        perChar = 11.0;
        break;
    case TextStyle::Legend:
        perChar = 7.2;
        break;
    case TextStyle::Position:
    case TextStyle::Dial:
        perChar = 6.0;
        break;
    }
    size_t longest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    return static_cast<int>(std::ceil(static_cast<double>(longest) * perChar)) + 4;
}

int PanelLayout::TextHeight(TextStyle style) {
    switch (style) {
    case TextStyle::Title:
        return 16;
    case TextStyle::Legend:
        return 14;
    case TextStyle::Position:
        return 12;
    case TextStyle::Dial:
        return 11;
    }
    return 14;
}

void PanelLayout::Build() {
    auto legend = [this](const std::string& text, PanelRect box, TextStyle style, TextAlign align,
                         bool ruled) {
        legends.push_back({text, box, style, align, ruled});
    };
    auto textBox = [](const std::string& text, TextStyle style, int centreX, int top) {
        int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        return CentredBox(centreX, top, PanelLayout::TextWidth(text, style),
                          PanelLayout::TextHeight(style) * lines);
    };
    // A knob's name, centred under its dial.
    auto knobName = [&](int number, const std::string& text, int drop = kKnobLegendDrop) {
        const ParameterRow& row = Row(number);
        legend(text, textBox(text, TextStyle::Legend, row.x, row.y + drop), TextStyle::Legend,
               TextAlign::Centre, false);
    };
    // A two-position switch's legends above and below it name its positions, bottom first.
    std::map<int, std::array<std::string, 2>> upAndDown;
    auto aboveSwitch = [&](int number, const std::string& text) {
        const ParameterRow& row = Row(number);
        upAndDown[row.id][1] = OneLine(text);
        PanelRect box = textBox(text, TextStyle::Position, CentreX(row), 0);
        box.top = ControlWindow(row).top - kSwitchLegendGap - box.height;
        legend(text, box, TextStyle::Position, TextAlign::Centre, false);
    };
    auto belowSwitch = [&](int number, const std::string& text, TextStyle style = TextStyle::Position) {
        const ParameterRow& row = Row(number);
        upAndDown[row.id][0] = OneLine(text);
        legend(text, textBox(text, style, CentreX(row), ControlWindow(row).Bottom() + kSwitchLegendGap),
               style, TextAlign::Centre, false);
    };
    // A legend under a row of controls, ruled out to their outer edges.
    auto groupLegend = [&](int firstNumber, int lastNumber, const std::string& text, int top) {
        const PanelRect first = ControlWindow(Row(firstNumber));
        const PanelRect last = ControlWindow(Row(lastNumber));
        PanelRect box{first.left - 6, top, last.Right() - first.left + 12, TextHeight(TextStyle::Legend)};
        legend(text, box, TextStyle::Legend, TextAlign::Centre, true);
    };
    // The positions of a multi-position switch beside it, top legend for the highest
    // state, each level with its part of the lever's travel.
    auto positions = [&](int number, const std::vector<std::string>& topToBottom) {
        const ParameterRow& row = Row(number);
        const PanelRect w = ControlWindow(row);
        const int count = static_cast<int>(topToBottom.size());
        const int height = TextHeight(TextStyle::Position);
        positionNames[row.id].assign(topToBottom.rbegin(), topToBottom.rend());
        for (int i = 0; i < count; ++i) {
            const int bandCentre = w.top + (2 * i + 1) * w.height / (2 * count);
            const std::string& text = topToBottom[static_cast<size_t>(i)];
            PanelRect box{w.Right() + 4, bandCentre - height / 2, TextWidth(text, TextStyle::Position),
                          height};
            legend(text, box, TextStyle::Position, TextAlign::Left, false);
        }
    };
    auto waveAbove = [&](int number, WaveShape shape) {
        const ParameterRow& row = Row(number);
        const PanelRect w = ControlWindow(row);
        icons.push_back({shape, CentredBox(CentreX(row), w.top - 16, 22, 12)});
    };

    const std::vector<std::pair<std::string, PanelRect>> frameList = {
        {"PATCH", Frame(36, 22, 264, 848)},           {"OSCILLATOR A", Frame(278, 22, 1113, 180)},
        {"OSCILLATOR B", Frame(278, 188, 1113, 346)}, {"POLY-MOD", Frame(278, 356, 915, 515)},
        {"NOISE", Frame(932, 356, 1113, 513)},        {"LFO-MOD", Frame(278, 523, 915, 680)},
        {"GLIDE", Frame(932, 523, 1113, 680)},        {"LFO", Frame(278, 691, 704, 848)},
        {"VIBRATO", Frame(721, 691, 1113, 848)},      {"FREQ ADJ", Frame(1128, 22, 1452, 180)},
        {"FILTER", Frame(1128, 188, 1883, 514)},      {"AMPLIFIER", Frame(1128, 523, 1883, 680)},
        {"PERFORMANCE", Frame(1128, 691, 1882, 848)},
    };
    for (const auto& [title, rect] : frameList) {
        const int width = TextWidth(title, TextStyle::Title) + 12;
        const int height = TextHeight(TextStyle::Title);
        frames.push_back(
            {title, rect, CentredBox(rect.left + rect.width / 2, rect.top - height / 2 + 1, width, height)});
    }

    // Four screws, centred in the margins left and right of the frames, near the
    // top and the bottom edge.
    {
        constexpr int kScrew = 13;
        int leftMargin = kPanelWidth, rightMargin = 0;
        for (const PanelFrame& frame : frames) {
            leftMargin = std::min(leftMargin, frame.rect.left);
            rightMargin = std::max(rightMargin, frame.rect.Right());
        }
        for (int centreX : {leftMargin / 2, (rightMargin + kPanelWidth) / 2})
            for (int centreY : {60, kPanelHeight - 60})
                screws.push_back({centreX - kScrew / 2, centreY - kScrew / 2, kScrew, kScrew});
    }

    // PATCH: the bank buttons, BANK between two rules, the list, a rule, the status lines.
    {
        const PanelRect firstButton = ControlWindow(Row(55));
        const PanelRect list = PatchList();
        legend("BANK", {list.left, firstButton.Bottom() + 3, list.width, TextHeight(TextStyle::Legend)},
               TextStyle::Legend, TextAlign::Centre, true);
        rules.push_back({44, 692, 256, 692});
    }

    // OSCILLATOR A
    knobName(1, "FREQUENCY");
    aboveSwitch(33, "SYNC");
    belowSwitch(33, "OFF");
    waveAbove(34, WaveShape::Sawtooth);
    waveAbove(35, WaveShape::Triangle);
    waveAbove(36, WaveShape::Pulse);
    groupLegend(34, 36, "SHAPE", Row(1).y + kKnobLegendDrop);
    knobName(2, "PULSE WIDTH");
    knobName(3, "LEVEL");

    // OSCILLATOR B
    knobName(4, "FREQUENCY");
    knobName(5, "FINE");
    waveAbove(39, WaveShape::Sawtooth);
    waveAbove(40, WaveShape::Triangle);
    waveAbove(41, WaveShape::Pulse);
    groupLegend(39, 41, "SHAPE", Row(4).y + kKnobLegendDrop);
    knobName(6, "PULSE WIDTH");
    knobName(7, "LEVEL");

    // POLY-MOD: the frame is short, so the marks sit closer under the dials and the
    // group legends take the row beneath them. The marks stay 50 below the centre,
    // where FIL ENV clears the -5 of its scale, whose box ends 49 below the centre.
    {
        const int markDrop = 50;
        const int groupTop = Row(8).y + markDrop + TextHeight(TextStyle::Legend) + 1;
        knobName(8, "FIL ENV", markDrop);
        knobName(9, "OSC B", markDrop);
        legend("SOURCE AMOUNT",
               {ControlWindow(Row(8)).left, groupTop,
                ControlWindow(Row(9)).Right() - ControlWindow(Row(8)).left, TextHeight(TextStyle::Legend)},
               TextStyle::Legend, TextAlign::Centre, true);
        const int markTop = Row(8).y + markDrop;
        legend("FREQ A", textBox("FREQ A", TextStyle::Legend, CentreX(Row(43)), markTop), TextStyle::Legend,
               TextAlign::Centre, false);
        legend("FILTER", textBox("FILTER", TextStyle::Legend, CentreX(Row(44)), markTop), TextStyle::Legend,
               TextAlign::Centre, false);
        groupLegend(43, 44, "DESTINATION", groupTop);
        aboveSwitch(45, "UNISON\nTRACK");
        belowSwitch(45, "OFF");
    }

    // NOISE, GLIDE
    knobName(10, "NOISE");
    knobName(13, "GLIDE");

    // LFO-MOD
    knobName(11, "FREQUENCY");
    knobName(32, "SHAPE");
    knobName(12, "INITIAL AMOUNT");
    belowSwitch(48, "FREQ AB");
    belowSwitch(49, "PW AB");
    belowSwitch(50, "FLT");
    groupLegend(48, 50, "DESTINATION", Row(11).y + kKnobLegendDrop);

    // LFO
    {
        const int top = Row(25).y + kKnobLegendDrop;
        positions(53, {"VCA", "B", "A", "AB"});
        legend("TARGET", textBox("TARGET", TextStyle::Legend, CentreX(Row(53)), top), TextStyle::Legend,
               TextAlign::Centre, false);
        aboveSwitch(54, "FAST");
        belowSwitch(54, "SLOW");
        legend("SPEED", textBox("SPEED", TextStyle::Legend, CentreX(Row(54)), top), TextStyle::Legend,
               TextAlign::Centre, false);
    }

    // VIBRATO
    knobName(25, "SPEED");
    knobName(26, "AMOUNT");

    // FREQ ADJ
    for (int number : {37, 38}) {
        positions(number, {"FIXED", "OCTAVE", "SEMITONE", "FREE"});
        const std::string name = number == 37 ? "OSC A" : "OSC B";
        legend(name, textBox(name, TextStyle::Legend, CentreX(Row(number)), Row(1).y + kKnobLegendDrop),
               TextStyle::Legend, TextAlign::Centre, false);
    }

    // FILTER
    knobName(14, "CUTOFF");
    knobName(15, "RESONANCE");
    knobName(16, "ENVELOPE AMOUNT");
    positions(42, {"FULL", "1/2", "OFF"});
    legend("KEYBOARD", textBox("KEYBOARD", TextStyle::Legend, CentreX(Row(42)), Row(14).y + kKnobLegendDrop),
           TextStyle::Legend, TextAlign::Centre, false);
    knobName(17, "ATTACK");
    knobName(18, "DECAY");
    knobName(19, "SUSTAIN");
    knobName(20, "RELEASE");
    aboveSwitch(46, "SLOW");
    belowSwitch(46, "FAST");
    aboveSwitch(47, "EXP");
    belowSwitch(47, "LIN");
    groupLegend(46, 47, "SHAPE", Row(17).y + kKnobLegendDrop);

    // AMPLIFIER
    knobName(21, "ATTACK");
    knobName(22, "DECAY");
    knobName(23, "SUSTAIN");
    knobName(24, "RELEASE");
    aboveSwitch(51, "SLOW");
    belowSwitch(51, "FAST");
    aboveSwitch(52, "EXP");
    belowSwitch(52, "LIN");
    groupLegend(51, 52, "SHAPE", Row(21).y + kKnobLegendDrop);

    // PERFORMANCE
    knobName(27, "VCA VELOCITY");
    knobName(28, "VCF VELOCITY");
    knobName(29, "VCA AT");
    knobName(30, "VCF AT");
    knobName(31, "LFO AT");

    // The dials around every knob.
    for (const ParameterRow& row : ParameterTable()) {
        if (row.kind != ControlKind::Knob)
            continue;
        const PanelRect image = KnobImage(row);
        KnobDial dial{row.id,
                      row.scale,
                      image.left + kKnobFrameSize / 2 + 0.5,
                      image.top + kKnobFrameSize / 2 + 0.5,
                      36.5,
                      42.0,
                      39.5,
                      {}};
        auto labelAt = [&dial](double angle, double radius, int width, int height) {
            const double rad = angle * kPi / 180.0;
            const double x = dial.centreX - radius * std::sin(rad);
            const double y = dial.centreY + radius * std::cos(rad);
            return PanelRect{static_cast<int>(std::lround(x - width / 2.0)),
                             static_cast<int>(std::lround(y - height / 2.0)), width, height};
        };
        const double first = FrameAngle(0);
        const double last = FrameAngle(kKnobLastValueFrame);
        if (row.scale == KnobScale::LfoShapes) {
            for (int position = 0; position <= row.maxValue && position < 6; ++position) {
                const double angle = FrameAngle(ValueFrame(position, row.maxValue));
                const PanelRect box = labelAt(angle, 51.0, 18, 12);
                dial.marks.push_back({angle, true, "", box});
                icons.push_back({kLfoShapes[position], box});
            }
        } else if (row.scale != KnobScale::None) {
            for (int step = 0; step <= 20; ++step) {
                const double angle = first + (last - first) * step / 20.0;
                if (step % 2 != 0) {
                    dial.marks.push_back({angle, false, "", {}});
                    continue;
                }
                const int number = step / 2;
                std::string text = std::to_string(number);
                if (row.scale == KnobScale::MinusFiveToFive)
                    text = number < 5 ? "-" + std::to_string(5 - number)
                                      : (number == 5 ? "0" : "+" + std::to_string(number - 5));
                const int width = TextWidth(text, TextStyle::Dial);
                dial.marks.push_back(
                    {angle, true, text, labelAt(angle, 50.0, width, TextHeight(TextStyle::Dial))});
            }
        }
        dials.push_back(dial);
    }
    for (const auto& [id, names] : upAndDown) {
        if (!names[0].empty() && !names[1].empty())
            positionNames[id] = {names[0], names[1]};
    }
}

std::vector<std::string> PanelLayout::PositionNames(int id) const {
    auto found = positionNames.find(id);
    return found != positionNames.end() ? found->second : std::vector<std::string>{};
}
