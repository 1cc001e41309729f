#include "engine/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::FILE* OpenForWriting(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

// A rename is only safe once the data it points to has reached the disk; otherwise a
// power cut can leave an empty file where the old one was.
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

std::string Reason(int error) {
    return std::strerror(error);
}

// "<name>.<16 hex digits>.tmp" beside the target, a name no other writer picks.
fs::path TemporaryName(const fs::path& path) {
    static std::mt19937_64 random{std::random_device{}()};
    for (;;) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
        fs::path candidate = path;
        candidate += suffix;
        std::error_code ignored;
        if (!fs::exists(fs::symlink_status(candidate, ignored)))
            return candidate;
    }
}

WriteResult Failed(const fs::path& temporary, std::string reason) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return {std::move(reason)};
}

} // namespace

WriteResult WriteFileAtomically(const fs::path& path, const std::vector<uint8_t>& data) {
    if (!path.has_filename())
        return {"no file name given"};
    std::error_code ec;
    const fs::file_status existing = fs::status(path, ec);
    if (fs::is_directory(existing))
        return {"it is a folder"};
    // Windows refuses to replace a read-only file, POSIX systems and Wine do not; the
    // user who marked it read-only meant it everywhere.
    if (fs::exists(existing) && (existing.permissions() & fs::perms::owner_write) == fs::perms::none)
        return {"the file is read-only"};

    const fs::path temporary = TemporaryName(path);
    std::FILE* file = OpenForWriting(temporary);
    if (!file)
        return {"cannot create a file there: " + Reason(errno)};
    errno = 0;
    bool failed = !data.empty() && std::fwrite(data.data(), 1, data.size(), file) != data.size();
    failed = failed || std::fflush(file) != 0 || !SyncToDisk(file);
    int error = errno;
    if (std::fclose(file) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (failed)
        return Failed(temporary, "cannot write the data: " + Reason(error ? error : EIO));

    // Over an existing file this replaces it in one step: rename(2) on POSIX systems,
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING in the Windows runtime library.
    fs::rename(temporary, path, ec);
    if (ec)
        return Failed(temporary, "cannot replace the file: " + ec.message());
    return {};
}
