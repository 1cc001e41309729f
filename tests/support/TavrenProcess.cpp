#include "tests/support/TavrenProcess.h"

#include "app/UpdateCheck.h"
#include "tests/support/WinTestUtil.h"

TavrenProcess::TavrenProcess(const std::wstring& exe, int showCommand, const Environment& environment) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = showCommand == kFromCommandLine ? 0 : STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    // The child inherits the environment as it is when it starts. Unless a test serves the
    // version document itself, the update check goes where nothing listens.
    Environment all = environment;
    if (GetEnvironmentVariableW(kUpdateUrlVariable, nullptr, 0) == 0)
        all.emplace_back(kUpdateUrlVariable, L"http://127.0.0.1:1/tavren.xml");
    for (const auto& [name, value] : all)
        SetEnvironmentVariableW(name.c_str(), value.c_str());
    std::wstring commandLine = exe;
    started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info) != FALSE;
    for (const auto& variable : all)
        SetEnvironmentVariableW(variable.first.c_str(), nullptr);
    if (started) {
        WaitForInputIdle(info.hProcess, 10000);
        PumpUntil([this] { return IsWindowVisible(window = FindWindowW(L"TEMPLATE", L"Tavren")); }, 15000);
    }
}

DWORD TavrenProcess::Close() {
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 15000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &exitCode);
    return exitCode;
}

TavrenProcess::~TavrenProcess() {
    if (started) {
        if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}
