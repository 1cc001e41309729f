#include "tests/support/ScratchFolder.h"

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& name) : path(fs::temp_directory_path() / name) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, ignored); // read-only files too
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
