#include "tests/support/ScratchFolder.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Runs chattr with `flag` on `folder` (Wine starts a Linux program like a Windows one)
// and waits until the folder refuses new files, or takes them again: Wine does not wait
// for a Linux process to end.
bool Chattr(const char* flag, const fs::path& folder) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    char* unix = found ? reinterpret_cast<ToUnix>(reinterpret_cast<void*>(found))(folder.c_str()) : nullptr;
    if (unix == nullptr)
        return false;
    const std::string line = std::string("Z:\\usr\\bin\\chattr ") + flag + " \"" + unix + "\"";
    HeapFree(GetProcessHeap(), 0, unix);
    std::wstring command(line.begin(), line.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const auto refuses = [&folder] {
        const bool refused = !std::ofstream(folder / "probe");
        std::error_code ignored;
        fs::remove(folder / "probe", ignored);
        return refused;
    };
    for (int attempt = 0; attempt < 100 && refuses() != (flag[0] == '+'); ++attempt)
        Sleep(20);
    return refuses() == (flag[0] == '+');
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& name) : path(fs::temp_directory_path() / name) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    for (const fs::path& folder : immutable)
        Chattr("-i", folder);
    std::error_code ignored;
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
    if (!std::ofstream(folder / "probe"))
        return true;
    fs::remove(folder / "probe");
    immutable.push_back(folder);
    return Chattr("+i", folder);
}
