// Every file of a committed corpus through its fuzz entry point, so that the ordinary
// test run keeps each past finding and each seed fixed without libFuzzer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(FuzzCorpus, EverySeedPassesTheEntryPoint) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAVREN_FUZZ_CORPUS_DIR)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        EXPECT_EQ(LLVMFuzzerTestOneInput(data.data(), data.size()), 0);
        ++files;
    }
    EXPECT_GE(files, 5) << "the seed corpus is missing";
}
