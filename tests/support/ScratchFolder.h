#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A folder of its own for a test's files, removed with the object.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ScratchFolder(const ScratchFolder&) = delete;
    ~ScratchFolder();

    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    void Write(const std::string& name, const std::vector<uint8_t>& data) const;
    std::vector<uint8_t> Read(const std::string& name) const;

    std::filesystem::path path;
};
