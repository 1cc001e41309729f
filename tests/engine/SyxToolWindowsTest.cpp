// tavren-syx as the Windows console program it also is: run as a child process under
// Wine on the real factory bank, with its output and exit status read back.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A Unix path of the build as Windows sees it through drive Z:.
std::wstring WindowsPath(const std::string& path) {
    std::wstring result = path.rfind('/', 0) == 0 ? L"Z:" : L"";
    for (char c : path)
        result += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

// Console output ends its lines with CR LF; the tests compare lines.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

struct Result {
    DWORD status = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

Result RunTool(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = L"\"" + WindowsPath(TAVREN_SYX_EXE) + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    Result result;
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        // Standard error carries a line or two; standard output is drained first.
        result.out = ReadAll(outRead);
        result.err = ReadAll(errRead);
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    EXPECT_TRUE(started) << "cannot start " << TAVREN_SYX_EXE;
    return result;
}

std::wstring Bank() {
    return L"\"" + WindowsPath(std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx") + L"\"";
}

} // namespace

TEST(SyxToolOnWindows, ListsTheFactoryBank) {
    const Result r = RunTool(L"list " + Bank());
    EXPECT_EQ(r.status, 0u);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 100u) << r.err;
    EXPECT_EQ(lines[0], "0\t0\tOrgan I\t0x6F\t210");
    EXPECT_EQ(lines[1], "0\t1\tClassical Brass\t0x6F\t210");
    EXPECT_EQ(lines[99], "0\t99\tAlien\t0x6F\t210");
    EXPECT_EQ(r.err, "");
}

TEST(SyxToolOnWindows, ShowsOneDumpAsJson) {
    const Result r = RunTool(L"show --json --patch 39 " + Bank());
    EXPECT_EQ(r.status, 0u);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"program\":39,\"name\":\"Screamin' Memes\""), std::string::npos) << lines[0];
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '{'), 55) << "the dump and its 54 parameters";
}

TEST(SyxToolOnWindows, ExitStatusAndOneLineMessages) {
    const Result missing = RunTool(L"show --patch 123 " + Bank());
    EXPECT_EQ(missing.status, 1u);
    EXPECT_EQ(Lines(missing.err).size(), 1u) << missing.err;
    EXPECT_EQ(missing.out, "");

    for (const wchar_t* arguments :
         {L"", L"list", L"list --frobnicate x.syx", L"list Z:\\no\\such\\file.syx", L"show C:\\windows"}) {
        const Result r = RunTool(arguments);
        EXPECT_EQ(r.status, 2u) << arguments;
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.out, "");
    }
}
