#include "tools/tavren-syx/SyxTool.h"

#include "controls/UnitFormat.h"
#include "engine/AtomicFile.h"
#include "engine/ParameterTable.h"
#include "engine/PatchEdit.h"
#include "engine/PatchSettings.h"
#include "engine/SysExConstants.h"
#include "tools/tavren-syx/SyxFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>

namespace {

// Files larger than this are no collection of patches; refusing them keeps memory bounded.
constexpr std::streamoff kMaxFileSize = 256 * 1024 * 1024;

const char* const kUsage = "usage: tavren-syx list [--json] FILE...\n"
                           "       tavren-syx show [--json] [--patch N] FILE\n"
                           "       tavren-syx split FILE DIR\n"
                           "       tavren-syx join OUT FILE...\n"
                           "N is bank x 100 + program. split writes each patch dump of FILE to a file\n"
                           "of its own in DIR, named like '0-07 Mini Lead.syx'; join writes the dumps\n"
                           "of the FILEs, in the order given, into OUT.\n";

// A name longer than any the instrument gives (15 characters) is cut here, far below
// what file systems allow.
constexpr std::size_t kMaxNameInFileName = 40;

// Names are taken from the dump unchanged; control characters would break the
// line-per-dump output, so they are written as escapes.
std::string TextEscaped(const std::string& s) {
    std::string result;
    for (unsigned char c : s) {
        if (c == '\\') {
            result += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            result += buffer;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result;
}

std::string JsonString(const std::string& s) {
    std::string result = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", c);
            result += buffer;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result + "\"";
}

std::string FormatHex(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02X", value & 0xFF);
    return buffer;
}

// The value texts of the kinds used here are plain ASCII.
std::string ValueText(int unitKind, int value) {
    std::string text;
    for (const wchar_t* p = FormatUnitValue(unitKind, value); p && *p; ++p)
        text += *p < 0x80 ? static_cast<char>(*p) : '?';
    return text;
}

void ReportSkipped(const std::string& fileName, const SyxContents& contents, std::ostream& err) {
    if (!contents.SkippedAnything())
        return;
    err << "tavren-syx: " << fileName << ": skipped";
    const char* separator = " ";
    auto part = [&](std::size_t count, const char* what) {
        if (count) {
            err << separator << count << ' ' << what;
            separator = ", ";
        }
    };
    part(contents.otherMessages, "other SysEx message(s)");
    part(contents.shortDumps, "dump(s) too short to decode");
    part(contents.unterminated, "message(s) without F7");
    part(contents.strayBytes, "byte(s) outside SysEx messages");
    part(contents.realTimeBytes, "real-time byte(s) inside SysEx messages");
    err << '\n';
}

struct DumpSummary {
    int number, bank, program, format;
    std::size_t length;
    std::string name;
};

DumpSummary Summarize(const Bytes& dump) {
    DumpSummary s{};
    s.number = ReadPatchNumber(dump).value_or(0);
    s.bank = s.number / kProgramsPerBank;
    s.program = s.number % kProgramsPerBank;
    s.format = ReadFormatVersion(dump).value_or(-1);
    s.length = dump.size();
    s.name = ReadPatchName(dump);
    return s;
}

bool ReadFile(const std::string& path, Bytes& data, std::ostream& err) {
    // A folder opens like a file on some systems and then claims an absurd size.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        err << "tavren-syx: cannot read " << path << ": it is a folder\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        err << "tavren-syx: cannot read " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0) {
        err << "tavren-syx: cannot read " << path << ": not a regular file\n";
        return false;
    }
    if (size > kMaxFileSize) {
        err << "tavren-syx: " << path << ": file too large (" << size << " bytes)\n";
        return false;
    }
    data.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) {
        err << "tavren-syx: cannot read " << path << '\n';
        return false;
    }
    return true;
}

// A patch number as two 7-bit bytes can carry: decimal digits only, 0 to 16383.
std::optional<int> ParsePatchNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int n = std::stoi(text);
    if (n > kHighestPatchNumber)
        return std::nullopt;
    return n;
}

int BadArgument(const std::string& message, std::ostream& err) {
    err << "tavren-syx: " << message << " (try tavren-syx --help)\n";
    return kExitBadInput;
}

// Bytes of a .syx file as a path names them: bank, program and name.
std::string DumpLabel(const Bytes& dump) {
    const DumpSummary s = Summarize(dump);
    return std::to_string(s.bank) + ":" + std::to_string(s.program) + " " + TextEscaped(s.name);
}

