#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tesselane {

// One RGBA pixel: red, green, blue and alpha bytes in that order, four bytes in all.
// Pixel{} is opaque black, (0, 0, 0, 255); Pixel{r, g, b, a} sets all four.
struct alignas(4) Pixel {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};
static_assert(sizeof(Pixel) == 4, "Pixel is four bytes");

// The value of every pixel of a blank picture, and of pixels a file or an operation leaves
// unset: transparent white.
constexpr Pixel kBlankPixel{255, 255, 255, 0};

inline bool operator==(Pixel p, Pixel q) {
    return p.r == q.r && p.g == q.g && p.b == q.b && p.a == q.a;
}
inline bool operator!=(Pixel p, Pixel q) { return !(p == q); }

// Releases an array from allocatePixels.
struct PixelArrayDeleter {
    void operator()(Pixel* pixels) const noexcept;
};

// An owned array of pixels, indexable as pixels[i].
using PixelArray = std::unique_ptr<Pixel[], PixelArrayDeleter>;

// A new array of count pixels whose values are unset: the caller writes every one before
// reading it. Large arrays are aligned so that the system can back them with huge pages.
// Null when count is 0, when its byte size does not fit in size_t, or when memory is short.
PixelArray allocatePixels(size_t count);

}  // namespace tesselane
