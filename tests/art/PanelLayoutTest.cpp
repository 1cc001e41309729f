// The panel artwork is drawn from PanelLayout, and the program places its controls
// from the parameter table. These cases walk both and check that the picture and the
// controls agree: every control inside one frame, clear of its neighbours, of the
// frame outlines and of every legend, mark and icon, and every knob inside its scale.

#include "editor/PanelLayout.h"
#include "engine/ParameterTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kOutline = 3; // the outline is drawn 2 pixels wide on the frame's outer edge
const PanelRect kPanel{0, 0, kPanelWidth, kPanelHeight};

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

int CentreX(const PanelRect& r) {
    return r.left + r.width / 2;
}

} // namespace

TEST(PanelLayout, EveryControlSitsInOneFrameClearOfEverythingElse) {
    const PanelLayout& layout = PanelLayout::Get();
    for (int a = 1; a <= kParameterCount; ++a) {
        const PanelRect w = Window(a);
        EXPECT_TRUE(kPanel.Contains(w)) << "#" << a;
        for (int b = a + 1; b <= kParameterCount; ++b)
            EXPECT_FALSE(w.Intersects(Window(b))) << "#" << a << " overlaps #" << b;
        for (const PanelRect& area : {layout.PatchList(), layout.StatusPanel(), layout.Logo()})
            EXPECT_FALSE(w.Intersects(area)) << "#" << a << " on " << Describe(area);
        for (const PanelRect& screw : layout.Screws())
            EXPECT_FALSE(w.Intersects(screw)) << "#" << a << " on a screw";
        // Well inside one frame and clear of its title, wholly outside the others.
        int frames = 0;
        for (const PanelFrame& frame : layout.Frames()) {
            const bool inside = Inset(frame.rect, kOutline).Contains(w);
            frames += inside;
            EXPECT_TRUE(inside || !w.Intersects(frame.rect))
                << "#" << a << " " << Describe(w) << " crosses " << frame.title;
            EXPECT_FALSE(w.Intersects(frame.titleBox)) << "#" << a << " under the title " << frame.title;
        }
        EXPECT_EQ(frames, 1) << "#" << a;
    }
}

TEST(PanelLayout, FramesTitlesAndScrewsAreApart) {
    const PanelLayout& layout = PanelLayout::Get();
    const auto& frames = layout.Frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        const PanelFrame& f = frames[i];
        // The title sits in a gap of the top edge, centred on the frame.
        EXPECT_TRUE(f.titleBox.top <= f.rect.top && f.titleBox.Bottom() >= f.rect.top + 2) << f.title;
        EXPECT_LE(std::abs(CentreX(f.titleBox) - CentreX(f.rect)), 1) << f.title;
        for (size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(f.rect.Intersects(frames[j].rect)) << f.title << " and " << frames[j].title;
        for (const PanelRect& screw : layout.Screws())
            EXPECT_TRUE(kPanel.Contains(Inset(screw, -2)) && !Inset(screw, -2).Intersects(f.rect)) << f.title;
    }
    EXPECT_EQ(layout.Screws().size(), 4u);
    EXPECT_TRUE(Inset(frames[0].rect, kOutline).Contains(layout.PatchList())) << frames[0].title;
    EXPECT_TRUE(Inset(frames[0].rect, kOutline).Contains(layout.StatusPanel())) << frames[0].title;
}

TEST(PanelLayout, LegendsMarksAndIconsStayClearOfControlsOutlinesAndEachOther) {
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
            } else {
                EXPECT_FALSE(m.box.Intersects(Window(n)))
                    << m.what << " " << Describe(m.box) << " under #" << n;
            }
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
    int knobs = 0;
    for (const KnobDial& dial : layout.Dials()) {
        const ParameterRow& row = *FindParameterRow(dial.id);
        ASSERT_EQ(row.kind, ControlKind::Knob) << dial.id;
        ++knobs;
        // Centred on the sprite as the knob paints it, from the pointer's minimum to its
        // maximum, clockwise, and labelled after the knob's range.
        const PanelRect image = PanelLayout::KnobImage(row);
        EXPECT_DOUBLE_EQ(dial.centreX, image.left + kKnobFrameSize / 2 + 0.5) << row.name;
        EXPECT_DOUBLE_EQ(dial.centreY, image.top + kKnobFrameSize / 2 + 0.5) << row.name;
        EXPECT_GT(dial.tickInner, kKnobFrameSize / 2.0) << "ticks start outside the knob";
        EXPECT_NEAR(dial.marks.front().angle, PanelLayout::FrameAngle(0), 1e-9) << row.name;
        EXPECT_NEAR(dial.marks.back().angle, PanelLayout::FrameAngle(kKnobLastValueFrame), 1e-9) << row.name;
        std::string labels;
        for (size_t i = 0; i < dial.marks.size(); ++i) {
            EXPECT_TRUE(i == 0 || dial.marks[i].angle > dial.marks[i - 1].angle) << row.name;
            labels += dial.marks[i].major ? dial.marks[i].text + " " : "";
        }
        EXPECT_EQ(labels, row.number == 5 || row.number == 8 ? "-5 -4 -3 -2 -1 0 +1 +2 +3 +4 +5 "
                          : row.maxValue == 5                ? "      " // the LFO waveforms, drawn as icons
                                                             : "0 1 2 3 4 5 6 7 8 9 10 ")
            << row.name;
    }
    EXPECT_EQ(knobs, 32);
}
