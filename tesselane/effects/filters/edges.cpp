#include "tesselane/effects/filters/edges.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "tesselane/image/fatal.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TESSELANE_EDGES_SSE2 1
#endif

namespace tesselane {
namespace {

constexpr std::size_t kPixelBytes = sizeof(Pixel);

// Writes the Laplacian of the interior bytes of one row, whose original rows above, here and
// below are given, into out (which may be the image's own row: none of the inputs is). Bytes
// are channels in R, G, B, A order; arithmetic on bytes wraps modulo 256, and alpha bytes get 0.
void laplacianRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                  std::size_t bytes) {
    const std::size_t end = bytes - kPixelBytes;
    std::size_t i = kPixelBytes;
#if defined(TESSELANE_EDGES_SSE2)
    const auto load = [](const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    const __m128i colours = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 16 <= end; i += 16) {
        const __m128i c = load(here + i);
        const __m128i twice = _mm_add_epi8(c, c);
        const __m128i four = _mm_add_epi8(twice, twice);
        __m128i v = _mm_add_epi8(four, four);
        const __m128i left =
            _mm_add_epi8(_mm_add_epi8(load(above + i - kPixelBytes), load(here + i - kPixelBytes)),
                         load(below + i - kPixelBytes));
        const __m128i middle = _mm_add_epi8(load(above + i), load(below + i));
        const __m128i right =
            _mm_add_epi8(_mm_add_epi8(load(above + i + kPixelBytes), load(here + i + kPixelBytes)),
                         load(below + i + kPixelBytes));
        v = _mm_sub_epi8(v, _mm_add_epi8(_mm_add_epi8(left, middle), right));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(v, colours));
    }
#endif
    for (; i < end; ++i) {
        const std::size_t l = i - kPixelBytes;
        const std::size_t r = i + kPixelBytes;
        const int32_t v = 8 * here[i] - above[l] - above[i] - above[r] - here[l] - here[r] -
                          below[l] - below[i] - below[r];
        out[i] = i % kPixelBytes == kPixelBytes - 1 ? 0 : static_cast<uint8_t>(v & 0xFF);
    }
}

}  // namespace

void laplacianEdges(Image& image) {
    const int32_t width = image.width;
    const int32_t height = image.height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kPixelBytes;
    auto* bytes = reinterpret_cast<uint8_t*>(image.pixels.get());
    const auto row = [&](int32_t y) { return bytes + static_cast<std::size_t>(y) * rowBytes; };
    if (width >= 3 && height >= 3) {
        // The original rows y - 1 and y, which row y's results need after they are overwritten;
        // row y + 1 is still untouched in the image.
        PixelArray saved = allocatePixels(2 * static_cast<std::size_t>(width));
        if (!saved) failAllocating();
        auto* above = reinterpret_cast<uint8_t*>(saved.get());
        auto* here = above + rowBytes;
        std::memcpy(above, row(0), rowBytes);
        for (int32_t y = 1; y < height - 1; ++y) {
            std::memcpy(here, row(y), rowBytes);
            uint8_t* out = row(y);
            laplacianRow(above, here, row(y + 1), out, rowBytes);
            std::memset(out, 0, kPixelBytes);
            std::memset(out + rowBytes - kPixelBytes, 0, kPixelBytes);
            std::swap(above, here);
        }
        std::memset(row(0), 0, rowBytes);
        std::memset(row(height - 1), 0, rowBytes);
    } else {
        std::memset(bytes, 0, static_cast<std::size_t>(image.pixelCount) * kPixelBytes);
    }
}

}  // namespace tesselane
