#include "midi/SimulatedPatches.h"

#include "engine/DumpPacker.h"
#include "engine/ParameterTable.h"
#include "engine/SysExConstants.h"
#include "midi/FactoryBankData.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr int kPatchCount = 400;
constexpr int kNameByte = 150; // unpacked start of the 16-byte name field

const std::array<const char*, 20> kAdjectives = {
    "Warm", "Bright", "Dark", "Soft",  "Hollow", "Glassy", "Analog", "Vintage", "Fat",    "Thin",
    "Wide", "Deep",   "Airy", "Sharp", "Lush",   "Dusty",  "Silver", "Golden",  "Gentle", "Heavy"};
const std::array<const char*, 15> kNouns = {"Pad",   "Brass", "Strings", "Bass",  "Lead",
                                            "Keys",  "Organ", "Choir",   "Pluck", "Sweep",
                                            "Bells", "Sync",  "Comp",    "Drone", "Poly"};

// A small deterministic generator: the same patches on every run.
class Random {
  public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    int Below(int limit) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(limit));
    }

  private:
    uint32_t state_;
};

void WriteField(std::vector<uint8_t>& unpacked, const DumpField& field, int value) {
    if (field.byte < 0 || field.bits <= 0 || static_cast<std::size_t>(field.byte) >= unpacked.size())
        return;
    const int mask = ((1 << field.bits) - 1) << field.shift;
    uint8_t& byte = unpacked[static_cast<std::size_t>(field.byte)];
    byte = static_cast<uint8_t>((byte & ~mask) | ((value << field.shift) & mask));
}

// Patch n of banks 1 to 3: a factory patch with its knobs moved and a few switches
// thrown, under a name of its own.
Bytes GeneratePatch(int patchNumber, const Bytes& model) {
    std::vector<uint8_t> unpacked = UnpackPatchData(model);
    Random random(static_cast<uint32_t>(patchNumber));
    for (const ParameterRow& row : ParameterTable()) {
        const std::optional<int> old = ReadField(model, row.field);
        if (!old)
            continue;
        if (row.kind == ControlKind::Knob && row.maxValue == 255) {
            WriteField(unpacked, row.field, std::clamp(*old + random.Below(121) - 60, 0, 255));
        } else if (random.Below(4) == 0) {
            WriteField(unpacked, row.field, random.Below(row.maxValue + 1));
        }
    }
    const std::string name = GeneratedPatchName(patchNumber);
    for (std::size_t i = 0; i < kNameFieldLength; ++i) {
        const std::size_t at = kNameByte + i;
        if (at < unpacked.size())
            unpacked[at] = i < name.size() ? static_cast<uint8_t>(name[i]) : 0;
    }
    return PackPatchDump(patchNumber, unpacked);
}

} // namespace

std::vector<Bytes> FactoryBankDumps() {
    std::vector<Bytes> dumps;
    Bytes current;
    for (std::size_t i = 0; i < kFactoryBank0Size; ++i) {
        current.push_back(kFactoryBank0[i]);
        if (kFactoryBank0[i] == kSysExEnd) {
            dumps.push_back(std::move(current));
            current.clear();
        }
    }
    return dumps;
}

std::string GeneratedPatchName(int patchNumber) {
    // Every adjective meets every noun once over the 300 generated patches.
    const int i = std::max(0, patchNumber - kProgramsPerBank) % 300;
    const int adjective = i % 20;
    const int noun = (i / 20 + 7 * adjective) % 15;
    return std::string(kAdjectives[static_cast<std::size_t>(adjective)]) + " " +
           kNouns[static_cast<std::size_t>(noun)];
}

std::vector<Bytes> SimulatedPatches() {
    std::vector<Bytes> patches = FactoryBankDumps();
    patches.resize(kProgramsPerBank);
    for (int n = kProgramsPerBank; n < kPatchCount; ++n)
        patches.push_back(GeneratePatch(n, patches[static_cast<std::size_t>(n % kProgramsPerBank)]));
    return patches;
}
