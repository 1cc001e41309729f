#pragma once

#include <cstdint>
#include <string>

// One patch of the library as its window lists it.
struct LibraryEntry {
    int64_t id = 0;
    std::string name;
    std::string tags; // sorted, ", " between them
    std::string notes;
    int format = 0;
    uint64_t sound = 0;    // the first 64 bits of the fingerprint, enough to tell sounds apart here
    std::string lastPlace; // "1:07" or a file's path
    std::string lastSeen;  // ISO 8601 UTC
    bool favourite = false;
    bool onInstrument = false; // some sighting is a slot of the instrument
    bool inFile = false;       // some sighting is a file
    bool duplicate = false;    // its sound is in another row too, or its name names another sound
};
