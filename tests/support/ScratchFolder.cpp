#include "tests/support/ScratchFolder.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Runs chattr with `flag` on `folder`: Wine starts a Linux program like a Windows one.
// Wine's own conversion gives the path as its file system sees it.
bool Chattr(const char* flag, const fs::path& folder) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    char* unix = found ? reinterpret_cast<ToUnix>(reinterpret_cast<void*>(found))(folder.c_str()) : nullptr;
    if (unix == nullptr)
        return false;
    std::string line = std::string("Z:\\usr\\bin\\chattr ") + flag + " \"" + unix + "\"";
    HeapFree(GetProcessHeap(), 0, unix);
    std::wstring command(line.begin(), line.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool Refuses(const fs::path& folder) {
    const bool refused = !std::ofstream(folder / "probe", std::ios::binary);
    std::error_code ignored;
    fs::remove(folder / "probe", ignored);
    return refused;
}

// Wine does not wait for a Linux process to end: an attribute it sets comes when it comes.
bool WaitUntilRefuses(const fs::path& folder, bool refuses) {
    for (int attempt = 0; attempt < 100 && Refuses(folder) != refuses; ++attempt)
        Sleep(20);
    return Refuses(folder) == refuses;
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& name) : path(fs::temp_directory_path() / name) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    for (const fs::path& folder : immutable) {
        if (Chattr("-i", folder))
            WaitUntilRefuses(folder, false);
    }
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(path, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, ignored);
    fs::remove_all(path, ignored);
}

void ScratchFolder::Write(const std::string& name, const std::vector<uint8_t>& data) const {
    std::ofstream(path / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::vector<uint8_t> ScratchFolder::Read(const std::string& name) const {
    std::ifstream in(path / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ScratchFolder::MakeReadOnlyFolder(const std::string& name) {
    const fs::path folder = path / name;
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (Refuses(folder))
        return true;
    if (!Chattr("+i", folder))
        return false;
    immutable.push_back(folder);
    return WaitUntilRefuses(folder, true);
}