// Windows matches file names without regard to case, so "(2)" is added for both systems alike.
std::string Lowercase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

std::string SplitFileName(const Bytes& dump) {
    const DumpSummary s = Summarize(dump);
    std::string name;
    for (unsigned char c : s.name.substr(0, kMaxNameInFileName)) {
        const bool printable = c >= 0x20 && c < 0x7F;
        name += printable && !std::strchr("<>:\"/\\|?*", c) ? static_cast<char>(c) : '_';
    }
    // Windows drops trailing dots and spaces from a name; they are cut here so that the
    // name reads the same everywhere. The number in front keeps the file name from ever
    // being a reserved device name such as CON or NUL.
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    char number[32];
    std::snprintf(number, sizeof number, "%d-%02d", s.bank, s.program);
    return std::string(number) + (name.empty() ? "" : " " + name) + ".syx";
}

int SplitDumps(const std::string& fileName, const Bytes& data, const std::string& dir, std::ostream& out,
               std::ostream& err) {
    const SyxContents contents = ScanSyx(data);
    ReportSkipped(fileName, contents, err);
    if (contents.dumps.empty()) {
        err << "tavren-syx: " << fileName << ": no patch dump found\n";
        return kExitNoDump;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        err << "tavren-syx: cannot create folder " << dir << ": "
            << (ec ? ec.message() : "a file has that name") << '\n';
        return kExitBadInput;
    }
    // Two dumps of one slot in a file must not overwrite each other.
    std::set<std::string> taken;
    for (const FoundDump& found : contents.dumps) {
        std::string name = SplitFileName(found.message);
        const std::string stem = name.substr(0, name.size() - 4);
        for (int copy = 2; !taken.insert(Lowercase(name)).second; ++copy)
            name = stem + " (" + std::to_string(copy) + ").syx";
        const std::filesystem::path path = std::filesystem::path(dir) / name;
        const WriteResult written = WriteFileAtomically(path, found.message);
        if (!written) {
            err << "tavren-syx: cannot write " << path.string() << " (" << DumpLabel(found.message)
                << "): " << written.error << '\n';
            return kExitBadInput;
        }
        out << path.string() << '\n';
    }
    return kExitOk;
}

int JoinFiles(const std::string& outName, const std::vector<std::string>& files, std::ostream& out,
              std::ostream& err) {
    int status = kExitOk;
    Bytes joined;
    std::size_t count = 0;
    for (const std::string& file : files) {
        Bytes data;
        if (!ReadFile(file, data, err)) {
            status = kExitBadInput;
            continue;
        }
        const SyxContents contents = ScanSyx(data);
        ReportSkipped(file, contents, err);
        if (contents.dumps.empty()) {
            err << "tavren-syx: " << file << ": no patch dump found\n";
            status = std::max(status, kExitNoDump);
        }
        for (const FoundDump& found : contents.dumps)
            joined.insert(joined.end(), found.message.begin(), found.message.end());
        count += contents.dumps.size();
    }
    // A file that could not be read would be missing from the result without a trace.
    if (status == kExitBadInput) {
        err << "tavren-syx: " << outName << " not written\n";
        return status;
    }
    if (count == 0)
        return status;
    const WriteResult written = WriteFileAtomically(outName, joined);
    if (!written) {
        err << "tavren-syx: cannot write " << outName << ": " << written.error << '\n';
        return kExitBadInput;
    }
    out << "wrote " << count << " patch dump(s) to " << outName << '\n';
    return status;
}

const char* SyxToolUsage() {
    return kUsage;
}

int ListDumps(const std::string& fileName, const Bytes& data, const std::string& prefix, bool json,
              std::ostream& out, std::ostream& err) {
    const SyxContents contents = ScanSyx(data);
    for (const FoundDump& found : contents.dumps) {
        const DumpSummary s = Summarize(found.message);
        if (json) {
            out << "{\"file\":" << JsonString(fileName) << ",\"offset\":" << found.offset
                << ",\"bank\":" << s.bank << ",\"program\":" << s.program
                << ",\"name\":" << JsonString(s.name) << ",\"format\":" << s.format
                << ",\"length\":" << s.length << "}\n";
        } else {
            out << prefix << s.bank << '\t' << s.program << '\t' << TextEscaped(s.name) << '\t'
                << FormatHex(s.format) << '\t' << s.length << '\n';
        }
    }
    ReportSkipped(fileName, contents, err);
    if (contents.dumps.empty()) {
        err << "tavren-syx: " << fileName << ": no patch dump found\n";
        return kExitNoDump;
    }
    return kExitOk;
}

