#include "tesselane/effects/filters/convolve.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "tesselane/image/colour.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TESSELANE_FILTERS_SSE2 1
#endif

namespace tesselane {
namespace {

// The built-in weights are k / 256 with k in 0..256. For such a weight, scaleChannel(c, k / 256)
// is floor(c * k / 256 + 0.5) with every step exact in double, which is (c * k + 128) >> 8: the
// filters below work on those k ("units") in integers, with the same results.
using Units = std::array<int32_t, 25>;

constexpr int32_t unitsOf(double weight) {
    for (int32_t k = 0; k <= 256; ++k) {
        if (k / 256.0 == weight) return k;
    }
    return -1;
}

constexpr Units unitsOfKernel(const Kernel& kernel) {
    Units units{};
    for (std::size_t i = 0; i < units.size(); ++i) units[i] = unitsOf(kernel[i]);
    return units;
}

constexpr bool allInUnits(const Units& units) {
    for (int32_t k : units) {
        if (k < 0) return false;
    }
    return true;
}

template <int32_t Kind>
struct BuiltIn;
template <>
struct BuiltIn<2> {
    static constexpr Units units = unitsOfKernel(KernelBox2x2);
};
template <>
struct BuiltIn<3> {
    static constexpr Units units = unitsOfKernel(KernelBinomial3x3);
};
template <>
struct BuiltIn<4> {
    static constexpr Units units = unitsOfKernel(KernelSmooth4x4);
};
template <>
struct BuiltIn<5> {
    static constexpr Units units = unitsOfKernel(KernelBinomial5x5);
};
static_assert(allInUnits(BuiltIn<2>::units) && allInUnits(BuiltIn<3>::units) &&
                  allInUnits(BuiltIn<4>::units) && allInUnits(BuiltIn<5>::units),
              "every built-in weight is a whole number of 256ths in 0..1");

constexpr int32_t unitAt(const Units& units, int32_t dx, int32_t dy) {
    return units[static_cast<std::size_t>(5 * (dx + 2) + (dy + 2))];
}

// scaleChannel(c, k / 256) for k in 0..256.
inline int32_t scaled(uint8_t c, int32_t k) { return (int32_t{c} * k + 128) >> 8; }

inline uint8_t saturated(int32_t sum) { return static_cast<uint8_t>(std::min(sum, 255)); }

// Coordinate of a neighbour along one axis: the centre's own when the neighbour lies outside.
inline int32_t neighbour(int32_t centre, int32_t offset, int32_t size) {
    const int64_t n = int64_t{centre} + offset;
    return n < 0 || n >= size ? centre : static_cast<int32_t>(n);
}

inline std::size_t indexOf(int32_t x, int32_t y, int32_t width) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

// The convolution of (x, y) anywhere in the picture, borders included.
template <int32_t Kind>
Pixel smoothedAnywhere(const Pixel* pixels, int32_t width, int32_t height, int32_t x, int32_t y) {
    constexpr const Units& units = BuiltIn<Kind>::units;
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    for (int32_t dx = -2; dx <= 2; ++dx) {
        const int32_t nx = neighbour(x, dx, width);
        for (int32_t dy = -2; dy <= 2; ++dy) {
            const int32_t k = unitAt(units, dx, dy);
            if (k == 0) continue;
            const Pixel p = pixels[indexOf(nx, neighbour(y, dy, height), width)];
            r += scaled(p.r, k);
            g += scaled(p.g, k);
            b += scaled(p.b, k);
        }
    }
    return Pixel{saturated(r), saturated(g), saturated(b), 255};
}

// lerpChannel(s, o, 1.5): -0.5 s + 1.5 o + 0.5 is exact in double, so its floor is
// (3 o - s + 1) >> 1, taken here on a value made positive by adding 256.
inline uint8_t sharpenedChannel(uint8_t s, uint8_t o) {
    const int32_t v = ((3 * int32_t{o} - int32_t{s} + 257) >> 1) - 128;
    return static_cast<uint8_t>(std::min(std::max(v, 0), 255));
}

inline Pixel sharpenedPixel(Pixel s, Pixel o) {
    return Pixel{sharpenedChannel(s.r, o.r), sharpenedChannel(s.g, o.g), sharpenedChannel(s.b, o.b),
                 sharpenedChannel(s.a, o.a)};
}

#if defined(TESSELANE_FILTERS_SSE2)

inline __m128i scaledLanes(__m128i values, __m128i units) {
    const __m128i rounding = _mm_set1_epi16(128);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(values, units), rounding), 8);
}

