#pragma once

#include "engine/PatchDump.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// What the program makes of one whole message received from the instrument. Every
// function checks the length before it reads a byte, so any byte vector is safe.

constexpr uint8_t kControlChangeChannel1 = 0xB0;
constexpr uint8_t kProgramChangeChannel1 = 0xC0;
constexpr uint8_t kTimingClock = 0xF8;
constexpr uint8_t kActiveSensing = 0xFE;
constexpr uint8_t kBankSelectController = 0x00;

// The debugger line of an unknown message is built in a buffer of this many characters.
constexpr std::size_t kDebugLineBuffer = 32000;

enum class MessageKind {
    ControlChange,       // B0 cc value: a parameter moved on the instrument
    ProgramChange,       // C0 program: perhaps the first of a patch change
    IdentificationReply, // the answer to the identification request, long enough to carry the patch
    PatchDump,           // a patch dump (or anything else that begins with its header)
    EmptySysEx,          // F0 F7: no patch comes for the request
    Unknown,
};

// The first rule of the dispatcher that claims the message. An identification reply
// too short to carry the current patch is Unknown.
MessageKind ClassifyMessage(const Bytes& message);

// The message with MIDI channels 1 and `channel` (1 to 16) swapped; any other message as
// it is. The program builds and reads channel messages on channel 1: swapped on the way
// out they go on `channel`, and swapped on the way in those on `channel` read as on
// channel 1 and those on channel 1 as on another, which the program does not take.
Bytes SwapChannel(Bytes message, int channel);

// System real-time messages (F8 to FF) may arrive between the pieces of a SysEx message.
bool IsRealTime(uint8_t status);

// Bank and program that the instrument announces when the user changes the patch on it.
struct PatchChange {
    int bank;
    int program;
};

// The instrument announces a patch change as C0 program, C0 program, B0 controller bank.
// Only the first program byte and the bank byte are read.
std::optional<PatchChange> ReadPatchChange(const Bytes& first, const Bytes& second, const Bytes& third);

// "Unknown Message[n]: " followed by "xx, " per byte and a newline, cut after the last
// byte that fits in kDebugLineBuffer characters with its terminating NUL.
std::string FormatUnknownMessage(const Bytes& message);
