#pragma once

#include "library/LibraryEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the library window shows of the library: the rows that pass the search and the
// filters, in the order of the column sorted by. Portable; the window only asks it.
class LibraryView {
  public:
    enum Column { kName = 0, kTags, kPlace, kSeen, kFavourite, kColumns };
    enum class Seen { Anywhere, OnInstrument, InFiles };

    struct Query {
        std::string text; // in name, tags or notes, any case
        bool favourites = false;
        bool duplicates = false;
        int format = 0; // 0: any
        Seen seen = Seen::Anywhere;
        // A slot's history: only these patches, in this order (newest first), unless sorted.
        std::optional<std::vector<int64_t>> history;
    };

    // Takes the library's rows anew, keeping the query and the sort.
    void SetEntries(std::vector<LibraryEntry> entries);
    void SetQuery(Query query);
    // Sorts by `column`; the same column again turns the order round. A slot's history
    // is shown newest first until a column is chosen.
    void SortBy(int column);
    const Query& GetQuery() const { return query_; }

    int Count() const { return static_cast<int>(shown_.size()); }
    const LibraryEntry& Row(int row) const { return entries_[shown_[static_cast<std::size_t>(row)]]; }
    // The text of a cell; the favourite column shows a star.
    std::string Cell(int row, int column) const;
    // The row showing patch `id`, or -1.
    int RowOf(int64_t id) const;
    // The formats present, for the format filter.
    std::vector<int> Formats() const;

  private:
    void Rebuild();
    bool Passes(const LibraryEntry& entry) const;

    std::vector<LibraryEntry> entries_;
    std::vector<std::size_t> shown_; // indices into entries_
    Query query_;
    std::string needle_;  // the search text in lower case
    int sortColumn_ = -1; // -1: the library's order (or the history's)
    bool descending_ = false;
};
