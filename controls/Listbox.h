#pragma once

#include "controls/ListControl.h"

#include <string>

class Engine;
class IHost;

// The patch list: an owner-drawn system list box on the front panel with the 100 rows
// of the current bank. Selecting a row shows a cached patch or asks the host for it;
// a double click switches the instrument to the patch. With the focus, Up and Down
// select as a click does, Enter does what a double click does, and typing letters
// selects the next patch whose name starts with them.
class Listbox : public ListControl {
  public:
    // Creates the list window at its natural place on `parent` with identifier 1002;
    // `patchEngine` shows cached patches. The window keeps this object in its user data.
    Listbox(IHost* listHost, Engine* patchEngine, HWND parent, HINSTANCE module);
    Listbox(const Listbox&) = delete;
    Listbox& operator=(const Listbox&) = delete;
    ~Listbox() override;

    void AddRow(const std::string& text);                // appends a row
    void ReplaceRow(int index, const std::string& text); // rewrites a row and selects it
    void SelectRow(int index);                           // LB_SETCURSEL; -1 selects none
    void ChooseRow(int index);                           // selects the row as a click does
    void TypeAhead(wchar_t typedCharacter);              // a letter typed in the list
    void Clear();                                        // LB_RESETCONTENT
    // While held (a bank load), the list is neither drawn nor scrolled: rows change and
    // the selection is noted, and releasing it selects the last row chosen and draws
    // the list once.
    void HoldDrawing(bool hold);
    void SetScale(double factor); // place, size and row height at factor
    void FollowDpi();             // rows as much taller as the host's fonts are at its dots per inch
    void DrawItem(const DRAWITEMSTRUCT& item) override; // row number, then a loaded patch's name
    LRESULT OnNotification(int code) override;          // LBN_ codes

    static constexpr int kNaturalX = 50;
    static constexpr int kNaturalY = 115;
    static constexpr int kNaturalWidth = 200;
    static constexpr int kNaturalHeight = 570;
    static constexpr int kCellCount = 38;

    HWND listWindow = nullptr;
    HINSTANCE instance;
    IHost* host;    // not owned
    Engine* engine; // not owned; shows a cached patch when its row is selected
    RECT rect;      // in the parent's client coordinates
    int stripResource;
    // The glyph strip's size at the current scale. The strip itself is never drawn:
    // only its height sets the row height, so it is measured, not rendered.
    int stripWidth = 0;
    int stripHeight = 0;
    int cellWidth = 0;
    int controlId = kListControlId;
    int currentWidth = kNaturalWidth;
    int currentHeight = kNaturalHeight;
    int rowHeight = 35; // at 96 DPI: the glyph strip's height at the current scale and 4

  private:
    bool held = false;
    bool redrawHeld = false;     // drawing was switched off for the hold
    bool selectionWaits = false; // a row chosen while held, selected on release
    int waitingSelection = -1;
    std::string typed; // the letters typed, each within a second of the one before
    DWORD lastTyped = 0;
    int naturalStripWidth = 0;
    int naturalStripHeight = 0;
};
