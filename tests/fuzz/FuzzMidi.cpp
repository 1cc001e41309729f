// The fuzz entry point over what the instrument may send: the joining of SysEx pieces,
// the classification of whole messages, the patch-change look-ahead, the debugger line,
// and the simulated instrument's answers. The input is a script of the library's queue:
// records of a length byte and that many bytes, a length of 0 being a read that finds
// the queue empty. It checks what must hold for any script.

#include "engine/SysExConstants.h"
#include "midi/MessageReader.h"
#include "midi/MidiMessages.h"
#include "midi/SimulatedInstrument.h"
#include "tests/fuzz/FuzzCheck.h"

#include <vector>

namespace {

void CheckKind(const Bytes& m) {
    switch (ClassifyMessage(m)) {
    case MessageKind::ControlChange:
        Require(m.size() >= 3 && m[0] == kControlChangeChannel1, "control change on channel 1, 3 bytes");
        break;
    case MessageKind::ProgramChange:
        Require(m.size() == 2 && m[0] == kProgramChangeChannel1, "program change on channel 1, 2 bytes");
        break;
    case MessageKind::IdentificationReply: {
        Require(m.size() >= kIdentificationReplyMinLength, "a reply long enough to carry the patch");
        const std::optional<int> current = ReadCurrentPatch(m);
        Require(current && *current >= 0 && *current < 512, "a reply carries a 9-bit patch");
        break;
    }
    case MessageKind::PatchDump:
        Require(IsPatchDump(m) && !IsIdentificationReply(m), "a dump that is no reply");
        break;
    case MessageKind::EmptySysEx:
        Require(m.size() == 2 && m[0] == kSysExStart && m[1] == kSysExEnd, "F0 F7");
        break;
    case MessageKind::Unknown:
        break;
    }
    const std::string line = FormatUnknownMessage(m);
    Require(line.size() < kDebugLineBuffer && line.back() == '\n', "debugger line within its buffer");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Bytes> script;
    std::size_t scriptBytes = 0;
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = data[at++];
        const std::size_t end = std::min(size, at + length);
        script.emplace_back(data + at, data + end);
        scriptBytes += end - at;
        at = end;
    }
    std::size_t next = 0;
    int pauses = 0;
    int notices = 0;
    MessageReader reader([&](Bytes& message) { message = next < script.size() ? script[next++] : Bytes(); },
                         [&] { ++pauses; },
                         [&](const std::string& line) {
                             Require(line == "MIDI Truncated!!\n", "the only debugger line of the reader");
                             ++notices;
                         });

    // The instrument starts from its 400 patches for every script.
    static const SimulatedInstrument pristine;
    SimulatedInstrument instrument = pristine;

    // Polls follow one another until the script is read: a poll ends at an empty read.
    std::size_t bytesOut = 0;
    Bytes message;
    do {
        while (reader.Next(message)) {
            Require(!message.empty() && message[0] != kTimingClock, "no empty message, no clock");
            bytesOut += message.size();
            CheckKind(message);
            if (ClassifyMessage(message) == MessageKind::ProgramChange) {
                const Bytes second = reader.Peek(0);
                const Bytes third = reader.Peek(1);
                if (const std::optional<PatchChange> change = ReadPatchChange(message, second, third)) {
                    Require(change->bank == third[2] && change->program == message[1],
                            "bank and program bytes");
                    reader.Skip(2);
                    bytesOut += second.size() + third.size();
                }
            }
            for (const Bytes& answer : instrument.Receive(message)) {
                Require(!answer.empty(), "no empty answer");
                if (answer[0] == kSysExStart)
                    Require(answer.back() == kSysExEnd, "whole SysEx answers");
            }
        }
    } while (next < script.size());
    Require(bytesOut <= scriptBytes, "nothing handed out twice");
    Require(notices <= pauses, "a notice only after waiting");
    return 0;
}
