// The version document as the update check reads it: what the server may send, and the
// build number that comes of it. The fuzz target holds the number to strtoll's reading.
#include "app/VersionDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::string WithBuild(const std::string& text) {
    return "<tavren><versions><current><build>" + text + "</build></current></versions></tavren>";
}

TEST(VersionDocument, ReadsTheBuildAlongItsPath) {
    std::string utf16 = "\xFF\xFE"; // ASCII text as UTF-16LE behind its byte order mark
    for (char c : WithBuild("6"))
        utf16 += {c, '\0'};
    const struct {
        const char* what;
        std::string document;
        std::optional<int> build;
    } cases[] = {
        {"declaration, white space, other content",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tavren>\n  <versions>\n    <notes>x</notes>\n"
         "    <current><version>0.2.0</version><build> 31 </build></current>\n  </versions>\n</tavren>\n",
         31},
        {"the first of two", WithBuild("5").insert(18, "<current><build>7</build></current>"), 7},
        {"CDATA", WithBuild("<![CDATA[44]]>"), 44},
        {"no build element", "<tavren><versions><current/></versions></tavren>", 0},
        {"another root", "<other><versions><current><build>3</build></current></versions></other>", 0},
        {"UTF-16 with its byte order mark", utf16, 6},
        {"an HTML error page", "<html><body><h1>404 Not Found</h1><hr></body></html>", std::nullopt},
        {"plain text", "Not Found", std::nullopt},
        {"nothing", "", std::nullopt},
        {"cut short", WithBuild("12").substr(0, 50), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadLatestBuild(c.document.data(), c.document.size()), c.build) << c.what;
}

} // namespace
