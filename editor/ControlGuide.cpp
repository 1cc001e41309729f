#include "editor/ControlGuide.h"

#include "editor/PanelLayout.h"

#include <algorithm>
#include <cctype>

namespace {

// Controls whose centres lie closer than this in height share a row.
constexpr int kRowBand = 45;

int CentreX(const ParameterRow& row) {
    const PanelRect w = PanelLayout::ControlWindow(row);
    return w.left + w.width / 2;
}

int CentreY(const ParameterRow& row) {
    const PanelRect w = PanelLayout::ControlWindow(row);
    return w.top + w.height / 2;
}

// The frame whose outline holds the control's centre; -1 for none.
int FrameOf(const ParameterRow& row) {
    const PanelRect w = PanelLayout::ControlWindow(row);
    const PanelRect centre{w.left + w.width / 2, w.top + w.height / 2, 1, 1};
    const auto& frames = PanelLayout::Get().Frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].rect.Contains(centre))
            return static_cast<int>(i);
    }
    return -1;
}

// "OSCILLATOR A" as "Oscillator A"; LFO stays an abbreviation.
std::string AsWords(const std::string& title) {
    std::string words;
    size_t start = 0;
    while (start <= title.size()) {
        size_t end = title.find_first_of(" -", start);
        if (end == std::string::npos)
            end = title.size();
        std::string part = title.substr(start, end - start);
        if (part != "LFO") {
            for (size_t i = 1; i < part.size(); ++i)
                part[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(part[i])));
        }
        words += part;
        if (end < title.size())
            words += title[end];
        start = end + 1;
    }
    return words;
}

std::vector<int> BuildTabOrder() {
    std::vector<const ParameterRow*> rows;
    for (const ParameterRow& row : ParameterTable())
        rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(), [](const ParameterRow* a, const ParameterRow* b) {
        return FrameOf(*a) != FrameOf(*b) ? FrameOf(*a) < FrameOf(*b) : CentreY(*a) < CentreY(*b);
    });
    // Each row of a frame begins with its highest control; the row is then read by x.
    std::vector<int> order;
    for (size_t first = 0; first < rows.size();) {
        size_t end = first + 1;
        while (end < rows.size() && FrameOf(*rows[end]) == FrameOf(*rows[first]) &&
               CentreY(*rows[end]) - CentreY(*rows[first]) < kRowBand)
            ++end;
        std::stable_sort(
            rows.begin() + static_cast<long>(first), rows.begin() + static_cast<long>(end),
            [](const ParameterRow* a, const ParameterRow* b) { return CentreX(*a) < CentreX(*b); });
        for (size_t i = first; i < end; ++i)
            order.push_back(rows[i]->id);
        first = end;
    }
    return order;
}

} // namespace

const std::vector<int>& TabOrder() {
    static const std::vector<int> order = BuildTabOrder();
    return order;
}

std::string SectionName(const ParameterRow& row) {
    const int frame = FrameOf(row);
    return frame < 0 ? std::string() : AsWords(PanelLayout::Get().Frames()[static_cast<size_t>(frame)].title);
}

std::string ShortName(const ParameterRow& row) {
    return row.name[0] != '\0' ? row.name : row.label;
}

std::string SpokenName(const ParameterRow& row) {
    const std::string name = ShortName(row);
    const std::string section = SectionName(row);
    return section.empty() ? name : section + ": " + name;
}
