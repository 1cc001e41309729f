#pragma once

#include "engine/ParameterTable.h"

#include <map>
#include <string>
#include <vector>

// The front panel beyond the parameter rows: frames, legends, knob dials, wave
// icons, rules and the areas of the patch list, the status panel and the logo.
// Control positions come from ParameterTable(); everything here is placed relative
// to them. The artwork generator reads this through tools/layout-export, so the
// picture and the controls drawn on it share one source.

constexpr int kPanelWidth = 1920;
constexpr int kPanelHeight = 869;

constexpr int kKnobFrameSize = 67;       // one sprite frame
constexpr int kKnobFrameCount = 128;     // frames in the strip
constexpr int kKnobLastValueFrame = 126; // frame shown at a knob's maximum
constexpr int kKnobWindowSize = kKnobFrameSize + 10;

// A rectangle in main-panel pixels; right and bottom are exclusive.
struct PanelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Intersects(const PanelRect& other) const;
    bool Contains(const PanelRect& inner) const;
};

enum class TextStyle {
    Title,    // frame titles
    Legend,   // names of controls and groups
    Position, // switch positions and knob marks
    Dial,     // numbers around a knob
};

enum class TextAlign { Left, Centre, Right };

enum class WaveShape { Sawtooth, Triangle, Pulse, Sine, Square, RampDown, Random };

struct PanelFrame {
    std::string title;
    PanelRect rect;     // outer edges of the rounded outline
    PanelRect titleBox; // the gap in the top edge that the title sits in
};

struct PanelLegend {
    std::string text; // may hold '\n' for stacked lines
    PanelRect box;    // the text fits inside; a ruled legend fills the rest with a line
    TextStyle style;
    TextAlign align;
    bool ruled = false; // horizontal rules left and right of the text, across the box
};

struct PanelIcon {
    WaveShape shape;
    PanelRect box;
};

struct PanelRule {
    int x1, y1, x2, y2;
};

// One mark of a knob's scale: a tick at an angle and its number or icon.
struct DialMark {
    double angle; // degrees clockwise from straight down, as the knob's pointer
    bool major;   // long tick with a label
    std::string text;
    PanelRect labelBox; // empty for minor ticks
};

struct KnobDial {
    int id;
    KnobScale scale;
    double centreX; // where the knob sprite's centre lands on the panel
    double centreY;
    double tickInner; // radius where the ticks start
    double tickMajor; // radius where long ticks end
    double tickMinor; // radius where short ticks end
    std::vector<DialMark> marks;
};

class PanelLayout {
  public:
    static const PanelLayout& Get();

    const std::vector<PanelFrame>& Frames() const { return frames; }
    const std::vector<PanelLegend>& Legends() const { return legends; }
    const std::vector<PanelIcon>& Icons() const { return icons; }
    const std::vector<PanelRule>& Rules() const { return rules; }
    const std::vector<KnobDial>& Dials() const { return dials; }
    // The heads of the screws that hold the panel, in the margins beside the frames.
    const std::vector<PanelRect>& Screws() const { return screws; }
    PanelRect PatchList() const { return {50, 115, 200, 570}; }
    PanelRect StatusPanel() const { return {45, 700, 207, 135}; }
    PanelRect Logo() const { return {1468, 30, 410, 146}; }
    // The legends of a switch's positions, bottom position first, on one line each;
    // empty when the panel does not name them all.
    std::vector<std::string> PositionNames(int id) const;

    // The window of a parameter's control at natural scale.
    static PanelRect ControlWindow(const ParameterRow& row);
    // The knob sprite's 67 x 67 square as the knob paints it inside its window.
    static PanelRect KnobImage(const ParameterRow& row);
    // The pointer angle of a sprite frame, degrees clockwise from straight down.
    static double FrameAngle(int frame);
    // The sprite frame a knob shows for a value.
    static int ValueFrame(int value, int maxValue);
    // Estimated pixel width of a text in a style: the generator checks that the
    // rendered text is no wider.
    static int TextWidth(const std::string& text, TextStyle style);
    static int TextHeight(TextStyle style);

  private:
    PanelLayout();
    void Build();

    std::vector<PanelFrame> frames;
    std::vector<PanelLegend> legends;
    std::vector<PanelIcon> icons;
    std::vector<PanelRule> rules;
    std::vector<KnobDial> dials;
    std::vector<PanelRect> screws;
    std::map<int, std::vector<std::string>> positionNames;
};
