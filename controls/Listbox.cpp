#include "controls/Listbox.h"

#include "app/IHost.h"
#include "controls/CustomControl.h"
#include "controls/GdiplusImages.h"
#include "engine/Engine.h"
#include "engine/PatchBank.h"
#include "engine/PatchRows.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

#include <algorithm>

namespace {

std::wstring Widen(const std::string& text) {
    std::wstring wide;
    for (char c : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

WNDPROC gListProc = nullptr; // the system list's own procedure

constexpr DWORD kTypingPauseMs = 1000; // a longer pause starts a new search

// Enter and typed letters, which the system list would take for itself.
LRESULT CALLBACK ListKeysProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* list =
        static_cast<Listbox*>(reinterpret_cast<ListControl*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    if (message == WM_KEYDOWN)
        CustomControl::ShowFocusRings(true);
    else if (message == WM_LBUTTONDOWN)
        CustomControl::ShowFocusRings(false);
    if (list && message == WM_KEYDOWN && wParam == VK_RETURN) {
        list->OnNotification(LBN_DBLCLK);
        return 0;
    }
    if (list && message == WM_CHAR && wParam >= L' ' && wParam != 0x7F) {
        list->TypeAhead(static_cast<wchar_t>(wParam));
        return 0;
    }
    return CallWindowProcW(gListProc, window, message, wParam, lParam);
}

} // namespace

Listbox::Listbox(IHost* listHost, Engine* patchEngine, HWND parent, HINSTANCE module)
    : instance(module), host(listHost),
      engine(patchEngine), rect{kNaturalX, kNaturalY, kNaturalX + kNaturalWidth, kNaturalY + kNaturalHeight},
      stripResource(IDB_GLYPHS) {
    if (std::unique_ptr<Gdiplus::Bitmap> strip = LoadResourceBitmap(instance, stripResource)) {
        naturalStripWidth = static_cast<int>(strip->GetWidth());
        naturalStripHeight = static_cast<int>(strip->GetHeight());
    }
    stripWidth = naturalStripWidth;
    stripHeight = naturalStripHeight;
    cellWidth = naturalStripWidth / kCellCount;
    listWindow = CreateWindowExW(0, L"LISTBOX", L"",
                                 WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                     LBS_NOINTEGRALHEIGHT,
                                 rect.left, rect.top, kNaturalWidth, kNaturalHeight, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, this);
    if (listWindow) {
        SetWindowLongPtrW(listWindow, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(static_cast<ListControl*>(this)));
        gListProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListKeysProc)));
    }
}

Listbox::~Listbox() {
    if (listWindow && IsWindow(listWindow))
        SetWindowLongPtrW(listWindow, GWLP_USERDATA, 0);
}

