// tavren-syx as the Windows console program it also is: run as a child process under
// Wine on the real factory bank, with its output and exit status read back.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
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

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The paths here are plain ASCII.
std::wstring Quoted(const std::string& path) {
    return L"\"" + std::wstring(path.begin(), path.end()) + L"\"";
}

} // namespace

// Files replaced by rename-over, as Windows does it, and a refused replacement that
// leaves the old file whole.
TEST(SyxToolOnWindows, SplitAndJoinReplaceFilesWholeOrNotAtAll) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tavren-syx-" + std::to_string(GetTickCount());
    const Result split = RunTool(L"split " + Bank() + L" " + Quoted(folder + "\\parts"));
    EXPECT_EQ(split.status, 0u) << split.err;
    const std::vector<std::string> parts = Lines(split.out);
    ASSERT_EQ(parts.size(), 100u);
    EXPECT_EQ(parts[7], folder + "\\parts\\0-07 Mini Lead.syx");

    const std::string out = folder + "\\bank.syx";
    std::wstring join = L"join " + Quoted(out);
    for (const std::string& part : parts)
        join += L" " + Quoted(part);
    const std::string bank = ReadBytes("Z:" + std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx");
    for (int round = 0; round < 2; ++round) { // the second round replaces the file of the first
        EXPECT_EQ(RunTool(join).status, 0u);
        EXPECT_TRUE(ReadBytes(out) == bank) << "round " << round;
    }

    // A read-only file, and a file another program holds open without letting it go.
    const std::wstring joinOne = L"join " + Quoted(out) + L" " + Quoted(parts[0]);
    SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY);
    const Result readOnly = RunTool(joinOne);
    SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const Result inUse = RunTool(joinOne);
    CloseHandle(held);
    for (const Result& refused : {readOnly, inUse}) {
        EXPECT_EQ(refused.status, 2u);
        EXPECT_EQ(refused.err.rfind("tavren-syx: cannot write ", 0), 0u) << refused.err;
        EXPECT_EQ(Lines(refused.err).size(), 1u) << refused.err;
    }
    EXPECT_TRUE(ReadBytes(out) == bank) << "the file is as it was";
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((folder + "\\*.tmp").c_str(), &found), INVALID_HANDLE_VALUE)
        << "a temporary file is left";
}
