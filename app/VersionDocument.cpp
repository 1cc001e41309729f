#include "app/VersionDocument.h"

#include <algorithm>
#include <climits>

#include <pugixml.hpp>

std::optional<int> ReadLatestBuild(const char* data, std::size_t size) {
    pugi::xml_document document;
    if (!document.load_buffer(data, size))
        return std::nullopt;
    // A missing element is an empty node, whose text is "".
    return LeadingInteger(document.first_element_by_path(kLatestBuildPath).text().get());
}

int LeadingInteger(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    constexpr long long kBeyondInt = 1LL + INT_MAX;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9' && magnitude <= kBeyondInt; ++p)
        magnitude = magnitude * 10 + (*p - '0');
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
