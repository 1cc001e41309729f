#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// tavren.exe started as a user starts it, in a process of its own on the same desktop;
// the constructor waits for its main window. What is left running is ended with it.
class TavrenProcess {
  public:
    using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

    // kFromCommandLine starts it without a show command, as a command prompt does.
    static constexpr int kFromCommandLine = -1;

    // `environment` is added to this process's own for the child.
    explicit TavrenProcess(const std::wstring& exe, int showCommand = SW_SHOWNORMAL,
                           const Environment& environment = {});
    TavrenProcess(const TavrenProcess&) = delete;
    TavrenProcess& operator=(const TavrenProcess&) = delete;
    ~TavrenProcess();

    // Closes the window as the user would and waits for the program to end.
    DWORD Close();

    bool started = false;
    HWND window = nullptr;
    PROCESS_INFORMATION info = {};
};
