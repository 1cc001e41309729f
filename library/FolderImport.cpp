#include "library/FolderImport.h"

#include "app/LibraryFiles.h"
#include "library/PatchLibrary.h"

#include <algorithm>
#include <cctype>

namespace fs = std::filesystem;

namespace {

bool IsSyxFile(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".syx";
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

FolderImport::FolderImport(const fs::path& folder) {
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        std::error_code ignored;
        if (walk->is_regular_file(ignored) && IsSyxFile(walk->path()))
            files_.push_back(walk->path());
    }
    std::sort(files_.begin(), files_.end());
}

bool FolderImport::Step(PatchLibrary& library, std::chrono::milliseconds budget) {
    // The files of one slice go in together, in one transaction: whole files or none.
    const auto end = std::chrono::steady_clock::now() + budget;
    std::vector<PatchLibrary::Seen> seen;
    std::size_t read = 0, last = next_;
    while (last < files_.size()) {
        const fs::path& file = files_[last++];
        Bytes data;
        std::string reason;
        if (!ReadFileBytes(file, data, reason)) {
            ++unreadable;
        } else if (PatchFile patchFile = ReadPatchFile(data); patchFile.dumps.empty()) {
            ++notPatchFiles;
        } else {
            read += patchFile.dumps.size();
            seen.push_back({std::move(patchFile.dumps), file.u8string()});
        }
        if (std::chrono::steady_clock::now() >= end)
            break;
    }
    if (!seen.empty()) {
        const std::optional<int> inserted = library.Record(seen, PatchLibrary::Now());
        if (!inserted) {
            failed_ = true;
            return false;
        }
        added += static_cast<std::size_t>(*inserted);
    }
    patches += read;
    next_ = last;
    return true;
}

std::string FolderImport::ProgressText() const {
    return "Importing: " + std::to_string(next_) + " of " + Plural(files_.size(), "file", "files") + ".";
}

std::string FolderImport::SummaryText(bool cancelled) const {
    std::string text = cancelled ? "Import cancelled after " + std::to_string(next_) + " of " +
                                       Plural(files_.size(), "file", "files") + ": "
                                 : "Imported " + Plural(files_.size(), "file", "files") + ": ";
    text += Plural(patches, "patch", "patches") + ", " + std::to_string(added) + " new";
    if (notPatchFiles > 0)
        text += "; " + Plural(notPatchFiles, "file held", "files held") + " no patch";
    if (unreadable > 0)
        text += "; " + Plural(unreadable, "file", "files") + " could not be read";
    return text + ".";
}
