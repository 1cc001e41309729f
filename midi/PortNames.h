#pragma once

#include <string>
#include <vector>

// Finding a remembered port again. On Windows the MIDI library names a port by its
// device's name, a space and the port's number ("Loop 0"), so the number changes when
// another interface is plugged in before it.

// The name without that number: "Loop 0" -> "Loop"; a name without one stays as it is.
std::string WithoutPortNumber(const std::string& name);

// The index of the port named `wanted` (names compared up to a NUL): the one of exactly
// that name; else the one port, if only one, whose name without its number is
// `wanted`'s without its number. -1 when none, or several, match.
int MatchPortName(const std::vector<std::string>& names, const std::string& wanted);
