// The artwork is drawn from PanelLayout and the controls placed from the parameter
// table: every control, legend, dial mark and icon sits inside one frame, clear of the
// rest.

#include "editor/PanelLayout.h"
#include "editor/ControlGuide.h"
#include "engine/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

std::ostream& operator<<(std::ostream& out, const PanelRect& r) {
    return out << "(" << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
}

namespace {

PanelRect Inset(const PanelRect& r, int by) {
    return {r.left + by, r.top + by, r.width - 2 * by, r.height - 2 * by};
}

// Something drawn on the panel, or a control's window over it.
struct Box {
    std::string what;
    PanelRect box;
    int knobId;   // a knob's own ID, or the ID of the knob whose scale the mark belongs to
    bool control; // a control's window
    bool inFrame; // belongs inside a frame, clear of its outline (2 pixels on the outer edge)
};

std::vector<Box> Boxes() {
    const PanelLayout& layout = PanelLayout::Get();
    std::vector<Box> boxes;
    for (const ParameterRow& row : ParameterTable())
        boxes.push_back({"ID " + std::to_string(row.id), PanelLayout::ControlWindow(row),
                         row.kind == ControlKind::Knob ? row.id : 0, true, true});
    for (const PanelLegend& legend : layout.Legends())
        boxes.push_back({"legend " + legend.text, legend.box, 0, false, true});
    for (const KnobDial& dial : layout.Dials())
        for (const DialMark& mark : dial.marks)
            if (mark.major)
                boxes.push_back({"dial mark '" + mark.text + "'", mark.labelBox, dial.id, false, true});
    for (const PanelIcon& icon : layout.Icons()) { // the LFO waveforms are the marks of their knob's scale
        if (std::none_of(boxes.begin(), boxes.end(), [&icon](const Box& b) {
                return b.knobId != 0 && b.box.left == icon.box.left && b.box.top == icon.box.top;
            }))
            boxes.push_back({"wave icon", icon.box, 0, false, true});
    }
    boxes.push_back({"patch list", layout.PatchList(), 0, false, true});
    boxes.push_back({"status panel", layout.StatusPanel(), 0, false, true});
    boxes.push_back({"logo", layout.Logo(), 0, false, false});
    for (const PanelRect& screw : layout.Screws())
        boxes.push_back({"screw", Inset(screw, -2), 0, false, false});
    for (const PanelFrame& frame : layout.Frames())
        boxes.push_back({"title " + frame.title, frame.titleBox, 0, false, false});
    return boxes;
}

} // namespace

TEST(PanelLayout, EverythingSitsInOneFrameAndClearOfEverythingElse) {
    const auto& frames = PanelLayout::Get().Frames();
    for (size_t i = 0; i < frames.size(); ++i)
        for (size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(frames[i].rect.Intersects(frames[j].rect))
                << frames[i].title << " and " << frames[j].title;
    const std::vector<Box> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& a = boxes[i];
        EXPECT_TRUE((PanelRect{0, 0, kPanelWidth, kPanelHeight}.Contains(a.box))) << a.what << " " << a.box;
        int inside = 0;
        for (const PanelFrame& frame : frames) {
            inside += Inset(frame.rect, 3).Contains(a.box);
            if (a.what != "title " + frame.title)
                EXPECT_TRUE(Inset(frame.rect, 3).Contains(a.box) || !a.box.Intersects(frame.rect))
                    << a.what << " " << a.box << " crosses the outline of " << frame.title;
        }
        EXPECT_EQ(inside, a.inFrame ? 1 : 0) << a.what << " " << a.box;
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const Box& b = boxes[j];
            if (a.control && a.knobId != 0 && a.knobId == b.knobId) {
                // A knob's own marks may reach into the corners of its square window,
                // which the round knob leaves to the panel: they must clear the knob itself.
                const PanelRect image = PanelLayout::KnobImage(*FindParameterRow(a.knobId));
                const double cx = image.left + image.width / 2.0, cy = image.top + image.height / 2.0;
                const double nx = std::clamp(cx, double(b.box.left), double(b.box.Right()));
                const double ny = std::clamp(cy, double(b.box.top), double(b.box.Bottom()));
                EXPECT_GT(std::hypot(nx - cx, ny - cy), kKnobFrameSize / 2.0) << b.what << " on " << a.what;
            } else {
                EXPECT_FALSE(a.box.Intersects(b.box))
                    << a.what << " " << a.box << " and " << b.what << " " << b.box;
            }
        }
    }
}

TEST(ControlGuide, TabReadsThePanelFrameByFrameAndEveryControlHasASpokenName) {
    const std::vector<int>& order = TabOrder();
    ASSERT_EQ(order.size(), ParameterTable().size());
    EXPECT_EQ(std::set<int>(order.begin(), order.end()).size(), order.size());
    // The bank buttons, then OSCILLATOR A from left to right, switches between the knobs.
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 11),
              (std::vector<int>{1200, 1201, 1202, 1203, 8, 54, 48, 49, 50, 10, 9}));
    EXPECT_EQ(order.back(), 41) << "LFO AT closes the last row of PERFORMANCE";
    const std::pair<int, const char*> names[] = {{15, "Filter: CUTOFF"},
                                                 {54, "Oscillator A: OSC A SYNC"},
                                                 {1201, "Patch: BANK 2"},
                                                 {29, "LFO-Mod: LFO-MOD INIT AMT"},
                                                 {26, "Poly-Mod: P-MOD SRC FLT ENV"},
                                                 {68, "Freq Adj: OSC A FREQ ADJ"}};
    for (const auto& [id, name] : names)
        EXPECT_EQ(SpokenName(*FindParameterRow(id)), name);
    for (const ParameterRow& row : ParameterTable())
        EXPECT_FALSE(SectionName(row).empty()) << row.label;
}

TEST(ControlGuide, SwitchPositionsAreNamedByTheirLegendsBottomFirst) {
    using Names = std::vector<std::string>;
    const std::pair<int, Names> cases[] = {
        {59, {"AB", "A", "B", "VCA"}},
        {68, {"FREE", "SEMITONE", "OCTAVE", "FIXED"}},
        {60, {"OFF", "1/2", "FULL"}},
        {54, {"OFF", "SYNC"}},
        {65, {"OFF", "UNISON TRACK"}},
        {74, {}}, // only its name under it: on and off
        {48, {}},
    };
    for (const auto& [id, names] : cases)
        EXPECT_EQ(PanelLayout::Get().PositionNames(id), names) << id;
}
