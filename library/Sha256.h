#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// SHA-256 (FIPS 180-4) over bytes given in any number of pieces; the library's
// fingerprints are its digests in lowercase hexadecimal.
class Sha256 {
  public:
    Sha256();
    // Adds `size` bytes to the message.
    void Update(const uint8_t* data, std::size_t size);
    void Update(const std::vector<uint8_t>& data) { Update(data.data(), data.size()); }
    // The digest of everything added; the object is spent afterwards.
    std::array<uint8_t, 32> Finish();
    // The digest of `data` as 64 lowercase hexadecimal digits.
    static std::string Hex(const std::vector<uint8_t>& data);

  private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_ = {};
    std::size_t buffered_ = 0;
    uint64_t length_ = 0; // bytes added
};
