#include "app/RestorePlan.h"

#include "app/LibraryFiles.h"

#include "engine/SysExConstants.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kQuestionSlots = 20;

// Name and parameters as current firmware plays them, the same in every format; LFO AT
// exists only in the newest, and the oldest carry no name to compare.
bool SamePatch(const Bytes& a, const Bytes& b) {
    const bool named = ReadFormatVersion(a) >= kFormatVersion6D;
    if (named && ReadPatchName(a) != ReadPatchName(b))
        return false;
    const auto valuesA = DecodeParameters(a);
    const auto valuesB = DecodeParameters(b);
    if (!valuesA || !valuesB)
        return false;
    for (const DecodedValue& value : *valuesA) {
        auto match = std::find_if(valuesB->begin(), valuesB->end(),
                                  [&](const DecodedValue& other) { return other.id == value.id; });
        if (match != valuesB->end() && match->value != value.value)
            return false;
    }
    return true;
}

} // namespace

RestorePlan PlanRestore(const std::vector<Bytes>& dumps) {
    RestorePlan plan;
    for (const Bytes& dump : dumps) {
        const std::optional<int> number = ReadPatchNumber(dump);
        if (IsPatchDump(dump) && number && *number < PatchBank::kSlots)
            plan.items.push_back({*number, dump});
        else
            ++plan.skipped;
    }
    return plan;
}

std::string SlotLabel(int patch) {
    char label[16];
    std::snprintf(label, sizeof label, "%d:%02d", patch / PatchBank::kPrograms, patch % PatchBank::kPrograms);
    return label;
}

std::string SlotList(std::vector<int> patches) {
    std::sort(patches.begin(), patches.end());
    patches.erase(std::unique(patches.begin(), patches.end()), patches.end());
    std::string list;
    for (std::size_t i = 0; i < patches.size();) {
        std::size_t last = i;
        while (last + 1 < patches.size() && patches[last + 1] == patches[last] + 1)
            ++last;
        if (!list.empty())
            list += ", ";
        list += SlotLabel(patches[i]);
        if (last > i)
            list += (last == i + 1 ? ", " : " to ") + SlotLabel(patches[last]);
        i = last + 1;
    }
    return list;
}

std::string RestoreQuestion(const RestorePlan& plan, const std::vector<PatchSlot>& cache) {
    std::string question = "Write " + Patches(plan.items.size()) +
                           " into the Pro~800's memory? Each replaces the patch stored in its slot:\n";
    for (std::size_t i = 0; i < plan.items.size() && i < kQuestionSlots; ++i) {
        const RestoreItem& item = plan.items[i];
        const auto index = static_cast<std::size_t>(item.patch);
        const bool known = index < cache.size() && cache[index].loaded && !cache[index].dump.empty();
        const std::string replaced = known ? ReadPatchName(cache[index].dump) : "(not loaded here)";
        question += "\n" + SlotLabel(item.patch) + "  " + replaced + "  ->  " + ReadPatchName(item.dump);
    }
    if (plan.items.size() > kQuestionSlots)
        question += "\n... and " + std::to_string(plan.items.size() - kQuestionSlots) + " more.";
    if (plan.skipped > 0)
        question += "\n\n" + std::to_string(plan.skipped) +
                    " dumps name no patch of the instrument and are left out.";
    question += "\n\nThe patches replaced are lost unless they are saved in a file.";
    return question;
}

ReadBack CompareReadBack(const Bytes& sent, const std::optional<Bytes>& received) {
    if (!received)
        return ReadBack::NoAnswer;
    if (*received == sent)
        return ReadBack::Verified;
    const bool converted = ReadFormatVersion(sent) < kFormatVersion6F &&
                           ReadFormatVersion(*received) == kFormatVersion6F &&
                           ReadPatchNumber(sent) == ReadPatchNumber(*received);
    return converted && SamePatch(sent, *received) ? ReadBack::Verified : ReadBack::Differs;
}

RestoreResult WriteAndVerify(const RestorePlan& plan, const std::function<void(const Bytes&)>& write,
                             const std::function<std::optional<Bytes>(int patch)>& readBack) {
    RestoreResult result;
    result.skipped = plan.skipped;
    int silentInARow = 0;
    for (const RestoreItem& item : plan.items) {
        if (silentInARow >= kSilentReadBacksBeforeStop) {
            result.notWritten.push_back(item.patch);
            continue;
        }
        write(item.dump);
        ++result.written;
        switch (CompareReadBack(item.dump, readBack(item.patch))) {
        case ReadBack::Verified:
            result.verified.push_back(item.patch);
            silentInARow = 0;
            break;
        case ReadBack::Differs:
            result.differ.push_back(item.patch);
            silentInARow = 0;
            break;
        case ReadBack::NoAnswer:
            result.silent.push_back(item.patch);
            ++silentInARow;
            break;
        }
    }
    return result;
}

std::string RestoreReport(const RestoreResult& result) {
    if (!result.recognized || !result.confirmed || (result.written == 0 && result.notWritten.empty()))
        return "Nothing was written.";
    if (result.AllVerified())
        return "Wrote and verified " + Patches(static_cast<std::size_t>(result.written)) + ".";
    std::string report = "Wrote " + Patches(static_cast<std::size_t>(result.written)) + ", verified " +
                         std::to_string(result.verified.size());
    if (!result.differ.empty())
        report += "; different on read-back: " + SlotList(result.differ);
    if (!result.silent.empty())
        report += "; no answer on read-back: " + SlotList(result.silent);
    if (!result.notWritten.empty())
        report += "; not written, the instrument stopped answering: " + SlotList(result.notWritten);
    if (result.skipped > 0)
        report += "; " + std::to_string(result.skipped) + " dumps name no patch and were left out";
    return report + ".";
}
