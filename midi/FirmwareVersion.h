#pragma once

#include "engine/PatchDump.h"

#include <cstdint>
#include <optional>
#include <string>

// The firmware version exchange: the program asks with F0 00 20 32 00 01 24 00 08 00 F7
// and the instrument answers F0 00 20 32 00 01 24 00 09 00 major minor patch F7.
// Firmware that does not know the request stays silent.

constexpr uint8_t kCommandVersionRequest = 0x08;
constexpr uint8_t kCommandVersionReply = 0x09;

struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

Bytes BuildFirmwareVersionRequest();
bool IsFirmwareVersionRequest(const Bytes& message);

// The instrument's side, for the simulated instrument.
Bytes BuildFirmwareVersionReply(const FirmwareVersion& version);

// The version a reply carries, or nothing for any other message.
std::optional<FirmwareVersion> ReadFirmwareVersion(const Bytes& reply);

// "Pro~800 firmware 1.4.6".
std::string FirmwareText(const FirmwareVersion& version);
