#pragma once

// The release's version, shared by the resource script and the program.
#define TAVREN_VERSION_TEXT "0.1.0"
#define TAVREN_VERSION_RC 0, 1, 0, 1
// Compared with the build that the maker's version document names (the update check).
#define TAVREN_BUILD_NUMBER 1

// The program's page on the maker's web site ("More Info ...", the About text, the
// new-version message) and the version document beside it that the update check reads.
#define TAVREN_WEB_PAGE "https://www.quillmer.example/tavren"
#define TAVREN_VERSION_DOCUMENT_URL "https://www.quillmer.example/tavren/tavren.xml"

// A narrow string literal of the above as a wide one: TAVREN_WIDEN(TAVREN_WEB_PAGE).
#define TAVREN_WIDEN2(x) L##x
#define TAVREN_WIDEN(x) TAVREN_WIDEN2(x)
