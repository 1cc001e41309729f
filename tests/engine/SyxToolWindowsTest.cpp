// tavren-syx as the Windows console program it also is: run as a child process under
// Wine on the real factory bank, with its output and exit status read back. Files are
// replaced by rename-over, as Windows does it, or left whole when that is refused.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Result {
    DWORD status = 0xFFFFFFFF;
    std::vector<std::string> out; // lines, without their CR LF
    std::string err;
};

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    for (DWORD got = 0; ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0;)
        text.append(buffer, got);
    return text;
}

// A path with Unix slashes as Windows sees it, quoted (the paths here are plain ASCII).
std::wstring Quoted(const std::string& path) {
    std::wstring result = path.rfind('/', 0) == 0 ? L"\"Z:" : L"\"";
    for (char c : path)
        result += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return result + L"\"";
}

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
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = Quoted(TAVREN_SYX_EXE) + L" " + arguments;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    EXPECT_TRUE(started) << "cannot start " << TAVREN_SYX_EXE;
    Result result;
    std::string out = ReadAll(outRead); // standard error carries a line or two
    result.err = ReadAll(errRead);
    for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.out.push_back(out.substr(start, end - start));
    if (started) {
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(SyxToolOnWindows, ListsSplitsAndJoinsReplacingFilesWholeOrNotAtAll) {
    const std::string fixture = std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx";
    const Result list = RunTool(L"list " + Quoted(fixture));
    EXPECT_EQ(list.status, 0u);
    ASSERT_EQ(list.out.size(), 100u) << list.err;
    EXPECT_EQ(list.out[99], "0\t99\tAlien\t0x6F\t210");
    EXPECT_EQ(RunTool(L"show --patch 123 " + Quoted(fixture)).status, 1u);
    EXPECT_EQ(RunTool(L"list --frobnicate").err,
              "tavren-syx: unknown option '--frobnicate' (try tavren-syx --help)\r\n");

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tavren-syx-" + std::to_string(GetCurrentProcessId());
    const Result split = RunTool(L"split " + Quoted(fixture) + L" " + Quoted(folder + "\\parts"));
    EXPECT_EQ(split.status, 0u) << split.err;
    ASSERT_EQ(split.out.size(), 100u);
    EXPECT_EQ(split.out[7], folder + "\\parts\\0-07 Mini Lead.syx");

    const std::string out = folder + "\\bank.syx";
    std::wstring join = L"join " + Quoted(out);
    for (const std::string& part : split.out)
        join += L" " + Quoted(part);
    const std::string bank = ReadBytes("Z:" + fixture);
    for (int round = 0; round < 2; ++round) { // the second round replaces the file of the first
        EXPECT_EQ(RunTool(join).status, 0u);
        EXPECT_TRUE(ReadBytes(out) == bank) << "round " << round;
    }
    // A read-only file, and a file another program holds open without letting it go.
    const std::wstring joinOne = L"join " + Quoted(out) + L" " + Quoted(split.out[0]);
    SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY);
    const Result readOnly = RunTool(joinOne);
    SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const Result inUse = RunTool(joinOne);
    CloseHandle(held);
    for (const Result& refused : {readOnly, inUse}) {
        EXPECT_EQ(refused.status, 2u);
        EXPECT_EQ(refused.err.rfind("tavren-syx: cannot write " + out + ": ", 0), 0u) << refused.err;
    }
    EXPECT_EQ(readOnly.err, "tavren-syx: cannot write " + out + ": the file is read-only\r\n");
    EXPECT_TRUE(ReadBytes(out) == bank) << "the file is as it was";
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((folder + "\\*.tmp").c_str(), &found), INVALID_HANDLE_VALUE)
        << "a temporary file is left";
}
