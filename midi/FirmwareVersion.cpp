#include "midi/FirmwareVersion.h"

#include "engine/SysExConstants.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr std::size_t kRequestLength = 11;
constexpr std::size_t kReplyLength = 14;
constexpr std::size_t kVersionOffset = 10;

bool HasHeader(const Bytes& message, uint8_t command) {
    return message.size() > kCommandOffset + 1 &&
           std::equal(kSysExHeader.begin(), kSysExHeader.end(), message.begin()) &&
           message[kCommandOffset] == command && message[kCommandOffset + 1] == 0x00;
}

Bytes WithHeader(std::initializer_list<uint8_t> rest) {
    Bytes message(kSysExHeader.begin(), kSysExHeader.end());
    for (uint8_t byte : rest)
        message.push_back(byte);
    return message;
}

} // namespace

Bytes BuildFirmwareVersionRequest() {
    return WithHeader({kCommandVersionRequest, 0x00, kSysExEnd});
}

bool IsFirmwareVersionRequest(const Bytes& message) {
    return message.size() == kRequestLength && HasHeader(message, kCommandVersionRequest) &&
           message.back() == kSysExEnd;
}

Bytes BuildFirmwareVersionReply(const FirmwareVersion& version) {
    return WithHeader({kCommandVersionReply, 0x00, static_cast<uint8_t>(version.major & 0x7F),
                       static_cast<uint8_t>(version.minor & 0x7F), static_cast<uint8_t>(version.patch & 0x7F),
                       kSysExEnd});
}

std::optional<FirmwareVersion> ReadFirmwareVersion(const Bytes& reply) {
    if (reply.size() != kReplyLength || !HasHeader(reply, kCommandVersionReply) || reply.back() != kSysExEnd)
        return std::nullopt;
    // A status byte among the three numbers is no version: the message was cut and mended.
    if (std::any_of(reply.begin() + kVersionOffset, reply.end() - 1, [](uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    return FirmwareVersion{reply[kVersionOffset], reply[kVersionOffset + 1], reply[kVersionOffset + 2]};
}

std::string FirmwareText(const FirmwareVersion& version) {
    return "Pro~800 firmware " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.patch);
}
