#include "engine/PatchEdit.h"

#include "engine/DumpPacker.h"
#include "engine/ParameterTable.h"
#include "engine/SysExConstants.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// A knob of 256 steps is the high byte of a 16-bit value whose low byte lies before it.
bool IsWide(const ParameterRow& row) {
    return row.kind == ControlKind::Knob && row.maxValue == 255 && row.field.bits == 8;
}

const Bytes kNoDump;
const std::vector<uint8_t> kNoBytes;

int RowOf(int id) {
    const auto& table = ParameterTable();
    for (std::size_t row = 0; row < table.size(); ++row)
        if (table[row].id == id)
            return static_cast<int>(row);
    return -1;
}

} // namespace

PatchEdit::PatchEdit(Bytes base) {
    auto data = std::make_shared<BaseData>();
    data->dump = std::move(base);
    data->stored = UnpackPatchData(UpgradeToFormat6F(data->dump));
    data->values.fill(-1);
    for (const DecodedValue& value : DecodeParameters(data->dump).value_or(std::vector<DecodedValue>()))
        if (const int row = RowOf(value.id); row >= 0)
            data->values[static_cast<std::size_t>(row)] = value.value;
    base_ = std::move(data);
}

const Bytes& PatchEdit::Base() const {
    return base_ ? base_->dump : kNoDump;
}

int PatchEdit::PatchNumber() const {
    return ReadPatchNumber(Base()).value_or(-1);
}

int PatchEdit::BaseValue(int id) const {
    const int row = RowOf(id);
    return base_ && row >= 0 ? base_->values[static_cast<std::size_t>(row)] : -1;
}

int PatchEdit::Value(int id) const {
    if (const auto edited = values_.find(id); edited != values_.end())
        return edited->second;
    return BaseValue(id);
}

void PatchEdit::SetValue(int id, int value) {
    values_[id] = value;
}

std::vector<DecodedValue> PatchEdit::Values() const {
    std::vector<DecodedValue> values;
    const auto& table = ParameterTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        const auto edited = values_.find(table[row].id);
        const int value = edited != values_.end() ? edited->second : base_ ? base_->values[row] : -1;
        if (value >= 0 && table[row].field.byte >= 0)
            values.push_back({table[row].id, value});
    }
    return values;
}

std::string PatchEdit::Name() const {
    return name_ ? *name_ : ReadPatchName(Base());
}

void PatchEdit::SetName(std::string name) {
    name_ = std::move(name);
}

int PatchEdit::Byte(int k) const {
    if (const auto edited = bytes_.find(k); edited != bytes_.end())
        return edited->second;
    const std::vector<uint8_t>& stored = base_ ? base_->stored : kNoBytes;
    return k >= 0 && static_cast<std::size_t>(k) < stored.size() ? stored[static_cast<std::size_t>(k)] : -1;
}

void PatchEdit::SetByte(int k, int value) {
    bytes_[k] = value & 0xFF;
}

std::vector<uint8_t> PatchEdit::Unpacked() const {
    std::vector<uint8_t> data = base_ ? base_->stored : kNoBytes;
    for (const auto& [k, value] : bytes_)
        if (k >= 0 && static_cast<std::size_t>(k) < data.size())
            data[static_cast<std::size_t>(k)] = static_cast<uint8_t>(value);
    return data;
}

bool PatchEdit::Modified() const {
    for (const auto& [id, value] : values_)
        if (BaseValue(id) != value)
            return true;
    if (name_ && *name_ != ReadPatchName(Base()))
        return true;
    const std::vector<uint8_t>& stored = base_ ? base_->stored : kNoBytes;
    for (const auto& [k, value] : bytes_)
        if (k < 0 || static_cast<std::size_t>(k) >= stored.size() ||
            stored[static_cast<std::size_t>(k)] != value)
            return true;
    return false;
}

Bytes PatchEdit::BuildDump(int patchNumber) const {
    std::vector<uint8_t> data = Unpacked();
    if (data.empty())
        return Bytes();
    for (const auto& [id, value] : values_) {
        const ParameterRow* row = FindParameterRow(id);
        if (row == nullptr || row->field.byte < 0 || BaseValue(id) == value)
            continue;
        const auto byte = static_cast<std::size_t>(row->field.byte);
        if (byte >= data.size())
            continue;
        if (IsWide(*row)) {
            data[byte] = static_cast<uint8_t>(value);
            data[byte - 1] = 0;
        } else {
            const int mask = ((1 << row->field.bits) - 1) << row->field.shift;
            data[byte] = static_cast<uint8_t>((data[byte] & ~mask) | ((value << row->field.shift) & mask));
        }
    }
    if (name_ && kNameFieldByte + kNameFieldLength <= data.size()) {
        std::fill_n(data.begin() + kNameFieldByte, kNameFieldLength, 0);
        std::copy_n(name_->begin(), std::min(name_->size(), kNameFieldLength), data.begin() + kNameFieldByte);
    }
    return PackPatchDump(patchNumber, data);
}

std::string PatchEdit::Title() const {
    const int number = PatchNumber();
    if (number < 0)
        return std::string();
    char slot[16];
    std::snprintf(slot, sizeof slot, "%d:%02d", number / kProgramsPerBank, number % kProgramsPerBank);
    return slot + (" " + Name());
}

bool PatchEdit::operator==(const PatchEdit& other) const {
    const bool sameBase = base_ == other.base_ || Base() == other.Base();
    return sameBase && values_ == other.values_ && name_ == other.name_ && bytes_ == other.bytes_;
}

bool IsValidPatchName(const std::string& name) {
    return !name.empty() && name.size() <= kNameFieldLength &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}
