#pragma once

#include <cstddef>
#include <cstdint>

// The instrument's factory bank 0 as it sent it (100 dumps of 210 bytes, one after the
// other), built into the program from the fixture file at build time.
extern const uint8_t kFactoryBank0[];
extern const std::size_t kFactoryBank0Size;
