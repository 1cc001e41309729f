#pragma once

#include "engine/PatchBank.h"
#include "engine/PatchDump.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Writing patch dumps into the instrument's memory and reading each one back: what is
// written where, the question asked first, the comparison and the report. The
// instrument keeps a dump it receives in the slot the dump names, for good, so every
// write is checked by asking for that slot again.

struct RestoreItem {
    int patch; // 0 to 399, the slot the dump names
    Bytes dump;
};

struct RestorePlan {
    std::vector<RestoreItem> items;
    int skipped = 0; // dumps naming no patch of the instrument, never written
};

RestorePlan PlanRestore(const std::vector<Bytes>& dumps);

// "1:05": bank and two-digit program.
std::string SlotLabel(int patch);

// "1:05, 1:07, 1:50 to 1:99": sorted, runs of neighbours joined.
std::string SlotList(std::vector<int> patches);

// Asks whether to write, naming each slot with the patch now cached there and the one
// that replaces it (the first 20; the rest counted).
std::string RestoreQuestion(const RestorePlan& plan, const std::vector<PatchSlot>& cache);

enum class ReadBack { Verified, Differs, NoAnswer };

// A read-back equal to what was sent is verified. So is one in format 0x6F for a dump
// sent in an older format, when name and every parameter agree as current firmware
// plays them: firmware keeps patches in its own format, and takes the old LFO amount's
// dead zone out on the way. F0 F7 (no patch there) differs.
ReadBack CompareReadBack(const Bytes& sent, const std::optional<Bytes>& received);

struct RestoreResult {
    int written = 0;
    std::vector<int> verified;
    std::vector<int> differ;
    std::vector<int> silent;     // no answer to the read-back
    std::vector<int> notWritten; // left out after the instrument stopped answering
    int skipped = 0;
    bool recognized = true; // false: the instrument was not recognized, nothing was written
    bool confirmed = true;  // false: the user said no, nothing was written
    bool AllVerified() const {
        return written > 0 && static_cast<int>(verified.size()) == written && notWritten.empty() &&
               skipped == 0;
    }
};

// After this many read-backs in a row without an answer the rest is not written: the
// instrument is gone or no longer listening.
constexpr int kSilentReadBacksBeforeStop = 3;

// Writes each dump and reads its slot back before the next one, which also paces the
// writes to the instrument's speed. `readBack` answers the instrument's reply for a
// patch, or nothing when none came in time.
RestoreResult WriteAndVerify(const RestorePlan& plan, const std::function<void(const Bytes&)>& write,
                             const std::function<std::optional<Bytes>(int patch)>& readBack);

// "Wrote and verified 100 patches." or which slots differ or did not answer.
std::string RestoreReport(const RestoreResult& result);
