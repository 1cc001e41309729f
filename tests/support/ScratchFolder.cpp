#include "tests/support/ScratchFolder.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Starts a Linux program, which Wine does like a Windows one; true when it started.
bool RunLinux(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Wine's own conversion: drive letters and links resolved as its file system sees them.
std::wstring UnixPath(const fs::path& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(found));
    if (toUnix == nullptr)
        return L"";
    char* converted = toUnix(path.c_str());
    if (converted == nullptr)
        return L"";
    std::string text = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return std::wstring(text.begin(), text.end());
}

bool Refuses(const fs::path& folder) {
    const fs::path probe = folder / "probe";
    std::ofstream out(probe, std::ios::binary);
    const bool refused = !out;
    out.close();
    std::error_code ignored;
    fs::remove(probe, ignored);
    return refused;
}

// Wine does not wait for a Linux process to end: an attribute it sets comes when it comes.
bool WaitUntilRefuses(const fs::path& folder, bool refuses) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (Refuses(folder) == refuses)
            return true;
        Sleep(20);
    }
    return false;
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& name) : path(fs::temp_directory_path() / name) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    for (const fs::path& folder : immutable) {
        if (RunLinux(L"Z:\\usr\\bin\\chattr -i \"" + UnixPath(folder) + L"\""))
            WaitUntilRefuses(folder, false);
    }
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(path, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, ignored);
    fs::remove_all(path, ignored);
}

void ScratchFolder::Write(const std::string& name, const std::vector<uint8_t>& data) const {
    std::ofstream out(path / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
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
    const std::wstring unix = UnixPath(folder);
    if (unix.empty() || !RunLinux(L"Z:\\usr\\bin\\chattr +i \"" + unix + L"\""))
        return false;
    immutable.push_back(folder);
    return WaitUntilRefuses(folder, true);
}
