#pragma once

#include "library/LibraryView.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class App;

// The library's window, beside the main window and not modal: a search box that
// filters as you type, filters (favourites, duplicates, format, where seen, a slot's
// history), a list of the patches sortable by column, and the actions on the selected
// rows. What it shows is a LibraryView; the list asks it for each visible cell.
class LibraryWindow {
  public:
    explicit LibraryWindow(App& app);
    ~LibraryWindow();
    LibraryWindow(const LibraryWindow&) = delete;
    LibraryWindow& operator=(const LibraryWindow&) = delete;

    // Shows the window (made on first use) with the library read anew, the search box focused.
    void Open();
    // The library changed: it is read anew once the program is idle again.
    void LibraryChanged();
    // Reads the library and shows it again, keeping the selection.
    void Reload();

    HWND hwnd() const { return window_; }
    HWND List() const { return list_; }
    const LibraryView& View() const { return view_; }
    // The ids of the selected rows, in row order.
    std::vector<int64_t> Selected() const;

    // The actions on the selection, as the buttons and keys give them.
    void ShowOnPanel();
    void Audition();
    void Store();
    void Export();
    void ToggleFavourite();
    void EditTagsAndNotes();
    void Remove();

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void Layout();
    void ApplyQuery();
    void Refill(const std::vector<int64_t>& select);
    LRESULT OnNotify(NMHDR* header);
    void FillFormats();

    App& app_;
    HWND window_ = nullptr;
    HWND search_ = nullptr, show_ = nullptr, format_ = nullptr, slot_ = nullptr, list_ = nullptr,
         count_ = nullptr;
    std::vector<HWND> buttons_;
    HFONT font_ = nullptr;
    LibraryView view_;
    std::vector<int> formats_; // of the format filter's items after "Any format"
    std::wstring cell_;        // the text the list asked for last
    bool changePending_ = false;
    bool reloading_ = false;
    int totalPatches_ = 0;
};
