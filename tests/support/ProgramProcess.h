#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// tavren.exe started as a user starts it, from the working directory, with `environment`
// added to this process's own; unless a test serves the version document, the update
// check goes where nothing listens. The constructor waits for the main window; what is
// left running ends with the object.
class Program {
  public:
    static constexpr int kFromCommandLine = -1; // no show command, as a command prompt starts it
    explicit Program(int showCommand = SW_SHOWNORMAL,
                     std::vector<std::pair<std::wstring, std::wstring>> environment = {});
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // Closes the window as the user would, or with the menu command `command`, and
    // answers the exit code (STILL_ACTIVE if the program goes on).
    DWORD Close(WPARAM command = 0) const;

    bool started = false;
    HWND window = nullptr;
    PROCESS_INFORMATION info = {};
};

// The first descendant of the class `name`, of a window of this process or another.
HWND Descendant(HWND parent, const wchar_t* name);

// Every descendant of the class `name`, in the order the system enumerates them.
std::vector<HWND> Descendants(HWND parent, const wchar_t* name);

// The text of row `index` of a list box of this process or another.
std::string ListRow(HWND list, int index);

// The lines of a text file, such as the log of what a simulated instrument received.
std::vector<std::string> LogLines(const std::wstring& path);