inline __m128i unitLanes(int32_t low, int32_t high) {
    const auto l = static_cast<short>(low);
    const auto h = static_cast<short>(high);
    return _mm_set_epi16(h, h, h, h, l, l, l, l);
}

// The rounded contributions of row y + Dy, pixels x - 2..x + 2, as 16-bit lanes: two pixels of
// four channels per register, summed into acc.
template <int32_t Kind, int32_t Dy>
inline __m128i addRow(__m128i acc, const Pixel* centre, std::ptrdiff_t width) {
    constexpr const Units& units = BuiltIn<Kind>::units;
    constexpr int32_t left2 = unitAt(units, -2, Dy);
    constexpr int32_t left1 = unitAt(units, -1, Dy);
    constexpr int32_t mid = unitAt(units, 0, Dy);
    constexpr int32_t right1 = unitAt(units, 1, Dy);
    constexpr int32_t right2 = unitAt(units, 2, Dy);
    const Pixel* row = centre + Dy * width;
    const __m128i zero = _mm_setzero_si128();
    if constexpr (left2 != 0 || left1 != 0 || mid != 0 || right1 != 0) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row - 2));
        if constexpr (left2 != 0 || left1 != 0) {
            const __m128i lanes = _mm_unpacklo_epi8(four, zero);
            acc = _mm_add_epi16(acc, scaledLanes(lanes, unitLanes(left2, left1)));
        }
        if constexpr (mid != 0 || right1 != 0) {
            const __m128i lanes = _mm_unpackhi_epi8(four, zero);
            acc = _mm_add_epi16(acc, scaledLanes(lanes, unitLanes(mid, right1)));
        }
    }
    if constexpr (right2 != 0) {
        int32_t bits = 0;
        std::memcpy(&bits, row + 2, sizeof bits);
        const __m128i lanes = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bits), zero);
        acc = _mm_add_epi16(acc, scaledLanes(lanes, unitLanes(right2, 0)));
    }
    return acc;
}

// Sums of the 25 rounded contributions for a pixel at least two pixels inside every edge, in
// lanes 0..3 (R, G, B, A; each at most 25 x 255, so 16 bits hold them).
template <int32_t Kind>
inline __m128i interiorSums(const Pixel* centre, std::ptrdiff_t width) {
    __m128i acc = _mm_setzero_si128();
    acc = addRow<Kind, -2>(acc, centre, width);
    acc = addRow<Kind, -1>(acc, centre, width);
    acc = addRow<Kind, 0>(acc, centre, width);
    acc = addRow<Kind, 1>(acc, centre, width);
    acc = addRow<Kind, 2>(acc, centre, width);
    return _mm_add_epi16(acc, _mm_srli_si128(acc, 8));
}

inline __m128i pixelLanes(const Pixel* p) {
    int32_t bits = 0;
    std::memcpy(&bits, p, sizeof bits);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(bits), _mm_setzero_si128());
}

inline void storeLanes(Pixel* p, __m128i lanes, uint32_t orBits) {
    const uint32_t bits =
        static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes))) | orBits;
    std::memcpy(static_cast<void*>(p), &bits, sizeof bits);
}

constexpr uint32_t kOpaqueBits = 0xFF000000u;  // alpha, the fourth byte in memory

template <int32_t Kind, bool Sharpen>
inline void filterInterior(Pixel* centre, std::ptrdiff_t width) {
    const __m128i sums = interiorSums<Kind>(centre, width);
    if constexpr (!Sharpen) {
        // packus clamps each sum to 255; alpha is stored as 255.
        storeLanes(centre, sums, kOpaqueBits);
    } else {
        // Smoothed value: sums clamped to 255, alpha 255 (forced by setting its low bits).
        const __m128i s = _mm_min_epi16(_mm_or_si128(sums, _mm_set_epi16(0, 0, 0, 0, 255, 0, 0, 0)),
                                        _mm_set1_epi16(255));
        const __m128i o = pixelLanes(centre);
        const __m128i threeO = _mm_add_epi16(o, _mm_add_epi16(o, o));
        const __m128i v = _mm_sub_epi16(_mm_add_epi16(threeO, _mm_set1_epi16(257)), s);
        storeLanes(centre, _mm_sub_epi16(_mm_srli_epi16(v, 1), _mm_set1_epi16(128)), 0u);
    }
}

