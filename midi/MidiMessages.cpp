#include "midi/MidiMessages.h"

#include "engine/PatchDump.h"
#include "engine/SysExConstants.h"

#include <cstdio>

MessageKind ClassifyMessage(const Bytes& message) {
    if (message.size() >= 3 && message[0] == kControlChangeChannel1)
        return MessageKind::ControlChange;
    if (message.size() == 2 && message[0] == kProgramChangeChannel1)
        return MessageKind::ProgramChange;
    if (IsIdentificationReply(message)) {
        // Bytes 11 to 18 carry the current patch: a shorter reply is not taken as one.
        if (message.size() >= kIdentificationReplyMinLength)
            return MessageKind::IdentificationReply;
        return MessageKind::Unknown;
    }
    if (IsPatchDump(message))
        return MessageKind::PatchDump;
    if (message.size() == 2 && message[0] == kSysExStart && message[1] == kSysExEnd)
        return MessageKind::EmptySysEx;
    return MessageKind::Unknown;
}

Bytes SwapChannel(Bytes message, int channel) {
    if (message.empty() || message[0] < 0x80 || message[0] >= 0xF0 || channel < 2 || channel > 16)
        return message;
    const int own = message[0] & 0x0F;
    const int swapped = own == 0 ? channel - 1 : own == channel - 1 ? 0 : own;
    message[0] = static_cast<uint8_t>((message[0] & 0xF0) | swapped);
    return message;
}

bool IsRealTime(uint8_t status) {
    return status >= kTimingClock;
}

std::optional<PatchChange> ReadPatchChange(const Bytes& first, const Bytes& second, const Bytes& third) {
    if (first.size() != 2 || first[0] != kProgramChangeChannel1)
        return std::nullopt;
    if (second.size() != 2 || second[0] != kProgramChangeChannel1)
        return std::nullopt;
    if (third.size() != 3 || third[0] != kControlChangeChannel1)
        return std::nullopt;
    return PatchChange{third[2], first[1]};
}

std::string FormatUnknownMessage(const Bytes& message) {
    std::string line = "Unknown Message[" + std::to_string(message.size()) + "]: ";
    constexpr std::size_t kPerByte = 4; // "xx, "
    for (uint8_t byte : message) {
        // Room is kept for the newline and the NUL of the buffer.
        if (line.size() + kPerByte + 2 > kDebugLineBuffer)
            break;
        char text[8];
        std::snprintf(text, sizeof(text), "%02x, ", byte);
        line += text;
    }
    line += "\n";
    return line;
}
