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
    static constexpr int kFromCommandLine = -1; // no show command, as a command prompt starts it

    // `environment` is added to this process's own for the child.
    explicit TavrenProcess(const std::wstring& exe, int showCommand = SW_SHOWNORMAL,
                           const Environment& environment = {});
    TavrenProcess(const TavrenProcess&) = delete;
    TavrenProcess& operator=(const TavrenProcess&) = delete;
    ~TavrenProcess();

    DWORD Close(); // as the user would; waits for the program to end and answers its exit code

    bool started = false;
    HWND window = nullptr;
    PROCESS_INFORMATION info = {};
};
