// The panel artwork is drawn from PanelLayout, and the program places its controls
// from the parameter table. These cases walk both and check that the picture and the
// controls agree: every control in its frame, over its legend, clear of its
// neighbours and of the frame outlines, and every knob inside its scale.

#include "editor/PanelLayout.h"
#include "engine/ParameterTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// The outline is drawn 2 pixels wide on the frame's outer edge; nothing may touch it.
constexpr int kOutline = 3;

const ParameterRow& Row(int number) {
    return ParameterTable().at(static_cast<size_t>(number - 1));
}

PanelRect Window(int number) {
    return PanelLayout::ControlWindow(Row(number));
}

PanelRect Inset(const PanelRect& r, int by) {
    return {r.left + by, r.top + by, r.width - 2 * by, r.height - 2 * by};
}

std::string Describe(const PanelRect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.width) +
           " x " + std::to_string(r.height);
}

// Which controls each frame holds, by creation number.
const std::map<std::string, std::vector<int>>& FrameContents() {
    static const std::map<std::string, std::vector<int>> contents = {
        {"PATCH", {55, 56, 57, 58}},
        {"OSCILLATOR A", {1, 33, 34, 35, 36, 2, 3}},
        {"OSCILLATOR B", {4, 5, 39, 40, 41, 6, 7}},
        {"POLY-MOD", {8, 9, 43, 44, 45}},
        {"NOISE", {10}},
        {"LFO-MOD", {11, 32, 12, 48, 49, 50}},
        {"GLIDE", {13}},
        {"LFO", {53, 54}},
        {"VIBRATO", {25, 26}},
        {"FREQ ADJ", {37, 38}},
        {"FILTER", {14, 15, 16, 42, 17, 18, 19, 20, 46, 47}},
        {"AMPLIFIER", {21, 22, 23, 24, 51, 52}},
        {"PERFORMANCE", {27, 28, 29, 30, 31}},
    };
    return contents;
}

const PanelFrame* FindFrame(const std::string& title) {
    for (const PanelFrame& frame : PanelLayout::Get().Frames())
        if (frame.title == title)
            return &frame;
    return nullptr;
}

const PanelFrame* FrameOf(int number) {
    for (const auto& [title, numbers] : FrameContents())
        if (std::find(numbers.begin(), numbers.end(), number) != numbers.end())
            return FindFrame(title);
    return nullptr;
}

std::vector<const PanelLegend*> LegendsWithText(const std::string& text) {
    std::vector<const PanelLegend*> found;
    for (const PanelLegend& legend : PanelLayout::Get().Legends())
        if (legend.text == text)
            found.push_back(&legend);
    return found;
}

int CentreX(const PanelRect& r) {
    return r.left + r.width / 2;
}

// The legend with this text that lies directly below the controls: it starts under
// their lowest edge, spans their centres and no other control stands between.
const PanelLegend* LegendBelow(const std::string& text, const std::vector<int>& numbers) {
    int left = kPanelWidth, right = 0, bottom = 0;
    for (int n : numbers) {
        left = std::min(left, CentreX(Window(n)));
        right = std::max(right, CentreX(Window(n)));
        bottom = std::max(bottom, Window(n).Bottom());
    }
    for (const PanelLegend* legend : LegendsWithText(text)) {
        const PanelRect& box = legend->box;
        if (box.top < bottom || box.top > bottom + 60 || box.left > left || box.Right() < right)
            continue;
        if (numbers.size() == 1 && std::abs(CentreX(box) - left) > 2)
            continue; // a single control's legend is centred under it
        return legend;
    }
    return nullptr;
}

const PanelLegend* LegendAbove(const std::string& text, int number) {
    const PanelRect w = Window(number);
    for (const PanelLegend* legend : LegendsWithText(text)) {
        const PanelRect& box = legend->box;
        if (box.Bottom() <= w.top && box.Bottom() >= w.top - 12 && std::abs(CentreX(box) - CentreX(w)) <= 2)
            return legend;
    }
    return nullptr;
}

} // namespace

