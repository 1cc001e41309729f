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

// Looks the open dialog over (with gtest expectations) and then presses what `press` names.
enum class Press { OkButton, Escape, Enter };
Press gPress = Press::OkButton;
bool gInspected = false;

void InspectAboutBox(HWND dialog) {
    // The picture, the text and OK, in this order.
    HWND picture = GetWindow(dialog, GW_CHILD);
    ASSERT_NE(picture, nullptr);
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr) << "bitmap 144 is not shown";
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 640);
    // Centred, the picture keeps the control's size instead of taking the bitmap's.
    RECT shown;
    GetClientRect(picture, &shown);
    EXPECT_LT(shown.right, 640);

    HWND text = GetWindow(picture, GW_HWNDNEXT);
    ASSERT_EQ(text, GetDlgItem(dialog, IDC_ABOUT_TEXT));
    std::wstring words(static_cast<size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
    GetWindowTextW(text, words.data(), static_cast<int>(words.size()));
    words.pop_back();
    EXPECT_EQ(words, AboutText());
    EXPECT_EQ(GetWindowLongPtrW(text, GWL_STYLE) & ES_READONLY, LONG_PTR(ES_READONLY));

    HWND ok = GetWindow(text, GW_HWNDNEXT);
    ASSERT_EQ(ok, GetDlgItem(dialog, 2));
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), 2);
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

TEST(AboutBox, ShowsPictureAndTextAndOkEscapeOrEnterEndIt) {
    const struct {
        Press press;
        INT_PTR result;
    } cases[] = {{Press::OkButton, 2}, {Press::Escape, IDCANCEL}, {Press::Enter, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(ShowAboutBoxAndPress(c.press), c.result) << static_cast<int>(c.press);
        EXPECT_TRUE(gInspected);
    }
    EXPECT_EQ(AboutDialogProc(nullptr, WM_COMMAND, 1001, 0), FALSE) << "any other command leaves it open";
}

} // namespace
