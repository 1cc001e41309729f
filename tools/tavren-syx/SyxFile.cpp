#include "tools/tavren-syx/SyxFile.h"

#include "engine/SysExConstants.h"

namespace {

// System real-time messages (timing clock F8 to system reset FF) are one byte long
// and may come between any two bytes of a MIDI stream, inside a SysEx message too.
bool IsRealTime(uint8_t byte) {
    return byte >= 0xF8;
}

void Classify(std::size_t begin, Bytes message, SyxContents& contents) {
    if (!IsPatchDump(message) || IsIdentificationReply(message))
        ++contents.otherMessages;
    else if (message.size() < kMinPatchDumpLength)
        ++contents.shortDumps;
    else
        contents.dumps.push_back({begin, std::move(message)});
}

} // namespace

SyxContents ScanSyx(const Bytes& data) {
    SyxContents contents;
    std::size_t i = 0;
    while (i < data.size()) {
        if (data[i] != kSysExStart) {
            ++contents.strayBytes;
            ++i;
            continue;
        }
        // A file captured from a live stream carries the clock and active sensing
        // inside a dump: they are dropped and the dump is kept.
        const std::size_t begin = i;
        Bytes message = {kSysExStart};
        std::size_t realTime = 0;
        ++i;
        while (i < data.size() && (data[i] < 0x80 || IsRealTime(data[i]))) {
            if (IsRealTime(data[i]))
                ++realTime;
            else
                message.push_back(data[i]);
            ++i;
        }
        contents.realTimeBytes += realTime;
        if (i < data.size() && data[i] == kSysExEnd) {
            message.push_back(kSysExEnd);
            Classify(begin, std::move(message), contents);
            ++i;
        } else {
            // Cut off by the end of the file or by a status byte, which the next round
            // takes as a new message or a stray byte.
            ++contents.unterminated;
        }
    }
    return contents;
}
