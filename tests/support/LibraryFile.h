#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A look into a library file from outside, as a user's sqlite3 would: each call opens
// the file, asks, and closes it again.
class LibraryFile {
  public:
    explicit LibraryFile(std::filesystem::path path) : path_(std::move(path)) {}
    // The first column of the first row as a number; -1 when there is none.
    int64_t Number(const std::string& sql) const;
    // The first column of every row as text.
    std::vector<std::string> Texts(const std::string& sql) const;

  private:
    std::filesystem::path path_;
};