TEST(PanelLayout, EveryControlSitsInsideItsFrameClearOfTheOutlineAndTheTitle) {
    std::vector<int> placed;
    for (const auto& [title, numbers] : FrameContents()) {
        const PanelFrame* frame = FindFrame(title);
        ASSERT_NE(frame, nullptr) << title;
        for (int n : numbers) {
            const PanelRect w = Window(n);
            EXPECT_TRUE(Inset(frame->rect, kOutline).Contains(w))
                << "#" << n << " " << Describe(w) << " in " << title;
            EXPECT_FALSE(w.Intersects(frame->titleBox)) << "#" << n << " under the title " << title;
            placed.push_back(n);
        }
    }
    std::sort(placed.begin(), placed.end());
    ASSERT_EQ(placed.size(), static_cast<size_t>(kParameterCount));
    for (int i = 0; i < kParameterCount; ++i)
        EXPECT_EQ(placed[static_cast<size_t>(i)], i + 1) << "every control belongs to exactly one frame";
    EXPECT_EQ(PanelLayout::Get().Frames().size(), FrameContents().size());
}

TEST(PanelLayout, NoControlOverlapsAnotherAFrameEdgeOrTheListAndStatusAreas) {
    const PanelLayout& layout = PanelLayout::Get();
    for (int a = 1; a <= kParameterCount; ++a) {
        const PanelRect w = Window(a);
        EXPECT_TRUE((PanelRect{0, 0, kPanelWidth, kPanelHeight}.Contains(w))) << "#" << a;
        for (int b = a + 1; b <= kParameterCount; ++b)
            EXPECT_FALSE(w.Intersects(Window(b))) << "#" << a << " overlaps #" << b;
        EXPECT_FALSE(w.Intersects(layout.PatchList())) << "#" << a;
        EXPECT_FALSE(w.Intersects(layout.StatusPanel())) << "#" << a;
        EXPECT_FALSE(w.Intersects(layout.Logo())) << "#" << a;
        // Either well inside a frame or wholly outside it: never across its outline.
        for (const PanelFrame& frame : layout.Frames()) {
            const bool inside = Inset(frame.rect, kOutline).Contains(w);
            const bool outside = !w.Intersects(frame.rect);
            EXPECT_TRUE(inside || outside)
                << "#" << a << " " << Describe(w) << " crosses the edge of " << frame.title;
        }
    }
}

TEST(PanelLayout, FramesMatchTheirTitlesAndDoNotOverlap) {
    const auto& frames = PanelLayout::Get().Frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        const PanelFrame& f = frames[i];
        // The title sits in a gap of the top edge, centred on the frame.
        EXPECT_LE(f.titleBox.top, f.rect.top) << f.title;
        EXPECT_GE(f.titleBox.Bottom(), f.rect.top + 2) << f.title;
        EXPECT_LE(std::abs(CentreX(f.titleBox) - CentreX(f.rect)), 1) << f.title;
        EXPECT_GE(f.titleBox.width, PanelLayout::TextWidth(f.title, TextStyle::Title)) << f.title;
        for (size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(f.rect.Intersects(frames[j].rect)) << f.title << " and " << frames[j].title;
    }
    // The patch list and the status lines sit in the PATCH frame, divided by its rule.
    const PanelFrame* patch = FindFrame("PATCH");
    ASSERT_NE(patch, nullptr);
    EXPECT_TRUE(Inset(patch->rect, kOutline).Contains(PanelLayout::Get().PatchList()));
    EXPECT_TRUE(Inset(patch->rect, kOutline).Contains(PanelLayout::Get().StatusPanel()));
    bool ruled = false;
    for (const PanelRule& rule : PanelLayout::Get().Rules())
        ruled |=
            rule.y1 == 692 && rule.y2 == 692 && rule.x1 > patch->rect.left && rule.x2 < patch->rect.Right();
    EXPECT_TRUE(ruled) << "a rule at y 692 divides the list from the status lines";
}

TEST(PanelLayout, ScrewsSitInTheMarginsClearOfEverything) {
    const PanelLayout& layout = PanelLayout::Get();
    ASSERT_EQ(layout.Screws().size(), 4u);
    for (const PanelRect& screw : layout.Screws()) {
        EXPECT_TRUE((PanelRect{0, 0, kPanelWidth, kPanelHeight}.Contains(Inset(screw, -2))))
            << Describe(screw);
        for (const PanelFrame& frame : layout.Frames())
            EXPECT_FALSE(Inset(screw, -2).Intersects(frame.rect)) << Describe(screw) << " on " << frame.title;
        for (int n = 1; n <= kParameterCount; ++n)
            EXPECT_FALSE(screw.Intersects(Window(n))) << Describe(screw) << " under #" << n;
    }
}

