// The fuzz entry point over the dump decoder and the .syx scanning of tavren-syx. It
// checks what must hold for any input, not only that nothing crashes. libFuzzer calls
// it in the fuzz build; the corpus regression test calls it on every seed file.

#include "engine/PatchDump.h"
#include "engine/SysExConstants.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/tavren-syx/SyxFile.h"
#include "tools/tavren-syx/SyxTool.h"

#include <algorithm>
#include <sstream>

namespace {

void CheckMessage(const Bytes& m) {
    const std::optional<int> number = ReadPatchNumber(m);
    Require(number.has_value() == (m.size() >= kPatchNumberEnd),
            "a patch number exactly when 11 bytes exist");
    if (number) {
        Require(*number >= 0 && *number <= kHighestPatchNumber, "patch number within 14 bits");
        Require(ReadPatchNumber(BuildPatchRequest(*number)) == number, "request carries the number");
    }
    for (int k = 0; k < static_cast<int>(m.size()); ++k) {
        const std::optional<int> byte = UnpackByte(m, k);
        if (!byte)
            break;
        Require(*byte >= 0 && *byte <= 0xFF, "unpacked byte is 8 bits");
    }
    const auto values = DecodeParameters(m);
    Require(values.has_value() == (m.size() >= kMinPatchDumpLength), "decoded exactly when 185 bytes exist");
    if (values) {
        Require(values->size() == 53 || values->size() == 54, "every field but at most LFO AT");
        for (const DecodedValue& v : *values) {
            const ParameterRow* row = FindParameterRow(v.id);
            Require(row != nullptr, "decoded ID in the table");
            Require(v.value >= 0 && v.value < (1 << row->field.bits), "value fits its field");
        }
    }
    const std::string name = ReadPatchName(m);
    Require(name.size() <= m.size(), "name no longer than the message");
    if (ReadFormatVersion(m) == kFormatVersion6F)
        Require(name.size() <= kNameFieldLength || name == "[Unnamed]", "format 0x6F name within its field");
    if (name != "[Unnamed]") {
        for (char c : name) {
            const auto b = static_cast<uint8_t>(c);
            Require(b != 0x00 && b != 0x7F && b != kSysExEnd, "no terminator inside a name");
        }
    }
    if (const std::optional<int> current = ReadCurrentPatch(m))
        Require(*current >= 0 && *current < 512 && IsIdentificationReply(m),
                "current patch of a reply, 9 bits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes input(data, data + size);
    CheckMessage(input);

    const SyxContents contents = ScanSyx(input);
    std::size_t covered = contents.strayBytes;
    for (const FoundDump& dump : contents.dumps) {
        Require(IsPatchDump(dump.message) && dump.message.size() >= kMinPatchDumpLength,
                "found dumps decode");
        Require(dump.message.back() == kSysExEnd, "found dumps end with F7");
        Require(
            std::all_of(dump.message.begin() + 1, dump.message.end() - 1, [](uint8_t b) { return b < 0x80; }),
            "found dumps carry data bytes only between F0 and F7");
        Require(dump.offset + dump.message.size() <= input.size(), "found dump inside the input");
        covered += dump.message.size();
        CheckMessage(dump.message);
    }
    Require(covered + contents.realTimeBytes <= input.size(), "scan accounts for no byte twice");

    // The commands as the console program runs them, both output forms.
    std::ostringstream out;
    std::ostringstream err;
    const bool json = size % 2 == 1;
    const int listed = ListDumps("fuzz.syx", input, "", json, out, err);
    Require(listed == (contents.dumps.empty() ? kExitNoDump : kExitOk), "list status");
    const std::optional<int> patch =
        size > 2 ? std::optional<int>(data[0] | (data[1] & 0x3F) << 7) : std::nullopt;
    const int shown = ShowDump("fuzz.syx", input, patch, !json, out, err);
    Require(shown == kExitOk || shown == kExitNoDump, "show status");
    return 0;
}