void Listbox::AddRow(const std::string& text) {
    SendMessageW(listWindow, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void Listbox::ReplaceRow(int index, const std::string& text) {
    // While held, drawing is off already and the whole list is drawn on release.
    if (!held)
        SendMessageW(listWindow, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listWindow, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(listWindow, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(Widen(text).c_str()));
    if (!held) {
        SendMessageW(listWindow, WM_SETREDRAW, TRUE, 0);
        // The row was rewritten while drawing was off: it is drawn anew with its new name.
        RECT row;
        if (SendMessageW(listWindow, LB_GETITEMRECT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&row)) != LB_ERR)
            InvalidateRect(listWindow, &row, FALSE);
    }
    SelectRow(index);
}

void Listbox::SelectRow(int index) {
    if (held) {
        selectionWaits = true;
        waitingSelection = index;
        return;
    }
    SendMessageW(listWindow, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Listbox::ChooseRow(int index) {
    SelectRow(index);
    OnNotification(LBN_SELCHANGE);
}

void Listbox::TypeAhead(wchar_t typedCharacter) {
    const DWORD now = GetTickCount();
    if (now - lastTyped > kTypingPauseMs)
        typed.clear();
    lastTyped = now;
    // A first letter looks past the selected row; more letters go on from it.
    const bool first = typed.empty();
    typed.push_back(typedCharacter < 0x80 ? static_cast<char>(typedCharacter) : '?');
    const int current = static_cast<int>(SendMessageW(listWindow, LB_GETCURSEL, 0, 0));
    const int rows = static_cast<int>(SendMessageW(listWindow, LB_GETCOUNT, 0, 0));
    const int from = first ? current + 1 : (current < 0 ? 0 : current);
    const int row = FindRowByName(host->GetPatchBank(), rows, from, typed);
    if (row >= 0 && row != current)
        ChooseRow(row);
}

void Listbox::Clear() {
    SendMessageW(listWindow, LB_RESETCONTENT, 0, 0);
    if (held) {
        selectionWaits = true; // emptied, the list has no selection
        waitingSelection = -1;
    }
}

void Listbox::HoldDrawing(bool hold) {
    if (hold == held || !listWindow)
        return;
    held = hold;
    if (hold) {
        selectionWaits = false;
        // A list hidden for a window drag stays hidden: switching drawing back on would show it.
        redrawHeld = (GetWindowLongW(listWindow, GWL_STYLE) & WS_VISIBLE) != 0;
        if (redrawHeld)
            SendMessageW(listWindow, WM_SETREDRAW, FALSE, 0);
        return;
    }
    if (redrawHeld)
        SendMessageW(listWindow, WM_SETREDRAW, TRUE, 0);
    if (selectionWaits)
        SendMessageW(listWindow, LB_SETCURSEL, static_cast<WPARAM>(waitingSelection), 0);
    selectionWaits = false;
    InvalidateRect(listWindow, nullptr, TRUE);
}

void Listbox::SetScale(double factor) {
    currentWidth = static_cast<int>(kNaturalWidth * factor);
    currentHeight = static_cast<int>(kNaturalHeight * factor);
    const int naturalCell = naturalStripWidth / kCellCount;
    cellWidth = static_cast<int>(naturalCell * factor * 0.8);
    stripWidth = kCellCount * cellWidth;
    const double ratio = naturalStripWidth > 0 ? static_cast<double>(stripWidth) / naturalStripWidth : 0.0;
    stripHeight = static_cast<int>(naturalStripHeight * ratio);
    const int x = static_cast<int>(kNaturalX * factor);
    const int y = static_cast<int>(kNaturalY * factor);
    rect = RECT{x, y, x + currentWidth, y + currentHeight};
    SetWindowPos(listWindow, nullptr, x, y, currentWidth, currentHeight, kMoveWithoutDrawing);
    rowHeight = stripHeight + 4;
    FollowDpi();
}

void Listbox::FollowDpi() {
    const int height = MulDiv(rowHeight, host ? host->GetDpi() : 96, 96);
    SendMessageW(listWindow, LB_SETITEMHEIGHT, 0, MAKELPARAM(std::min(height, 255), 0));
}

void Listbox::DrawItem(const DRAWITEMSTRUCT& item) {
    const PatchBank* bank = host ? host->GetPatchBank() : nullptr;
    const int row = static_cast<int>(item.itemID);
    const std::wstring text = Widen(PatchRowLabel(row, bank));
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, (item.itemState & ODS_SELECTED) ? RGB(255, 255, 255) : RGB(255, 0, 0));
    const int height = area.bottom - area.top - 2;
    // The largest of the host's fonts that the row holds, at the window's dots per inch.
    const int dpi = host->GetDpi();
    HFONT font = height > MulDiv(24, dpi, 96)   ? host->GetLargeFont()
                 : height > MulDiv(16, dpi, 96) ? host->GetMediumFont()
                                                : host->GetSmallFont();
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, previous);
    if ((item.itemState & ODS_FOCUS) && CustomControl::FocusRingsShown()) {
        // The keyboard's place in the list, in the ring the panel's controls show.
        HBRUSH ring = CreateSolidBrush(kFocusRingColour);
        FrameRect(dc, &area, ring);
        DeleteObject(ring);
    }
}

LRESULT Listbox::OnNotification(int code) {
    switch (code) {
    case LBN_SELCHANGE: {
        // With no row selected the list answers LB_ERR (-1): there is no patch to ask for.
        const int row = static_cast<int>(SendMessageW(listWindow, LB_GETCURSEL, 0, 0));
        PatchBank* bank = host->GetPatchBank();
        if (bank && bank->ShowingFile()) {
            bank->ShowFileRow(row); // a patch of a file is only shown, never asked for
            return 0;
        }
        if (row < 0 || row >= PatchBank::kPrograms || !bank || !PatchBank::IsBank(bank->bank))
            return 0;
        const PatchSlot& slot = bank->slots[static_cast<size_t>(bank->bank * PatchBank::kPrograms + row)];
        if (slot.loaded) {
            bank->program = row;
            if (engine)
                engine->LoadPatchDump(slot.dump);
            SelectRow(row);
        } else {
            host->SelectPatch(bank->bank, row);
        }
        return 0;
    }
    case LBN_DBLCLK: {
        const int row = static_cast<int>(SendMessageW(listWindow, LB_GETCURSEL, 0, 0));
        PatchBank* bank = host->GetPatchBank();
        if (row >= 0 && row < PatchBank::kPrograms && bank && PatchBank::IsBank(bank->bank))
            host->SendProgramChange(bank->bank, row);
        return 1;
    }
    case LBN_SETFOCUS:
    case LBN_KILLFOCUS:
        return 0;
    default:
        return 1;
    }
}
