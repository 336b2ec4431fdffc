#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace tesselane {

// Prints "Error allocating image." on standard output, without a line break, and ends the
// process with exit code -1. The one way the library reports a size it cannot build.
[[noreturn]] void failAllocating();

// Prints "Error loading image: " and the path (or "(null)") on standard output, without a
// line break, and ends the process with exit code -1.
[[noreturn]] void failLoading(const char* path);

// width x height as a pixel count, or failAllocating() when either is below 1, when the
// count does not fit in int32_t, or when its byte size does not fit in size_t.
int32_t checkedPixelCount(int32_t width, int32_t height);

// Runs work and returns what it returns; working memory that cannot be had on the way
// (std::bad_alloc, or std::length_error for a buffer beyond what the address space can hold)
// ends the process through failAllocating, as a picture that cannot be had does.
template <typename Work>
auto endingOnExhaustion(Work&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        failAllocating();
    } catch (const std::length_error&) {
        failAllocating();
    }
}

}  // namespace tesselane
