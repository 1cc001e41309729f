#pragma once

#include "engine/ParameterTable.h"
#include "engine/PatchDump.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The patch on the panel: the dump it came from (its base, a slot of the instrument's
// cache or a row of an opened file) and the user's edits over it. Control changes the
// instrument sends are edits too: someone turned its knob.
class PatchEdit {
  public:
    PatchEdit() = default;
    explicit PatchEdit(Bytes base);

    const Bytes& Base() const;
    bool Empty() const { return base_ == nullptr; }
    // The patch number the base names, -1 without one.
    int PatchNumber() const;

    // A parameter's value: the edit's, else the base's; -1 when neither has one.
    int Value(int id) const;
    void SetValue(int id, int value);
    // Every parameter value the panel shows, in table order.
    std::vector<DecodedValue> Values() const;

    std::string Name() const;
    void SetName(std::string name);

    // Unpacked byte k of the patch as it would be stored (in format 0x6F); -1 past the end.
    int Byte(int k) const;
    void SetByte(int k, int value);
    // The patch's unpacked bytes as it would be stored.
    std::vector<uint8_t> Unpacked() const;

    // The edit differs from its base.
    bool Modified() const;

    // The dump that stores the edit as patch `patchNumber`, in format 0x6F. Every field
    // that was not edited keeps its exact bytes; an edited knob's field takes the value
    // as its high byte and 0 as its low byte, an edited switch its bits, a new name the
    // 16-byte field padded with NUL. An older base is converted as current firmware
    // converts it on loading. Empty without a base.
    Bytes BuildDump(int patchNumber) const;

    // "1:07 Mini Lead"; empty without a base.
    std::string Title() const;

    bool operator==(const PatchEdit& other) const;
    bool operator!=(const PatchEdit& other) const { return !(*this == other); }

  private:
    // What the base holds, read once and shared by the copies of an edit (its history
    // keeps a thousand of them).
    struct BaseData {
        Bytes dump;
        std::vector<uint8_t> stored;                  // unpacked bytes in format 0x6F
        std::array<int, kParameterCount> values = {}; // decoded, by table row; -1 for none
    };
    int BaseValue(int id) const;

    std::shared_ptr<const BaseData> base_;
    std::map<int, int> values_; // edited parameters
    std::optional<std::string> name_;
    std::map<int, int> bytes_; // edited unpacked bytes of the settings without a knob
};

// A name the instrument can keep: 1 to 16 characters of printable ASCII.
bool IsValidPatchName(const std::string& name);
