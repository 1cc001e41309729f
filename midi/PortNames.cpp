#include "midi/PortNames.h"

namespace {

std::string UpToNul(std::string text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

} // namespace

std::string WithoutPortNumber(const std::string& name) {
    const std::size_t digits = name.find_last_not_of("0123456789");
    if (digits == std::string::npos || digits + 1 == name.size() || name[digits] != ' ' || digits == 0)
        return name;
    return name.substr(0, digits);
}

int MatchPortName(const std::vector<std::string>& names, const std::string& wanted) {
    const std::string exact = UpToNul(wanted);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (UpToNul(names[i]) == exact)
            return static_cast<int>(i);
    const std::string stem = WithoutPortNumber(exact);
    int found = -1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (WithoutPortNumber(UpToNul(names[i])) != stem)
            continue;
        if (found != -1)
            return -1; // two of that name: which one was meant cannot be told
        found = static_cast<int>(i);
    }
    return found;
}
