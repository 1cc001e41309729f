// layout-export: prints the front panel's layout as JSON on standard output: every
// row of the parameter table with its control window, and the frames, legends,
// dials, icons, rules and areas of PanelLayout. tools/artgen/generate.py draws the
// artwork from it.

#include "editor/PanelLayout.h"
#include "engine/ParameterTable.h"

#include <cstdio>
#include <string>

namespace {

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

std::string Rect(const PanelRect& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%d, %d, %d, %d]", r.left, r.top, r.width, r.height);
    return buffer;
}

std::string Number(double value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    return buffer;
}

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Knob:
        return "knob";
    case ControlKind::TwoState:
        return "two-state";
    case ControlKind::ThreeState:
        return "three-state";
    case ControlKind::FourState:
        return "four-state";
    }
    return "";
}

const char* ScaleName(KnobScale scale) {
    switch (scale) {
    case KnobScale::None:
        return "none";
    case KnobScale::ZeroToTen:
        return "zero-to-ten";
    case KnobScale::MinusFiveToFive:
        return "minus-five-to-five";
    case KnobScale::LfoShapes:
        return "lfo-shapes";
    }
    return "";
}

const char* StyleName(TextStyle style) {
    switch (style) {
    case TextStyle::Title:
        return "title";
    case TextStyle::Legend:
        return "legend";
    case TextStyle::Position:
        return "position";
    case TextStyle::Dial:
        return "dial";
    }
    return "";
}

const char* AlignName(TextAlign align) {
    switch (align) {
    case TextAlign::Left:
        return "left";
    case TextAlign::Centre:
        return "centre";
    case TextAlign::Right:
        return "right";
    }
    return "";
}

const char* ShapeName(WaveShape shape) {
    switch (shape) {
    case WaveShape::Sawtooth:
        return "sawtooth";
    case WaveShape::Triangle:
        return "triangle";
    case WaveShape::Pulse:
        return "pulse";
    case WaveShape::Sine:
        return "sine";
    case WaveShape::Square:
        return "square";
    case WaveShape::RampDown:
        return "ramp-down";
    case WaveShape::Random:
        return "random";
    }
    return "";
}

// Items of a JSON array, one per line, separated by commas.
class ArrayPrinter {
  public:
    explicit ArrayPrinter(const char* name) { std::printf("  \"%s\": [", name); }
    ~ArrayPrinter() { std::printf("\n  ]"); }
    ArrayPrinter(const ArrayPrinter&) = delete;
    ArrayPrinter& operator=(const ArrayPrinter&) = delete;

    void Item(const std::string& json) {
        std::printf("%s\n    %s", first ? "" : ",", json.c_str());
        first = false;
    }

  private:
    bool first = true;
};

} // namespace

int main() {
    const PanelLayout& layout = PanelLayout::Get();
    std::printf("{\n");
    std::printf("  \"panel\": {\"width\": %d, \"height\": %d},\n", kPanelWidth, kPanelHeight);
    std::printf("  \"knob\": {\"frameSize\": %d, \"frameCount\": %d, \"lastValueFrame\": %d, "
                "\"firstAngle\": %s, \"degreesPerFrame\": %s},\n",
                kKnobFrameSize, kKnobFrameCount, kKnobLastValueFrame,
                Number(PanelLayout::FrameAngle(0)).c_str(),
                Number(PanelLayout::FrameAngle(1) - PanelLayout::FrameAngle(0)).c_str());
    std::printf("  \"patchList\": %s,\n", Rect(layout.PatchList()).c_str());
    std::printf("  \"statusPanel\": %s,\n", Rect(layout.StatusPanel()).c_str());
    std::printf("  \"logo\": %s,\n", Rect(layout.Logo()).c_str());
    {
        ArrayPrinter array("parameters");
        for (const ParameterRow& row : ParameterTable()) {
            array.Item(
                "{\"number\": " + std::to_string(row.number) + ", \"id\": " + std::to_string(row.id) +
                ", \"kind\": \"" + KindName(row.kind) + "\", \"name\": " + Quote(row.name) +
                ", \"label\": " + Quote(row.label) + ", \"maxValue\": " + std::to_string(row.maxValue) +
                ", \"x\": " + std::to_string(row.x) + ", \"y\": " + std::to_string(row.y) +
                ", \"offImage\": " + std::to_string(row.offImage) +
                ", \"onImage\": " + std::to_string(row.onImage) +
                ", \"clickToggles\": " + (row.clickToggles ? "true" : "false") + ", \"scale\": \"" +
                ScaleName(row.scale) + "\", \"window\": " + Rect(PanelLayout::ControlWindow(row)) + "}");
        }
    }
    std::printf(",\n");
    {
        ArrayPrinter array("frames");
        for (const PanelFrame& frame : layout.Frames())
            array.Item("{\"title\": " + Quote(frame.title) + ", \"rect\": " + Rect(frame.rect) +
                       ", \"titleBox\": " + Rect(frame.titleBox) + "}");
    }
    std::printf(",\n");
    {
        ArrayPrinter array("legends");
        for (const PanelLegend& legend : layout.Legends())
            array.Item("{\"text\": " + Quote(legend.text) + ", \"box\": " + Rect(legend.box) +
                       ", \"style\": \"" + StyleName(legend.style) + "\", \"align\": \"" +
                       AlignName(legend.align) + "\", \"ruled\": " + (legend.ruled ? "true" : "false") + "}");
    }
    std::printf(",\n");
    {
        ArrayPrinter array("icons");
        for (const PanelIcon& icon : layout.Icons())
            array.Item("{\"shape\": \"" + std::string(ShapeName(icon.shape)) +
                       "\", \"box\": " + Rect(icon.box) + "}");
    }
    std::printf(",\n");
    {
        ArrayPrinter array("rules");
        for (const PanelRule& rule : layout.Rules())
            array.Item("[" + std::to_string(rule.x1) + ", " + std::to_string(rule.y1) + ", " +
                       std::to_string(rule.x2) + ", " + std::to_string(rule.y2) + "]");
    }
    std::printf(",\n");
    {
        ArrayPrinter array("screws");
        for (const PanelRect& screw : layout.Screws())
            array.Item(Rect(screw));
    }
    std::printf(",\n");
    {
        ArrayPrinter array("dials");
        for (const KnobDial& dial : layout.Dials()) {
            std::string marks;
            for (const DialMark& mark : dial.marks) {
                if (!marks.empty())
                    marks += ", ";
                marks += "{\"angle\": " + Number(mark.angle) +
                         ", \"major\": " + (mark.major ? "true" : "false") +
                         ", \"text\": " + Quote(mark.text) + ", \"box\": " + Rect(mark.labelBox) + "}";
            }
            array.Item("{\"id\": " + std::to_string(dial.id) + ", \"scale\": \"" + ScaleName(dial.scale) +
                       "\", \"centre\": [" + Number(dial.centreX) + ", " + Number(dial.centreY) +
                       "], \"tickInner\": " + Number(dial.tickInner) +
                       ", \"tickMajor\": " + Number(dial.tickMajor) +
                       ", \"tickMinor\": " + Number(dial.tickMinor) + ", \"marks\": [" + marks + "]}");
        }
    }
    std::printf("\n}\n");
    return 0;
}
