#pragma once

#include <windows.h>

#include <string>

// The text of the About box: lines separated and ended by CR LF.
std::wstring AboutText();

// Dialog procedure of the About box (dialog resource IDD_ABOUTBOX).
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
