// The version document as the update check reads it: what the server may send, and
// the build number that comes of it.
#include "app/VersionDocument.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

std::optional<int> Read(const std::string& document) {
    return ReadLatestBuild(document.data(), document.size());
}

std::string WithBuild(const std::string& text) {
    return "<tavren><versions><current><build>" + text + "</build></current></versions></tavren>";
}

// ASCII text as UTF-16LE behind its byte order mark.
std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += {c, '\0'};
    return bytes;
}

TEST(VersionDocument, ReadsTheBuildAlongItsPath) {
    const struct {
        const char* what;
        std::string document;
        std::optional<int> build;
    } cases[] = {
        {"plain", WithBuild("12"), 12},
        {"declaration, white space, other content",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tavren>\n  <versions>\n    <notes>x</notes>\n"
         "    <current><version>0.2.0</version><build> 31 </build></current>\n  </versions>\n</tavren>\n",
         31},
        {"the first of two", WithBuild("5").insert(18, "<current><build>7</build></current>"), 7},
        {"CDATA", WithBuild("<![CDATA[44]]>"), 44},
        {"no build element", "<tavren><versions><current/></versions></tavren>", 0},
        {"another root", "<other><versions><current><build>3</build></current></versions></other>", 0},
        {"UTF-16 with its byte order mark", Utf16(WithBuild("6")), 6},
        {"an HTML error page", "<html><body><h1>404 Not Found</h1><hr></body></html>", std::nullopt},
        {"plain text", "Not Found", std::nullopt},
        {"nothing", "", std::nullopt},
        {"cut short", WithBuild("12").substr(0, 50), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.document), c.build) << c.what;
}

// The fuzz target holds LeadingInteger to strtoll clamped to int over any text.
TEST(VersionDocument, TheBuildIsTheLeadingNumberOfItsText) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"12abc", 12},
        {"  \t\n+8", 8},
        {"-3", -3},
        {"abc12", 0},
        {"", 0},
        {"2147483648", INT_MAX},
        {"-99999999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingInteger(c.text), c.value) << c.text;
        EXPECT_EQ(Read(WithBuild(c.text)), c.value) << c.text;
    }
}

} // namespace
