#pragma once

#include "engine/PatchDump.h"
#include "midi/FirmwareVersion.h"

#include <cstdint>
#include <optional>
#include <vector>

// The instrument as the program sees it over MIDI, in software: 400 patches, a current
// patch, answers to patch and identification requests, dumps it receives kept, and
// the messages it sends when the user turns a knob or changes the patch on it. It only
// computes messages; carrying them (and delaying them) is SimulatedMidiDevice's job.
class SimulatedInstrument {
  public:
    static constexpr int kPatchCount = 400;

    // How it answers, for tests of the program's patience and joining.
    struct Behaviour {
        bool answers = true;       // false: requests go unanswered
        bool answersEmpty = false; // every patch request gets F0 F7
        int pieces = 1;            // SysEx answers come in this many pieces
        Bytes betweenPieces;       // real-time bytes sent alone between two pieces, e.g. F8 FE
        // The answer to the version request; nothing: firmware that does not know it.
        std::optional<FirmwareVersion> firmware = FirmwareVersion{1, 4, 6};
        int writesAccepted = -1;        // dumps it stores before it refuses the rest; -1: all
        std::vector<int> silentPatches; // patch requests for these numbers go unanswered
    };

    SimulatedInstrument();

    // Reads one message from the program; answers what the instrument sends back, in
    // the order it sends it (pieces and real-time bytes as separate messages).
    std::vector<Bytes> Receive(const Bytes& message);

    // The control change that turning knob `id` to controller value `value` sends.
    static Bytes TurnKnob(int id, int value);

    // Patch n (0 to 399) becomes current as if chosen on the instrument, which
    // announces it as C0 program, C0 program, B0 00 bank.
    std::vector<Bytes> ChangePatch(int patchNumber);

    int CurrentPatch() const { return current_; }
    void SetCurrentPatch(int patchNumber);

    // The stored dump of patch n; empty for an empty slot or a number out of range.
    const Bytes& Patch(int patchNumber) const;
    void SetPatch(int patchNumber, Bytes dump);

    Behaviour behaviour;

  private:
    std::vector<Bytes> Answer(const Bytes& request) const;
    std::vector<Bytes> Deliver(const Bytes& message) const;

    std::vector<Bytes> patches_;
    Bytes empty_;
    int current_ = 0;
};