TEST(PanelLayout, EveryControlSitsOverItsLegend) {
    // A knob's name is centred under it.
    const std::vector<std::pair<int, std::string>> knobNames = {
        {1, "FREQUENCY"},
        {2, "PULSE WIDTH"},
        {3, "LEVEL"},
        {4, "FREQUENCY"},
        {5, "FINE"},
        {6, "PULSE WIDTH"},
        {7, "LEVEL"},
        {8, "FIL ENV"},
        {9, "OSC B"},
        {10, "NOISE"},
        {11, "FREQUENCY"},
        {32, "SHAPE"},
        {12, "INITIAL AMOUNT"},
        {13, "GLIDE"},
        {25, "SPEED"},
        {26, "AMOUNT"},
        {14, "CUTOFF"},
        {15, "RESONANCE"},
        {16, "ENVELOPE AMOUNT"},
        {17, "ATTACK"},
        {18, "DECAY"},
        {19, "SUSTAIN"},
        {20, "RELEASE"},
        {21, "ATTACK"},
        {22, "DECAY"},
        {23, "SUSTAIN"},
        {24, "RELEASE"},
        {27, "VCA VELOCITY"},
        {28, "VCF VELOCITY"},
        {29, "VCA AT"},
        {30, "VCF AT"},
        {31, "LFO AT"},
    };
    for (const auto& [number, text] : knobNames) {
        const PanelLegend* legend = LegendBelow(text, {number});
        ASSERT_NE(legend, nullptr) << "no " << text << " under knob #" << number;
        EXPECT_TRUE(Inset(FrameOf(number)->rect, kOutline).Contains(legend->box)) << text;
    }
    // Names under a switch, or under a row of them between two rules.
    const std::vector<std::pair<std::string, std::vector<int>>> below = {
        {"OFF", {33}},
        {"SHAPE", {34, 35, 36}},
        {"SHAPE", {39, 40, 41}},
        {"FREQ A", {43}},
        {"FILTER", {44}},
        {"DESTINATION", {43, 44}},
        {"SOURCE AMOUNT", {8, 9}},
        {"OFF", {45}},
        {"FREQ AB", {48}},
        {"PW AB", {49}},
        {"FLT", {50}},
        {"DESTINATION", {48, 49, 50}},
        {"TARGET", {53}},
        {"SLOW", {54}},
        {"SPEED", {54}},
        {"OSC A", {37}},
        {"OSC B", {38}},
        {"KEYBOARD", {42}},
        {"FAST", {46}},
        {"LIN", {47}},
        {"SHAPE", {46, 47}},
        {"FAST", {51}},
        {"LIN", {52}},
        {"SHAPE", {51, 52}},
        {"BANK", {55, 56, 57, 58}},
    };
    for (const auto& [text, numbers] : below) {
        const PanelLegend* legend = LegendBelow(text, numbers);
        ASSERT_NE(legend, nullptr) << "no " << text << " under #" << numbers.front();
        EXPECT_TRUE(Inset(FrameOf(numbers.front())->rect, kOutline).Contains(legend->box)) << text;
        if (numbers.size() > 1 && text != "BANK") {
            EXPECT_TRUE(legend->ruled) << text << " is ruled out to the row's edges";
        }
    }
    const std::vector<std::pair<int, std::string>> above = {
        {33, "SYNC"}, {45, "UNISON\nTRACK"}, {54, "FAST"}, {46, "SLOW"},
        {47, "EXP"},  {51, "SLOW"},          {52, "EXP"},
    };
    for (const auto& [number, text] : above)
        EXPECT_NE(LegendAbove(text, number), nullptr) << "no " << text << " above #" << number;
}

