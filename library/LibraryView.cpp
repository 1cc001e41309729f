#include "library/LibraryView.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <unordered_map>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Contains(const std::string& text, const std::string& lowerNeedle) {
    const auto found =
        std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return found != text.end();
}

// Case-insensitive order of names, then the id, so that equal names keep one order.
int CompareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

void LibraryView::SetEntries(std::vector<LibraryEntry> entries) {
    entries_ = std::move(entries);
    Rebuild();
}

void LibraryView::SetQuery(Query query) {
    const bool historyChanged = query.history != query_.history;
    query_ = std::move(query);
    needle_ = Lower(query_.text);
    if (historyChanged && query_.history)
        sortColumn_ = -1; // a slot's history reads newest first
    Rebuild();
}

void LibraryView::SortBy(int column) {
    if (column < 0 || column >= kColumns)
        return;
    descending_ = column == sortColumn_ ? !descending_ : column == kFavourite || column == kSeen;
    sortColumn_ = column;
    Rebuild();
}

bool LibraryView::Passes(const LibraryEntry& entry) const {
    if (query_.favourites && !entry.favourite)
        return false;
    if (query_.duplicates && !entry.duplicate)
        return false;
    if (query_.format != 0 && entry.format != query_.format)
        return false;
    if (query_.seen == Seen::OnInstrument && !entry.onInstrument)
        return false;
    if (query_.seen == Seen::InFiles && !entry.inFile)
        return false;
    if (needle_.empty())
        return true;
    return Contains(entry.name, needle_) || Contains(entry.tags, needle_) || Contains(entry.notes, needle_);
}

void LibraryView::Rebuild() {
    shown_.clear();
    if (query_.history) {
        std::unordered_map<int64_t, std::size_t> index;
        for (std::size_t i = 0; i < entries_.size(); ++i)
            index[entries_[i].id] = i;
        for (int64_t id : *query_.history)
            if (auto found = index.find(id); found != index.end() && Passes(entries_[found->second]))
                shown_.push_back(found->second);
    } else {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (Passes(entries_[i]))
                shown_.push_back(i);
    }
    if (sortColumn_ < 0)
        return;
    const auto key = [this](const LibraryEntry& a, const LibraryEntry& b) {
        switch (sortColumn_) {
        case kTags:
            return CompareText(a.tags, b.tags);
        case kPlace:
            return CompareText(a.lastPlace, b.lastPlace);
        case kSeen:
            return a.lastSeen.compare(b.lastSeen);
        case kFavourite:
            return static_cast<int>(a.favourite) - static_cast<int>(b.favourite);
        default:
            return CompareText(a.name, b.name);
        }
    };
    std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t x, std::size_t y) {
        const int order = key(entries_[x], entries_[y]);
        if (order == 0)
            return entries_[x].id < entries_[y].id;
        return descending_ ? order > 0 : order < 0;
    });
}

std::string LibraryView::Cell(int row, int column) const {
    if (row < 0 || row >= Count())
        return std::string();
    const LibraryEntry& entry = Row(row);
    switch (column) {
    case kName:
        return entry.name;
    case kTags:
        return entry.tags;
    case kPlace:
        return entry.lastPlace;
    case kSeen: // "2026-12-07 19:50" of "2026-12-07T19:50:00Z"
        return entry.lastSeen.size() >= 16 ? entry.lastSeen.substr(0, 10) + " " + entry.lastSeen.substr(11, 5)
                                           : entry.lastSeen;
    case kFavourite:
        return entry.favourite ? "*" : "";
    default:
        return std::string();
    }
}

int LibraryView::RowOf(int64_t id) const {
    for (std::size_t row = 0; row < shown_.size(); ++row)
        if (entries_[shown_[row]].id == id)
            return static_cast<int>(row);
    return -1;
}

std::vector<int> LibraryView::Formats() const {
    std::set<int> formats;
    for (const LibraryEntry& entry : entries_)
        formats.insert(entry.format);
    return std::vector<int>(formats.begin(), formats.end());
}
