#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tesselane {

// Where replaceFile's producer writes the file's bytes, in order.
class FileSink {
  public:
    // Appends size bytes; false once anything has failed (a full disk, a size limit).
    bool write(const uint8_t* data, size_t size);

  private:
    friend bool replaceFile(const char*, const std::function<bool(FileSink&)>&);
    explicit FileSink(intptr_t handle) : handle_(handle) {}
    intptr_t handle_;
    bool failed_ = false;
};

// Writes a whole file through produce and puts it at path only once it is complete: the
// bytes go to a file in path's directory that has no name (or a temporary name) until
// they are all written, then it is renamed over path. False when produce returns false or
// anything fails; no partial file is then left and a file that was at path is unchanged.
// Exceeding the process's file size limit fails the write instead of ending the process.
bool replaceFile(const char* path, const std::function<bool(FileSink&)>& produce);

}  // namespace tesselane