TEST(PanelLayout, SwitchPositionsAreListedBesideTheLeverTopStateFirst) {
    const std::vector<std::pair<int, std::vector<std::string>>> switches = {
        {53, {"VCA", "B", "A", "AB"}},
        {37, {"FIXED", "OCTAVE", "SEMITONE", "FREE"}},
        {38, {"FIXED", "OCTAVE", "SEMITONE", "FREE"}},
        {42, {"FULL", "1/2", "OFF"}},
    };
    for (const auto& [number, topToBottom] : switches) {
        const PanelRect w = Window(number);
        const int positions = static_cast<int>(topToBottom.size());
        ASSERT_EQ(Row(number).maxValue + 1, positions);
        for (int i = 0; i < positions; ++i) {
            const PanelLegend* found = nullptr;
            for (const PanelLegend* legend : LegendsWithText(topToBottom[static_cast<size_t>(i)]))
                if (legend->box.left >= w.Right() && legend->box.left <= w.Right() + 8)
                    found = legend;
            ASSERT_NE(found, nullptr) << topToBottom[static_cast<size_t>(i)] << " beside #" << number;
            // Level with the band of pointer heights that selects the position: the
            // top legend names the highest state.
            const int centreY = found->box.top + found->box.height / 2;
            const int bandTop = w.top + i * w.height / positions;
            const int bandBottom = w.top + (i + 1) * w.height / positions;
            EXPECT_GE(centreY, bandTop) << topToBottom[static_cast<size_t>(i)];
            EXPECT_LT(centreY, bandBottom) << topToBottom[static_cast<size_t>(i)];
        }
    }
}

TEST(PanelLayout, LegendsAndIconsStayClearOfControlsOutlinesAndEachOther) {
    const PanelLayout& layout = PanelLayout::Get();
    struct Mark {
        std::string what;
        PanelRect box;
        int knobId; // the knob whose scale it belongs to, 0 for legends and switch icons
    };
    std::vector<Mark> marks;
    for (const PanelLegend& legend : layout.Legends())
        marks.push_back({legend.text, legend.box, 0});
    for (const KnobDial& dial : layout.Dials())
        for (const DialMark& mark : dial.marks)
            if (mark.major)
                marks.push_back({"dial mark '" + mark.text + "'", mark.labelBox, dial.id});
    for (const PanelIcon& icon : layout.Icons()) {
        bool onDial = false; // the LFO waveforms are the marks of their knob's scale
        for (const Mark& mark : marks)
            onDial |= mark.knobId != 0 && mark.box.left == icon.box.left && mark.box.top == icon.box.top;
        if (!onDial)
            marks.push_back({"wave icon", icon.box, 0});
    }
    for (size_t i = 0; i < marks.size(); ++i) {
        const Mark& m = marks[i];
        for (int n = 1; n <= kParameterCount; ++n) {
            // A knob's own marks may reach into the corners of its square window,
            // which the round knob leaves to the panel: they must clear the knob itself.
            if (Row(n).id == m.knobId) {
                const PanelRect image = PanelLayout::KnobImage(Row(n));
                const double cx = image.left + image.width / 2.0, cy = image.top + image.height / 2.0;
                const double nx = std::clamp(cx, double(m.box.left), double(m.box.Right()));
                const double ny = std::clamp(cy, double(m.box.top), double(m.box.Bottom()));
                EXPECT_GT(std::hypot(nx - cx, ny - cy), kKnobFrameSize / 2.0) << m.what << " on knob #" << n;
                continue;
            }
            EXPECT_FALSE(m.box.Intersects(Window(n))) << m.what << " " << Describe(m.box) << " under #" << n;
        }
        bool inFrame = false;
        for (const PanelFrame& frame : layout.Frames()) {
            inFrame |= Inset(frame.rect, kOutline).Contains(m.box);
            EXPECT_FALSE(m.box.Intersects(frame.titleBox)) << m.what << " under the title " << frame.title;
        }
        EXPECT_TRUE(inFrame) << m.what << " " << Describe(m.box) << " is not inside a frame";
        EXPECT_FALSE(m.box.Intersects(layout.Logo())) << m.what;
        for (size_t j = i + 1; j < marks.size(); ++j)
            EXPECT_FALSE(m.box.Intersects(marks[j].box)) << m.what << " " << Describe(m.box) << " overlaps "
                                                         << marks[j].what << " " << Describe(marks[j].box);
    }
}

