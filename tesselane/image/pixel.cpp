#include "tesselane/image/pixel.h"

#include <cstdlib>

#if defined(_WIN32)
#include <malloc.h>
#elif defined(__linux__)
#include <sys/mman.h>
#endif

namespace tesselane {
namespace {

// Arrays from 4 MiB on are aligned to 2 MiB and offered to transparent huge pages: a first
// touch then faults in 2 MiB at a time instead of 4 KiB, which makes fresh pictures cheap.
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeThreshold = size_t{4} << 20;

void* alignedAllocate(size_t alignment, size_t bytes) {
#if defined(_WIN32)
    return _aligned_malloc(bytes, alignment);
#else
    void* memory = nullptr;
    if (posix_memalign(&memory, alignment, bytes) != 0) return nullptr;
    return memory;
#endif
}

}  // namespace

void PixelArrayDeleter::operator()(Pixel* pixels) const noexcept {
#if defined(_WIN32)
    _aligned_free(pixels);
#else
    std::free(pixels);
#endif
}

PixelArray allocatePixels(size_t count) {
    if (count == 0 || count > SIZE_MAX / sizeof(Pixel)) return PixelArray();
    size_t bytes = count * sizeof(Pixel);
    size_t alignment = 64;
    if (bytes >= kHugeThreshold && bytes <= SIZE_MAX - kHugePage) {
        alignment = kHugePage;
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }
    void* memory = alignedAllocate(alignment, bytes);
    if (memory == nullptr) return PixelArray();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (alignment == kHugePage) madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    return PixelArray(static_cast<Pixel*>(memory));
}

}  // namespace tesselane
