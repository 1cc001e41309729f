// The dump decoder and tavren-syx's .syx scanning and commands over any bytes.
#include "engine/PatchDump.h"
#include "engine/SysExConstants.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/tavren-syx/SyxFile.h"
#include "tools/tavren-syx/SyxTool.h"

#include <algorithm>
#include <sstream>

namespace {

void CheckMessage(const Bytes& m) {
    if (const std::optional<int> number = ReadPatchNumber(m))
        Require(ReadPatchNumber(BuildPatchRequest(*number)) == number, "a request carries the patch number");
    for (int k = 0; k < static_cast<int>(m.size()) && UnpackByte(m, k); ++k)
        Require(static_cast<unsigned>(*UnpackByte(m, k)) <= 0xFF, "unpacked bytes of 8 bits");
    if (const auto values = DecodeParameters(m)) {
        Require(values->size() == 53 || values->size() == 54, "every field but at most LFO AT");
        for (const DecodedValue& v : *values) {
            const ParameterRow* row = FindParameterRow(v.id);
            Require(row && v.value >= 0 && v.value < (1 << row->field.bits),
                    "a known ID, a value in its field");
        }
    }
    const std::string name = ReadPatchName(m);
    if (name != "[Unnamed]") {
        Require(ReadFormatVersion(m) != kFormatVersion6F || name.size() <= kNameFieldLength,
                "a 0x6F name fits");
        Require(
            std::none_of(name.begin(), name.end(), [](char c) { return c == 0 || c == 0x7F || c == '\xF7'; }),
            "no terminator inside a name");
    }
    if (ReadCurrentPatch(m))
        Require(static_cast<unsigned>(*ReadCurrentPatch(m)) < 512 && IsIdentificationReply(m),
                "the current patch of a reply, 9 bits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes input(data, data + size);
    CheckMessage(input);
    const SyxContents contents = ScanSyx(input);
    std::size_t covered = contents.strayBytes + contents.realTimeBytes;
    for (const FoundDump& dump : contents.dumps) {
        const Bytes& m = dump.message;
        Require(IsPatchDump(m) && DecodeParameters(m) && m.back() == kSysExEnd, "found dumps decode");
        Require(std::all_of(m.begin() + 1, m.end() - 1, [](uint8_t b) { return b < 0x80; }),
                "only data bytes");
        Require(dump.offset + m.size() <= size, "found dumps inside the input");
        covered += m.size();
        CheckMessage(m);
    }
    Require(covered <= size, "no byte counted twice");
    std::ostringstream out;
    const bool json = size % 2 == 1; // both output forms of the console program
    const int listed = ListDumps("fuzz.syx", input, "", json, out, out);
    Require(listed == (contents.dumps.empty() ? kExitNoDump : kExitOk), "list status");
    const std::optional<int> patch =
        size > 2 ? std::optional<int>(data[0] | (data[1] & 0x3F) << 7) : std::nullopt;
    const int shown = ShowDump("fuzz.syx", input, patch, !json, out, out);
    Require(shown == kExitOk || shown == kExitNoDump, "show status");
    return 0;
}