TEST(PanelLayout, EveryKnobHasItsScaleAroundIt) {
    const PanelLayout& layout = PanelLayout::Get();
    std::map<int, const KnobDial*> dials;
    for (const KnobDial& dial : layout.Dials())
        EXPECT_TRUE(dials.emplace(dial.id, &dial).second) << "two dials for ID " << dial.id;
    int knobs = 0;
    for (const ParameterRow& row : ParameterTable()) {
        if (row.kind != ControlKind::Knob) {
            EXPECT_EQ(dials.count(row.id), 0u) << row.id;
            continue;
        }
        ++knobs;
        ASSERT_EQ(dials.count(row.id), 1u) << "knob " << row.name << " has no scale";
        const KnobDial& dial = *dials[row.id];
        // Centred on the sprite as the knob paints it.
        const PanelRect image = PanelLayout::KnobImage(row);
        EXPECT_DOUBLE_EQ(dial.centreX, image.left + kKnobFrameSize / 2 + 0.5) << row.name;
        EXPECT_DOUBLE_EQ(dial.centreY, image.top + kKnobFrameSize / 2 + 0.5) << row.name;
        EXPECT_GT(dial.tickInner, kKnobFrameSize / 2.0) << "ticks start outside the knob";
        EXPECT_GT(dial.tickMinor, dial.tickInner);
        EXPECT_GT(dial.tickMajor, dial.tickMinor);

        std::vector<std::string> labels;
        double previous = -1.0;
        for (const DialMark& mark : dial.marks) {
            EXPECT_GT(mark.angle, previous) << row.name << ": marks run clockwise";
            previous = mark.angle;
            if (mark.major)
                labels.push_back(mark.text);
            if (mark.major)
                EXPECT_TRUE(Inset(FrameOf(row.number)->rect, kOutline).Contains(mark.labelBox)) << row.name;
        }
        ASSERT_FALSE(dial.marks.empty());
        // The scale spans the pointer's travel from the minimum to the maximum.
        EXPECT_NEAR(dial.marks.front().angle, PanelLayout::FrameAngle(0), 1e-9) << row.name;
        EXPECT_NEAR(dial.marks.back().angle, PanelLayout::FrameAngle(kKnobLastValueFrame), 1e-9) << row.name;

        std::vector<std::string> expected;
        if (row.number == 5 || row.number == 8) { // OSC B FINE and POLY-MOD FIL ENV are bipolar
            expected = {"-5", "-4", "-3", "-2", "-1", "0", "+1", "+2", "+3", "+4", "+5"};
        } else if (row.maxValue == 5) {
            expected = {"", "", "", "", "", ""}; // the LFO waveforms, drawn as icons
        } else {
            for (int i = 0; i <= 10; ++i)
                expected.push_back(std::to_string(i));
        }
        EXPECT_EQ(labels, expected) << row.name;
    }
    EXPECT_EQ(knobs, 32);
}

TEST(PanelLayout, TheShapeKnobHasAWaveformAtEachOfItsPositions) {
    const ParameterRow& shape = Row(32);
    ASSERT_EQ(shape.maxValue, 5);
    const KnobDial* dial = nullptr;
    for (const KnobDial& d : PanelLayout::Get().Dials())
        if (d.id == shape.id)
            dial = &d;
    ASSERT_NE(dial, nullptr);
    ASSERT_EQ(dial->marks.size(), 6u);
    for (int position = 0; position <= 5; ++position) {
        const DialMark& mark = dial->marks[static_cast<size_t>(position)];
        // The tick points where the knob's pointer rests at that value.
        EXPECT_DOUBLE_EQ(mark.angle, PanelLayout::FrameAngle(PanelLayout::ValueFrame(position, 5)));
        int icons = 0;
        for (const PanelIcon& icon : PanelLayout::Get().Icons())
            icons += icon.box.left == mark.labelBox.left && icon.box.top == mark.labelBox.top;
        EXPECT_EQ(icons, 1) << "position " << position;
    }
}

TEST(PanelLayout, FrameAnglesFollowTheKnobsPointer) {
    EXPECT_DOUBLE_EQ(PanelLayout::FrameAngle(0), 30.0);
    EXPECT_NEAR(PanelLayout::FrameAngle(kKnobLastValueFrame), 325.3125, 1e-9);
    EXPECT_EQ(PanelLayout::ValueFrame(0, 255), 0);
    EXPECT_EQ(PanelLayout::ValueFrame(128, 255), 63);
    EXPECT_EQ(PanelLayout::ValueFrame(255, 255), kKnobLastValueFrame);
    // CUTOFF's knob: window (1184, 223) 77 x 77, sprite one pixel left of its centre.
    const ParameterRow* cutoff = FindParameterRow(15);
    ASSERT_NE(cutoff, nullptr);
    const PanelRect w = PanelLayout::ControlWindow(*cutoff);
    EXPECT_EQ(Describe(w), "(1184, 223) 77 x 77");
    EXPECT_EQ(Describe(PanelLayout::KnobImage(*cutoff)), "(1188, 228) 67 x 67");
}
