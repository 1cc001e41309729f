#include "tests/support/ProgramProcess.h"

#include "app/UpdateCheck.h"
#include "tests/support/WinTestUtil.h"

#include <fstream>

Program::Program(int showCommand, std::vector<std::pair<std::wstring, std::wstring>> environment) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = showCommand == kFromCommandLine ? 0 : STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    if (GetEnvironmentVariableW(kUpdateUrlVariable, nullptr, 0) == 0)
        environment.emplace_back(kUpdateUrlVariable, L"http://127.0.0.1:1/tavren.xml");
    // What this process had is put back once the program has its own copy.
    std::vector<std::pair<std::wstring, std::wstring>> saved;
    for (const auto& [name, value] : environment) {
        wchar_t old[4096] = L"";
        const DWORD length = GetEnvironmentVariableW(name.c_str(), old, 4096);
        saved.emplace_back(name, length > 0 && length < 4096 ? old : L"");
        SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    std::wstring commandLine = L"tavren.exe";
    started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info) != FALSE;
    for (const auto& [name, value] : saved)
        SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    WaitForInputIdle(info.hProcess, 10000);
    // The program's main window, not one of this process's own: its title names the patch.
    PumpUntil(
        [this] {
            window = nullptr;
            for (HWND w = FindWindowW(L"TEMPLATE", nullptr); w != nullptr && window == nullptr;
                 w = FindWindowExW(nullptr, w, L"TEMPLATE", nullptr)) {
                DWORD process = 0;
                GetWindowThreadProcessId(w, &process);
                window = process == info.dwProcessId ? w : nullptr;
            }
            return IsWindowVisible(window);
        },
        started ? 15000 : 0);
}

Program::~Program() {
    if (started && WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

DWORD Program::Close(WPARAM command) const {
    PostMessageW(window, command != 0 ? WM_COMMAND : WM_CLOSE, command, 0);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 15000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &exitCode);
    return exitCode;
}

std::vector<HWND> Descendants(HWND parent, const wchar_t* name) {
    std::pair<const wchar_t*, std::vector<HWND>> search{name, {}};
    const auto match = [](HWND child, LPARAM param) -> BOOL {
        auto& [wanted, found] = *reinterpret_cast<std::pair<const wchar_t*, std::vector<HWND>>*>(param);
        wchar_t text[64] = L"";
        if (GetClassNameW(child, text, 64) > 0 && _wcsicmp(text, wanted) == 0)
            found.push_back(child);
        return TRUE;
    };
    EnumChildWindows(parent, match, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND Descendant(HWND parent, const wchar_t* name) {
    const std::vector<HWND> found = Descendants(parent, name);
    return found.empty() ? nullptr : found.front();
}

std::string ListRow(HWND list, int index) {
    wchar_t text[128] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0) >= 128)
        return std::string();
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return std::string(text, text + wcslen(text));
}

std::vector<std::string> LogLines(const std::wstring& path) {
    std::ifstream in(std::string(path.begin(), path.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
