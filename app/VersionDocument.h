#pragma once

// The version document that the maker's web server publishes for the update check:
//   <tavren><versions><current><build>12</build></current></versions></tavren>
// The update check downloads it; this reads it. No Windows API here.

#include <cstddef>
#include <optional>

// The most of the document that the update check reads; anything longer is cut there.
constexpr std::size_t kVersionDocumentLimit = 1020;

// The element whose text is the latest build number.
constexpr char kLatestBuildPath[] = "/tavren/versions/current/build";

// The latest build named by the document's bytes: the leading integer of the build
// element's text, 0 when the element or its number is missing. Nothing when the bytes
// are not well-formed XML (an HTML error page, a document cut short).
std::optional<int> ReadLatestBuild(const char* data, std::size_t size);

// atoi's reading of a number: leading white space, an optional sign, the digits up to
// the first other character; 0 when there are none. Unlike atoi it never overflows: a
// number beyond the range of int reads as the nearest end of the range.
int LeadingInteger(const char* text);
