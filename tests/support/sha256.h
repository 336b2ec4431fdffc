#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tesselane::testing {

// SHA-256, fed in pieces: update() any number of times, then hexDigest() once.
class Sha256 {
  public:
    Sha256();
    void update(const void* data, size_t size);
    // The 64 lower-case hex digits of the digest. Ends the hashing: call update() no more.
    std::string hexDigest();

  private:
    void compress(const uint8_t* block);

    uint32_t state_[8];
    uint8_t block_[64];
    size_t blockLength_ = 0;
    uint64_t totalBytes_ = 0;
};

// The hex SHA-256 of size bytes at data.
std::string sha256Hex(const void* data, size_t size);

}  // namespace tesselane::testing
