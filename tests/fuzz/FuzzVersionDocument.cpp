// The fuzz entry point over the version document reader of the update check: any
// bytes from the server, and any text inside the build element. libFuzzer calls it in
// the fuzz build; the corpus regression test calls it on every seed file.

#include "app/VersionDocument.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The bytes as the server sends them, whole and cut where the update check cuts.
    const std::optional<int> whole = ReadLatestBuild(bytes.data(), bytes.size());
    Require(whole == ReadLatestBuild(bytes.data(), bytes.size()), "the same bytes read the same");
    ReadLatestBuild(bytes.data(), std::min(bytes.size(), kVersionDocumentLimit));

    // The number rules are the C library's, clamped to the range of int.
    const long long reference = std::strtoll(bytes.c_str(), nullptr, 10);
    Require(LeadingInteger(bytes.c_str()) == std::clamp<long long>(reference, INT_MIN, INT_MAX),
            "leading integer as strtoll reads it, clamped");

    // The bytes as the text of the build element of a well-formed document.
    if (bytes.find_first_of(std::string("<&\0", 3)) == std::string::npos) {
        const std::string document =
            "<tavren><versions><current><build>" + bytes + "</build></current></versions></tavren>";
        Require(ReadLatestBuild(document.data(), document.size()) == LeadingInteger(bytes.c_str()),
                "the build element's text read by the number rules");
    }
    return 0;
}
