#include "tesselane/image/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "tesselane/image/pixel.h"

namespace tesselane {
namespace {

[[noreturn]] void endProcess(const char* message, const char* detail) {
    std::fputs(message, stdout);
    if (detail != nullptr) std::fputs(detail, stdout);
    std::fflush(stdout);
    std::exit(-1);
}

}  // namespace

void failAllocating() { endProcess("Error allocating image.", nullptr); }

void failLoading(const char* path) {
    endProcess("Error loading image: ", path != nullptr ? path : "(null)");
}

int32_t checkedPixelCount(int32_t width, int32_t height) {
    if (width < 1 || height < 1) failAllocating();
    const int64_t count = int64_t{width} * int64_t{height};
    if (count > INT32_MAX) failAllocating();
    if (static_cast<uint64_t>(count) > SIZE_MAX / sizeof(Pixel)) failAllocating();
    return static_cast<int32_t>(count);
}

}  // namespace tesselane
