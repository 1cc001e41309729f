#include "tools/tavren-syx/SyxFile.h"

#include "engine/SysExConstants.h"

namespace {

void Classify(const Bytes& data, std::size_t begin, std::size_t end, SyxContents& contents) {
    Bytes message(data.begin() + static_cast<std::ptrdiff_t>(begin),
                  data.begin() + static_cast<std::ptrdiff_t>(end));
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
        std::size_t end = i + 1;
        while (end < data.size() && data[end] < 0x80)
            ++end;
        if (end < data.size() && data[end] == kSysExEnd) {
            Classify(data, i, end + 1, contents);
            i = end + 1;
        } else {
            // Cut off by the end of the file or by a status byte, which the next round
            // takes as a new message or a stray byte.
            ++contents.unterminated;
            i = end;
        }
    }
    return contents;
}
