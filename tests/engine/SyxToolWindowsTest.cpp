// tavren-syx under Wine on the real factory bank: the console program starts and
// answers, and join replaces a file by rename-over, as Windows does it, or leaves it
// whole when that is refused.

#include "tools/tavren-syx/SyxTool.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <process.h>

#include <fstream>
#include <sstream>

namespace {

const std::string kBank = "Z:" + std::string(TAVREN_DATA_DIR) + "/factory-bank-0.syx";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(SyxToolOnWindows, TheConsoleProgramReadsTheBankAndAnswersWithItsExitStatus) {
    const std::string exe = "Z:" + std::string(TAVREN_SYX_EXE); // neither path holds a space
    EXPECT_EQ(_spawnl(_P_WAIT, exe.c_str(), exe.c_str(), "show", "--patch", "123", kBank.c_str(), nullptr),
              kExitNoDump)
        << "the bank holds no patch 123";
}

TEST(SyxToolOnWindows, JoinReplacesAFileWholeOrNotAtAll) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = temp + std::string("tavren-syx-") + std::to_string(GetCurrentProcessId());
    std::ofstream(file + "-one.syx", std::ios::binary) << ReadBytes(kBank).substr(0, 210);
    std::ostringstream out, readOnly, inUse;
    for (int round = 0; round < 2; ++round) { // the second round replaces the file of the first
        EXPECT_EQ(RunSyxTool({"join", file + ".syx", kBank}, out, out), kExitOk) << out.str();
        EXPECT_TRUE(ReadBytes(file + ".syx") == ReadBytes(kBank)) << "round " << round;
    }
    // A read-only file, and a file another program holds open without letting it go.
    const std::vector<std::string> joinOne = {"join", file + ".syx", file + "-one.syx"};
    SetFileAttributesA((file + ".syx").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RunSyxTool(joinOne, out, readOnly), kExitBadInput);
    SetFileAttributesA((file + ".syx").c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA((file + ".syx").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_EQ(RunSyxTool(joinOne, out, inUse), kExitBadInput);
    CloseHandle(held);
    EXPECT_EQ(readOnly.str(), "tavren-syx: cannot write " + file + ".syx: the file is read-only\n");
    EXPECT_EQ(inUse.str().rfind("tavren-syx: cannot write " + file + ".syx: cannot replace the file: ", 0),
              0u)
        << inUse.str();
    EXPECT_TRUE(ReadBytes(file + ".syx") == ReadBytes(kBank)) << "the file is as it was";
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((file + "*.tmp").c_str(), &found), INVALID_HANDLE_VALUE)
        << "a temporary file is left";
}
