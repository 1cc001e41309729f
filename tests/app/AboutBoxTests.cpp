// The About box as the Help menu opens it: the dialog resource, its controls, its
// text, and how it closes.
#include "app/AboutBox.h"
#include "app/Version.h"
#include "resources/ResourceIds.h"
#include "tests/support/WinTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start)); // an unterminated last line
    return lines;
}

TEST(AboutText, IsTheNameVersionAndDateThenTheNotesEachEndedByCrLf) {
    const std::wstring text = AboutText();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    const std::vector<std::wstring> lines = Lines(text);
    ASSERT_EQ(lines.size(), 10u);
    // Name, version and build date, separated by commas.
    const std::wstring head = L"Tavren, " TAVREN_WIDEN(TAVREN_VERSION_TEXT) L", ";
    EXPECT_EQ(lines[0].substr(0, head.size()), head);
    EXPECT_GT(lines[0].size(), head.size()); // the date
    EXPECT_EQ(lines[2], L"");
    EXPECT_NE(lines[3].find(L'@'), std::wstring::npos);
    EXPECT_EQ(lines[5], L"");
    EXPECT_EQ(lines[6], L"For feedback or suggestions please email me");
    EXPECT_EQ(lines[7], L"");
    EXPECT_EQ(lines[8], L"NOTE: This is a beta version that has not gone through any significant testing");
    EXPECT_EQ(lines[9], L"Please back up all patches before using this program");
}

// A control's rectangle in dialog units, mapped to pixels as the dialog maps it:
// position and size each on their own.
RECT DialogRect(HWND dialog, int x, int y, int width, int height) {
    RECT units = {x, y, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

// Looks the open dialog over (with gtest expectations) and then presses what `press` names.
enum class Press { OkButton, Escape, Enter };
Press gPress = Press::OkButton;
bool gInspected = false;

void InspectAboutBox(HWND dialog) {
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"About Tavren");
    const LONG_PTR style = StyleOf(dialog);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              LONG_PTR(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    RECT client;
    GetClientRect(dialog, &client);
    ExpectRect(client, DialogRect(dialog, 0, 0, 298, 248), "dialog");

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    // The controls in their order: picture, text, OK.
    HWND picture = GetWindow(dialog, GW_CHILD);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ClassOf(picture), L"Static");
    EXPECT_EQ(static_cast<int>(GetWindowLongPtrW(picture, GWLP_ID)) & 0xFFFF, 0xFFFF); // no identifier
    EXPECT_EQ(StyleOf(picture) & (SS_TYPEMASK | SS_CENTERIMAGE), LONG_PTR(SS_BITMAP | SS_CENTERIMAGE));
    // Centred, the picture keeps the control's size instead of taking the bitmap's.
    ExpectRect(ChildRect(dialog, picture), DialogRect(dialog, 7, 7, 284, 115), "picture");
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr) << "bitmap 144 is not shown";
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 640);
    EXPECT_EQ(info.bmHeight, 272);

    HWND text = GetWindow(picture, GW_HWNDNEXT);
    ASSERT_EQ(text, GetDlgItem(dialog, IDC_ABOUT_TEXT));
    EXPECT_EQ(ClassOf(text), L"Edit");
    EXPECT_EQ(StyleOf(text) & (ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP),
              LONG_PTR(ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP));
    ExpectRect(ChildRect(dialog, text), DialogRect(dialog, 7, 125, 284, 98), "text");
    std::wstring shown(static_cast<size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
    GetWindowTextW(text, shown.data(), static_cast<int>(shown.size()));
    shown.pop_back();
    EXPECT_EQ(shown, AboutText());

    HWND ok = GetWindow(text, GW_HWNDNEXT);
    ASSERT_EQ(ok, GetDlgItem(dialog, 2));
    EXPECT_EQ(GetWindow(ok, GW_HWNDNEXT), nullptr);
    wchar_t label[16] = L"";
    GetWindowTextW(ok, label, 16);
    EXPECT_STREQ(label, L"OK");
    EXPECT_EQ(StyleOf(ok) & (BS_TYPEMASK | WS_TABSTOP | WS_GROUP),
              LONG_PTR(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP));
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), 2);
    ExpectRect(ChildRect(dialog, ok), DialogRect(dialog, 241, 227, 50, 14), "OK");
}

void CALLBACK FindAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"About Tavren");
    if (dialog == nullptr)
        return;
    KillTimer(nullptr, timer);
    InspectAboutBox(dialog);
    gInspected = true;
    switch (gPress) {
    case Press::OkButton:
        SendMessageW(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
        break;
    case Press::Escape:
    case Press::Enter: {
        // The dialog manager turns these keys into commands as it reads them.
        WPARAM key = gPress == Press::Escape ? VK_ESCAPE : VK_RETURN;
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
        break;
    }
    }
}

INT_PTR ShowAboutBoxAndPress(Press press) {
    gPress = press;
    gInspected = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, FindAboutBox);
    // Owned by a window as the Help menu's About opens it.
    TestWindow owner(400, 300);
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner.hwnd(),
                                     AboutDialogProc, 0);
    KillTimer(nullptr, timer);
    return result;
}

TEST(AboutBox, ShowsPictureTextAndOkAsLaidOutAndOkEndsItWith2) {
    EXPECT_EQ(ShowAboutBoxAndPress(Press::OkButton), 2);
    EXPECT_TRUE(gInspected);
}

TEST(AboutBox, EscapeAndEnterEndItToo) {
    EXPECT_EQ(ShowAboutBoxAndPress(Press::Escape), IDCANCEL);
    EXPECT_TRUE(gInspected);
    EXPECT_EQ(ShowAboutBoxAndPress(Press::Enter), 2); // the default button
    EXPECT_TRUE(gInspected);
}

TEST(AboutBox, AnyOtherCommandLeavesItOpen) {
    EXPECT_EQ(AboutDialogProc(nullptr, WM_COMMAND, 1001, 0), FALSE);
    EXPECT_EQ(AboutDialogProc(nullptr, WM_COMMAND, 105, 0), FALSE);
    EXPECT_EQ(AboutDialogProc(nullptr, WM_PAINT, 0, 0), FALSE);
}

} // namespace
