#pragma once

#include "engine/PatchDump.h"

#include <cstddef>
#include <vector>

// What a .syx file holds: the patch dumps found in it, and a count of everything
// else, which is skipped. Pure functions over the file's bytes.

struct FoundDump {
    std::size_t offset; // where the dump begins in the file
    Bytes message;      // the whole dump, F0 to F7, without real-time bytes
};

struct SyxContents {
    std::vector<FoundDump> dumps;
    std::size_t otherMessages = 0; // complete SysEx messages that are not patch dumps
    std::size_t shortDumps = 0;    // dump headers on messages too short to decode
    std::size_t unterminated = 0;  // messages cut off before their F7
    std::size_t strayBytes = 0;    // bytes outside any SysEx message
    std::size_t realTimeBytes = 0; // real-time bytes (F8 to FF) dropped from inside messages
    bool SkippedAnything() const {
        return otherMessages || shortDumps || unterminated || strayBytes || realTimeBytes;
    }
};

// Splits the bytes into SysEx messages. A message runs from F0 to the next F7; the
// real-time bytes F8 to FF inside it are dropped, as MIDI lets them come anywhere;
// any other status byte before the F7 (a new F0 included) cuts it off there.
SyxContents ScanSyx(const Bytes& data);
