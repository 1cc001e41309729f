// The update check's reading of the version document: any bytes from the server, and
// any text inside the build element.
#include "app/VersionDocument.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Require(ReadLatestBuild(bytes.data(), size) == ReadLatestBuild(bytes.data(), size),
            "the same bytes read alike");
    ReadLatestBuild(bytes.data(), std::min(size, kVersionDocumentLimit)); // cut where the update check cuts
    Require(LeadingInteger(bytes.c_str()) ==
                std::clamp<long long>(std::strtoll(bytes.c_str(), nullptr, 10), INT_MIN, INT_MAX),
            "the leading integer as strtoll reads it, clamped to int");
    if (bytes.find_first_of(std::string("<&\0", 3)) == std::string::npos) {
        const std::string document =
            "<tavren><versions><current><build>" + bytes + "</build></current></versions></tavren>";
        Require(ReadLatestBuild(document.data(), document.size()) == LeadingInteger(bytes.c_str()),
                "the build element's text read by the number rules");
    }
    return 0;
}
