#include "midi/SimulatedInstrument.h"

#include "engine/DumpPacker.h"
#include "engine/SysExConstants.h"
#include "midi/MidiMessages.h"
#include "midi/SimulatedPatches.h"

#include <algorithm>
#include <utility>

namespace {

bool IsPatchRequest(const Bytes& message) {
    return message.size() == kPatchRequestLength &&
           std::equal(kSysExHeader.begin(), kSysExHeader.end(), message.begin()) &&
           message[kCommandOffset] == kCommandPatchRequest && message.back() == kSysExEnd;
}

bool InRange(int patchNumber) {
    return patchNumber >= 0 && patchNumber < SimulatedInstrument::kPatchCount;
}

} // namespace

SimulatedInstrument::SimulatedInstrument() : patches_(SimulatedPatches()) {
    patches_.resize(kPatchCount);
}

std::vector<Bytes> SimulatedInstrument::Receive(const Bytes& message) {
    if (IsPatchRequest(message))
        return Answer(message);
    if (IsFirmwareVersionRequest(message)) {
        if (!behaviour.answers || !behaviour.firmware)
            return {};
        return Deliver(BuildFirmwareVersionReply(*behaviour.firmware));
    }
    if (IsPatchDump(message)) {
        // A whole dump from outside is written to the patch it names, unless the memory
        // is full of refusals (as when it is protected); one cut short (the program gave
        // up waiting for its end) is not taken.
        const std::optional<int> number = ReadPatchNumber(message);
        if (!number || !InRange(*number) || behaviour.writesAccepted == 0 ||
            message.size() < kMinPatchDumpLength || message.back() != kSysExEnd)
            return {};
        if (behaviour.writesAccepted > 0)
            --behaviour.writesAccepted;
        // Current firmware keeps a patch of an older format in its own.
        patches_[static_cast<std::size_t>(*number)] = UpgradeToFormat6F(message);
        return {};
    }
    if (message.size() == 2 && message[0] == kProgramChangeChannel1) {
        SetCurrentPatch(current_ / kProgramsPerBank * kProgramsPerBank + message[1]);
    } else if (message.size() == 3 && message[0] == kControlChangeChannel1 &&
               message[1] == kBankSelectController) {
        SetCurrentPatch(message[2] * kProgramsPerBank + current_ % kProgramsPerBank);
    }
    return {};
}

std::vector<Bytes> SimulatedInstrument::Answer(const Bytes& request) const {
    if (!behaviour.answers)
        return {};
    const int number = (request[kNumberHighOffset] & 0x7F) << 7 | (request[kNumberLowOffset] & 0x7F);
    if (number == kIdentificationNumber)
        return Deliver(BuildIdentificationReply(current_));
    const std::vector<int>& silent = behaviour.silentPatches;
    if (std::find(silent.begin(), silent.end(), number) != silent.end())
        return {};
    const Bytes& dump = Patch(number);
    if (behaviour.answersEmpty || dump.empty())
        return Deliver({kSysExStart, kSysExEnd});
    return Deliver(dump);
}

std::vector<Bytes> SimulatedInstrument::Deliver(const Bytes& message) const {
    const std::size_t pieces =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(behaviour.pieces, 1)), 1, message.size());
    std::vector<Bytes> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t end = message.size() * (i + 1) / pieces;
        if (i > 0) {
            for (uint8_t realTime : behaviour.betweenPieces)
                out.push_back({realTime});
        }
        out.emplace_back(message.begin() + static_cast<std::ptrdiff_t>(start),
                         message.begin() + static_cast<std::ptrdiff_t>(end));
        start = end;
    }
    return out;
}

Bytes SimulatedInstrument::TurnKnob(int id, int value) {
    return {kControlChangeChannel1, static_cast<uint8_t>(id & 0x7F), static_cast<uint8_t>(value & 0x7F)};
}

std::vector<Bytes> SimulatedInstrument::ChangePatch(int patchNumber) {
    SetCurrentPatch(patchNumber);
    const auto program = static_cast<uint8_t>(current_ % kProgramsPerBank);
    const auto bank = static_cast<uint8_t>(current_ / kProgramsPerBank);
    return {{kProgramChangeChannel1, program},
            {kProgramChangeChannel1, program},
            {kControlChangeChannel1, kBankSelectController, bank}};
}

void SimulatedInstrument::SetCurrentPatch(int patchNumber) {
    if (InRange(patchNumber))
        current_ = patchNumber;
}

const Bytes& SimulatedInstrument::Patch(int patchNumber) const {
    if (!InRange(patchNumber))
        return empty_;
    return patches_[static_cast<std::size_t>(patchNumber)];
}

void SimulatedInstrument::SetPatch(int patchNumber, Bytes dump) {
    if (InRange(patchNumber))
        patches_[static_cast<std::size_t>(patchNumber)] = std::move(dump);
}
