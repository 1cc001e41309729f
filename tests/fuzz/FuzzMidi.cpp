// What the instrument may send: the input is a script of the library's queue, records
// of a length byte and that many bytes (0: a read that finds the queue empty), read as
// the program reads it, with the patch-change look-ahead, and answered by the simulated
// instrument.
#include "midi/MessageReader.h"
#include "midi/MidiMessages.h"
#include "midi/SimulatedInstrument.h"
#include "tests/fuzz/FuzzCheck.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Bytes> script;
    std::size_t scriptBytes = 0;
    for (std::size_t at = 0; at < size; at += script.back().size()) {
        const std::size_t length = data[at++];
        script.emplace_back(data + at, data + std::min(size, at + length));
        scriptBytes += script.back().size();
    }
    std::size_t next = 0;
    int pauses = 0;
    int notices = 0;
    MessageReader reader([&](Bytes& message) { message = next < script.size() ? script[next++] : Bytes(); },
                         [&] { ++pauses; },
                         [&](const std::string& line) {
                             Require(line == "MIDI Truncated!!\n", "the reader's only debugger line");
                             ++notices;
                         });
    static const SimulatedInstrument pristine; // its 400 patches for every script
    SimulatedInstrument instrument = pristine;
    std::size_t bytesOut = 0;
    Bytes message;
    do { // a poll ends at an empty read
        while (reader.Next(message)) {
            Require(!message.empty() && message[0] != kTimingClock, "no empty message, no clock");
            bytesOut += message.size();
            const MessageKind kind = ClassifyMessage(message);
            if (kind == MessageKind::IdentificationReply)
                Require(ReadCurrentPatch(message).value_or(512) < 512, "a reply carries a 9-bit patch");
            Require(FormatUnknownMessage(message).size() < kDebugLineBuffer,
                    "debugger line within its buffer");
            if (kind == MessageKind::ProgramChange) { // the look-ahead as the program makes it
                const Bytes second = reader.Peek(0);
                const Bytes third = reader.Peek(1);
                if (const auto change = ReadPatchChange(message, second, third)) {
                    Require(change->bank == third[2] && change->program == message[1],
                            "bank and program bytes");
                    reader.Skip(2);
                    bytesOut += second.size() + third.size();
                }
            }
            for (const Bytes& answer : instrument.Receive(message))
                Require(!answer.empty() && (answer[0] != 0xF0 || answer.back() == 0xF7), "whole answers");
        }
    } while (next < script.size());
    Require(bytesOut <= scriptBytes, "nothing handed out twice");
    Require(notices <= pauses, "a notice only after waiting");
    return 0;
}
