// tavren-syx under Wine on the real factory bank: the console program starts and
// answers, and split and join replace files by rename-over, as Windows does it, or
// leave them whole when that is refused.

#include "tools/tavren-syx/SyxTool.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const std::string kBank = "Z:" + std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(SyxToolOnWindows, TheConsoleProgramReadsTheBankAndAnswersWithItsExitStatus) {
    std::wstring commandLine = L"\"Z:" +
                               std::wstring(TAVREN_SYX_EXE, TAVREN_SYX_EXE + strlen(TAVREN_SYX_EXE)) +
                               L"\" show --patch 123 \"" + std::wstring(kBank.begin(), kBank.end()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 30000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(status, DWORD(kExitNoDump)) << "the bank holds no patch 123";
}

TEST(SyxToolOnWindows, SplitAndJoinReplaceFilesWholeOrNotAtAll) {
    std::ostringstream out, err;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = temp + std::string("tavren-syx-") + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RunSyxTool({"split", kBank, folder + "\\parts"}, out, err), kExitOk) << err.str();
    std::vector<std::string> join = {"join", folder + "\\bank.syx"};
    std::istringstream parts(out.str());
    for (std::string part; std::getline(parts, part);)
        join.push_back(part);
    ASSERT_EQ(join.size(), 102u);
    EXPECT_EQ(join[9], folder + "\\parts\\0-07 Mini Lead.syx");
    for (int round = 0; round < 2; ++round) { // the second round replaces the file of the first
        EXPECT_EQ(RunSyxTool(join, out, err), kExitOk) << err.str();
        EXPECT_TRUE(ReadBytes(join[1]) == ReadBytes(kBank)) << "round " << round;
    }
    // A read-only file, and a file another program holds open without letting it go.
    join.resize(3);
    SetFileAttributesA(join[1].c_str(), FILE_ATTRIBUTE_READONLY);
    std::ostringstream readOnly, inUse;
    EXPECT_EQ(RunSyxTool(join, out, readOnly), kExitBadInput);
    SetFileAttributesA(join[1].c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held =
        CreateFileA(join[1].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(RunSyxTool(join, out, inUse), kExitBadInput);
    CloseHandle(held);
    EXPECT_EQ(readOnly.str(), "tavren-syx: cannot write " + join[1] + ": the file is read-only\n");
    EXPECT_EQ(inUse.str().rfind("tavren-syx: cannot write " + join[1] + ": cannot replace the file: ", 0), 0u)
        << inUse.str();
    EXPECT_TRUE(ReadBytes(join[1]) == ReadBytes(kBank)) << "the file is as it was";
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((folder + "\\*.tmp").c_str(), &found), INVALID_HANDLE_VALUE)
        << "a temporary file is left";
}
