#include "app/AboutBox.h"

#include "app/Version.h"
#include "resources/ResourceIds.h"

std::wstring AboutText() {
    return L"Tavren, " TAVREN_WIDEN(TAVREN_VERSION_TEXT) L", " TAVREN_WIDEN(
        __DATE__) L"\r\n"
                  L"2026 Quillmer\r\n"
                  L"\r\n"
                  L"tavren@quillmer.example\r\n"
                  L"" TAVREN_WIDEN(
                      TAVREN_WEB_PAGE) L"\r\n"
                                       L"\r\n"
                                       L"For feedback or suggestions please email me\r\n"
                                       L"\r\n"
                                       L"NOTE: This is a beta version that has not gone through any "
                                       L"significant testing\r\n"
                                       L"Please back up all patches before using this program\r\n";
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, AboutText().c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}