int ShowDump(const std::string& fileName, const Bytes& data, std::optional<int> patch, bool json,
             std::ostream& out, std::ostream& err) {
    const SyxContents contents = ScanSyx(data);
    const FoundDump* chosen = nullptr;
    for (const FoundDump& found : contents.dumps) {
        if (!patch || ReadPatchNumber(found.message) == patch) {
            chosen = &found;
            break;
        }
    }
    if (!chosen) {
        ReportSkipped(fileName, contents, err);
        if (patch)
            err << "tavren-syx: " << fileName << ": no patch dump numbered " << *patch << '\n';
        else
            err << "tavren-syx: " << fileName << ": no patch dump found\n";
        return kExitNoDump;
    }
    const std::optional<std::vector<DecodedValue>> values = DecodeParameters(chosen->message);
    const DumpSummary s = Summarize(chosen->message);
    if (json) {
        out << "{\"file\":" << JsonString(fileName) << ",\"offset\":" << chosen->offset
            << ",\"bank\":" << s.bank << ",\"program\":" << s.program << ",\"name\":" << JsonString(s.name)
            << ",\"format\":" << s.format << ",\"formatText\":" << JsonString(FormatText(s.format))
            << ",\"length\":" << s.length << ",\"parameters\":[";
    } else {
        // An older patch's values are shown as current firmware plays it.
        out << "format\t" << FormatText(s.format) << '\n';
    }
    const char* separator = "";
    for (const DecodedValue& v : values.value_or(std::vector<DecodedValue>())) {
        const ParameterRow* row = FindParameterRow(v.id);
        if (!row)
            continue;
        const std::string name = *row->name ? row->name : row->label;
        const std::string text =
            ValueText(row->kind == ControlKind::Knob ? kUnitInteger : kUnitOnOff, v.value);
        if (json) {
            out << separator << "{\"id\":" << v.id << ",\"name\":" << JsonString(name)
                << ",\"value\":" << v.value << ",\"text\":" << JsonString(text) << '}';
            separator = ",";
        } else {
            out << v.id << '\t' << name << '\t' << v.value << '\t' << text << '\n';
        }
    }
    // The settings without a knob, as the patch would be stored in the current format.
    const std::vector<uint8_t> stored = PatchEdit(chosen->message).Unpacked();
    separator = "";
    if (json)
        out << "],\"settings\":{";
    for (const SettingRow& row : SettingTable()) {
        const std::string text = SettingText(row, stored.data(), stored.size());
        if (json)
            out << separator << JsonString(row.name) << ':' << JsonString(text);
        else
            out << "setting\t" << row.name << '\t' << text << '\n';
        separator = ",";
    }
    if (json)
        out << "}}\n";
    return kExitOk;
}

int RunSyxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        return BadArgument("no command given", err);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kExitOk;
    }
    if (command != "list" && command != "show" && command != "split" && command != "join")
        return BadArgument("unknown command '" + command + "'", err);
    const bool reads = command == "list" || command == "show";

    bool json = false;
    std::optional<int> patch;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json" && reads) {
            json = true;
        } else if (arg == "--patch" && command == "show") {
            if (i + 1 >= args.size())
                return BadArgument("--patch needs a number", err);
            patch = ParsePatchNumber(args[++i]);
            if (!patch)
                return BadArgument("bad patch number '" + args[i] + "'", err);
        } else {
            return BadArgument("unknown option '" + arg + "'", err);
        }
    }
    if (files.empty())
        return BadArgument("no file given", err);
    if (command == "show" && files.size() > 1)
        return BadArgument("show takes one file", err);
    if (command == "split" && files.size() != 2)
        return BadArgument("split takes a file and a folder", err);
    if (command == "join") {
        if (files.size() < 2)
            return BadArgument("join takes the file to write and at least one file to read", err);
        return JoinFiles(files[0], std::vector<std::string>(files.begin() + 1, files.end()), out, err);
    }
    if (command == "split") {
        Bytes data;
        if (!ReadFile(files[0], data, err))
            return kExitBadInput;
        return SplitDumps(files[0], data, files[1], out, err);
    }

    int status = kExitOk;
    for (const std::string& file : files) {
        Bytes data;
        if (!ReadFile(file, data, err)) {
            status = kExitBadInput;
            continue;
        }
        const int result = command == "show"
                               ? ShowDump(file, data, patch, json, out, err)
                               : ListDumps(file, data, files.size() > 1 ? file + "\t" : "", json, out, err);
        status = std::max(status, result);
    }
    return status;
}
