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

namespace {

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        bytes = ReadAll(file);
        CloseHandle(file);
    }
    return bytes;
}

// The names in a folder, sorted as a listing sorts them.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Files replaced by rename-over, as Windows does it, and a refused replacement that
// leaves the old file whole.
TEST(SyxToolOnWindows, SplitAndJoinReplaceFilesWholeOrNotAtAll) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tavren-syx-" + std::to_wstring(GetTickCount());
    const std::wstring parts = folder + L"\\parts";
    const Result split = RunTool(L"split " + Bank() + L" \"" + parts + L"\"");
    EXPECT_EQ(split.status, 0u) << split.err;
    const std::vector<std::wstring> names = FilesIn(parts);
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names[7], L"0-07 Mini Lead.syx");

    const std::wstring out = folder + L"\\bank.syx";
    std::wstring join = L"join \"" + out + L"\"";
    for (const std::wstring& name : names)
        join += L" \"" + parts + L"\\" + name + L"\"";
    const std::string bank = ReadBytes(WindowsPath(std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx"));
    for (int round = 0; round < 2; ++round) { // the second round replaces the file of the first
        const Result joined = RunTool(join);
        EXPECT_EQ(joined.status, 0u) << joined.err;
        EXPECT_TRUE(ReadBytes(out) == bank) << "round " << round;
    }

    // A read-only file, and a file another program holds open without letting it go.
    const std::wstring joinOne = L"join \"" + out + L"\" \"" + parts + L"\\" + names[0] + L"\"";
    SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_READONLY);
    const Result readOnly = RunTool(joinOne);
    SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileW(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const Result inUse = RunTool(joinOne);
    CloseHandle(held);
    for (const Result& refused : {readOnly, inUse}) {
        EXPECT_EQ(refused.status, 2u);
        EXPECT_EQ(Lines(refused.err).size(), 1u) << refused.err;
        EXPECT_EQ(refused.err.rfind("tavren-syx: cannot write ", 0), 0u) << refused.err;
    }
    EXPECT_TRUE(ReadBytes(out) == bank) << "the file is as it was";
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"bank.syx"}) << "no temporary file is left";
}