#endif

// Visits every pixel once, in an order that gives the result of column order (x outer, y inner)
// for an in-place filter whose pixel (x, y) reads only positions (x + dx, y + dy) with |dx| and
// |dy| at most 2. Strips of kStrip columns go left to right; within a strip, step t has column
// x0 + j handle row t - 3j. What (x, y) reads left of its column (rows up to y + 2) and above it
// in its column was visited in an earlier step; what it reads right of its column (rows from
// y - 2) and below it comes in a later step; so it sees exactly the values column order gives,
// and the pixels of one step never read each other. A step touches about 3 x kStrip rows, which
// stay in the cache for the next steps, and a stored pixel is read again only a step later.
template <class Visit>
void visitLikeColumnOrder(int32_t width, int32_t height, Visit&& visit) {
    constexpr int64_t kStrip = 32;
    constexpr int64_t kLag = 3;
    for (int64_t x0 = 0; x0 < width; x0 += kStrip) {
        const int64_t columns = std::min<int64_t>(kStrip, width - x0);
        const int64_t lastStep = (height - 1) + kLag * (columns - 1);
        for (int64_t t = 0; t <= lastStep; ++t) {
            const int64_t first = t < height ? 0 : (t - height + kLag) / kLag;
            const int64_t last = std::min(columns - 1, t / kLag);
            for (int64_t j = first; j <= last; ++j) {
                visit(static_cast<int32_t>(x0 + j), static_cast<int32_t>(t - kLag * j));
            }
        }
    }
}

// Pixels at least two inside every edge never need a neighbour replaced and take the vector
// path; the frame, and every pixel where SSE2 is missing, take the scalar one.
template <int32_t Kind, bool Sharpen>
void filterBuiltIn(Image& image) {
    Pixel* pixels = image.pixels.get();
    const int32_t width = image.width;
    const int32_t height = image.height;
    visitLikeColumnOrder(width, height, [&](int32_t x, int32_t y) {
        Pixel* centre = pixels + indexOf(x, y, width);
#if defined(TESSELANE_FILTERS_SSE2)
        if (x >= 2 && y >= 2 && x < width - 2 && y < height - 2) {
            filterInterior<Kind, Sharpen>(centre, width);
            return;
        }
#endif
        const Pixel s = smoothedAnywhere<Kind>(pixels, width, height, x, y);
        *centre = Sharpen ? sharpenedPixel(s, *centre) : s;
    });
}

template <bool Sharpen>
void filterByKind(Image& image, int32_t kind) {
    if (kind <= 1) return;  // no kernel; the sharpening blend of a pixel with itself keeps it
    switch (kind) {
        case 2:
            filterBuiltIn<2, Sharpen>(image);
            break;
        case 3:
            filterBuiltIn<3, Sharpen>(image);
            break;
        case 4:
            filterBuiltIn<4, Sharpen>(image);
            break;
        default:
            filterBuiltIn<5, Sharpen>(image);
            break;
    }
}

}  // namespace

void convolveAt(Image& image, int32_t x, int32_t y, const Kernel& kernel) {
    if (!image.inBounds(x, y)) return;
    Pixel a{0, 0, 0, 255};
    for (int32_t dx = -2; dx <= 2; ++dx) {
        const int32_t nx = neighbour(x, dx, image.width);
        for (int32_t dy = -2; dy <= 2; ++dy) {
            const double weight = kernel[static_cast<std::size_t>(5 * (dx + 2) + (dy + 2))];
            a = addPixels(a, scalePixel(image.pixelAt(nx, neighbour(y, dy, image.height)), weight));
        }
    }
    image.pixelAt(x, y) = a;
}

void convolveKernel(Image& image, int32_t kind) { filterByKind<false>(image, kind); }

void sharpen(Image& image, int32_t kind) { filterByKind<true>(image, kind); }

}  // namespace tesselane
