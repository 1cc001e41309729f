#include "app/LibraryFiles.h"

#include "engine/SysExConstants.h"
#include "tools/tavren-syx/SyxFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

// Far more than the 400 patches of the instrument (84 kB) and the files of other
// librarians; bigger files are no patch collection and are not read into memory.
constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;

void Add(SaveSelection& selection, const PatchSlot& slot) {
    ++selection.total;
    if (!slot.loaded || slot.dump.empty())
        return;
    selection.data.insert(selection.data.end(), slot.dump.begin(), slot.dump.end());
    ++selection.saved;
}

} // namespace

std::string Patches(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " patch" : " patches");
}

SaveSelection SelectBank(const std::vector<PatchSlot>& slots, int bank) {
    SaveSelection selection;
    if (!PatchBank::IsBank(bank))
        return selection;
    for (int program = 0; program < PatchBank::kPrograms; ++program) {
        const auto index = static_cast<std::size_t>(bank * PatchBank::kPrograms + program);
        Add(selection, index < slots.size() ? slots[index] : PatchSlot{});
    }
    return selection;
}

SaveSelection SelectAll(const std::vector<PatchSlot>& slots) {
    SaveSelection selection;
    for (const PatchSlot& slot : slots)
        Add(selection, slot);
    return selection;
}

SaveSelection SelectDumps(const std::vector<Bytes>& dumps) {
    SaveSelection selection;
    for (const Bytes& dump : dumps)
        Add(selection, PatchSlot{true, dump});
    return selection;
}

std::string SavedText(const SaveSelection& selection, const std::string& source,
                      const std::string& fileName) {
    const std::string of = source.empty() ? "" : " of " + source;
    if (selection.saved == 0)
        return "No patch" + of + " is loaded: nothing was saved.";
    return "Saved " + std::to_string(selection.saved) + " of " +
           Patches(static_cast<std::size_t>(selection.total)) + of + " to " + fileName + ".";
}

std::string SaveFailedText(const std::string& fileName, const std::string& reason) {
    return "Could not save " + fileName + ": " + reason + ".";
}

PatchFile ReadPatchFile(const Bytes& data) {
    SyxContents contents = ScanSyx(data);
    PatchFile file;
    file.skipped = contents.otherMessages + contents.shortDumps + contents.unterminated + contents.strayBytes;
    for (FoundDump& found : contents.dumps) {
        const int format = ReadFormatVersion(found.message).value_or(kFormatVersion6F);
        if (format < kFormatVersion6F)
            ++file.olderFormats[format];
        file.dumps.push_back(std::move(found.message));
    }
    return file;
}

std::vector<std::string> OpenedText(const PatchFile& file, const std::string& fileName) {
    if (file.dumps.empty())
        return {fileName + " holds no patch dump: nothing was opened."};
    std::string opened = "Opened " + fileName + ": " + Patches(file.dumps.size());
    if (file.skipped > 0)
        opened += ", " + std::to_string(file.skipped) + " other messages or bytes skipped";
    std::vector<std::string> lines = {opened + "."};
    for (const auto& [format, count] : file.olderFormats)
        lines.push_back(Patches(static_cast<std::size_t>(count)) + " in the older format " +
                        FormatText(format) + ".");
    return lines;
}

bool ReadFileBytes(const std::filesystem::path& path, Bytes& data, std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (size > kMaxFileSize) {
        error = "it is larger than 16 MB, too large for a patch file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    data.assign(static_cast<std::size_t>(size), 0);
    if (!in || !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size))) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

std::string DisplayName(const std::filesystem::path& path) {
    std::string name;
    const std::filesystem::path last = path.filename();
    for (auto c : last.native()) {
        const auto code = static_cast<std::uint32_t>(c); // a negative char becomes large
        name += code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '?';
    }
    return name;
}
