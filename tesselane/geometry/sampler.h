#pragma once

// The pieces of Image::sample, inline, for the geometric operations: they work out a column's
// or a row's share of a sample once (which pixels, which weights) and combine the two shares
// per pixel, with the very arithmetic Image::sample uses, so their results are its results;
// and a few helpers those operations share. Internal to tesselane/geometry; not part of the
// library's surface.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "tesselane/image/fatal.h"
#include "tesselane/image/image.h"
#include "tesselane/image/pixel.h"
#include "tesselane/image/real.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TESSELANE_GEOMETRY_SSE2 1
#endif

namespace tesselane::sampling {

constexpr Pixel kOpaqueWhite{255, 255, 255, 255};
constexpr Pixel kOpaqueBlack{0, 0, 0, 255};

// The range test on one axis: 0 <= v < size in double precision; false for NaN.
inline bool insideAxis(double v, int32_t size) { return v >= 0.0 && v < static_cast<double>(size); }

// floor(v), for a finite v whose floor lies in the int32_t range, from a guess within 1 of
// it: one step each way, without branches. Exact, since v is only compared with whole
// numbers, which convert to double exactly.
inline int32_t floorStep(double v, int32_t guess) {
    guess += static_cast<int32_t>(static_cast<double>(guess) + 1.0 <= v);
    guess -= static_cast<int32_t>(static_cast<double>(guess) > v);
    return guess;
}

// floor(v), for a finite v whose floor lies in the int32_t range, from a guess that is
// usually within 1 of it (the floor of a neighbouring position): floorStep, checked, and
// floorToInt32 when the guess was further off.
inline int32_t floorNear(double v, int32_t guess) {
    guess = floorStep(v, guess);
    if (static_cast<double>(guess) <= v && v < static_cast<double>(guess) + 1.0) return guess;
    return floorToInt32(v);
}

// floor(v) for 0 <= v < 2^51, kept in double precision and without branches (the part after
// the point is as likely under as over one half). Adding and taking away M = 1.5 x 2^52, where
// doubles lie one apart, rounds to a whole number exactly, ties to even: r = round(v); then
// d = v - r, in -0.5..0.5, is exact, and round(d - 0.5) is floor(d), -1 or 0 (the tie at
// d = 0 goes to the even 0).
inline double floorSmall(double v) {
    constexpr double kM = 6755399441055744.0;
    const double r = (v + kM) - kM;
    return r + (((v - r) - 0.5 + kM) - kM);
}

// scaleChannel(c, w) for a channel value c and a weight 0 <= w <= 1, kept as a double:
// floor(c * w + 0.5), in that order, which lies in 0..255 and so needs no clamp.
inline double scaleSmall(double c, double w) { return floorSmall(c * w + 0.5); }

// One axis of a Bilinear sample: the pair of columns (rows) and their weights, each in 0..1.
struct BilinearAxis {
    int32_t first;
    int32_t second;
    double firstWeight;
    double secondWeight;
};

// The pair for a position v with 0 <= v < size whose floor is v0. Inside, the pair is v0 and
// v0 + 1; in the last column (row) it moves one place back, to v0 - 1 and v0, with the weights
// as written. A picture one pixel across has no column before its last, so column 0 stands
// for both of the pair there: the result is the pixel scaled by 1 - v and by v, summed.
inline BilinearAxis bilinearAxis(double v, int32_t v0, int32_t size) {
    const double low = static_cast<double>(v0);
    if (v0 < size - 1) return BilinearAxis{v0, v0 + 1, static_cast<double>(v0 + 1) - v, v - low};
    return BilinearAxis{std::max(v0 - 1, 0), v0, (low - v) + 1.0, v - low};
}

// Bilinear sample from its two axes: four terms, each scaled by the column weight and then
// the row weight with rounding after each, summed and capped at 255, all four channels.
// kChecked also tells whether every rounding of the first scalings lies at least margin from
// a whole number, so that column weights off by less than margin / 255 give the same result;
// it returns false, with out unset, when one does not.
template <bool kChecked>
inline bool bilinearInto(const Image& image, const BilinearAxis& x, const BilinearAxis& y,
                         double margin, Pixel& out) {
    const size_t width = static_cast<size_t>(image.width);
    const Pixel* top = image.pixels.get() + static_cast<size_t>(y.first) * width;
    const Pixel* bottom = image.pixels.get() + static_cast<size_t>(y.second) * width;
    const double wl = x.firstWeight;
    const double wr = x.secondWeight;
    const double wt = y.firstWeight;
    const double wb = y.secondWeight;
    bool clear = true;
    // Each term as four channels side by side, which the compiler can take two at a time.
    double sum[4] = {0.0, 0.0, 0.0, 0.0};
    const auto term = [&](Pixel p, double column, double row) {
        const double c[4] = {static_cast<double>(p.r), static_cast<double>(p.g),
                             static_cast<double>(p.b), static_cast<double>(p.a)};
        for (int k = 0; k < 4; ++k) {
            const double v = c[k] * column + 0.5;
            const double first = floorSmall(v);
            if (kChecked) clear = clear && v - first >= margin && (first + 1.0) - v >= margin;
            sum[k] += scaleSmall(first, row);
        }
    };
    term(top[x.first], wl, wt);
    // A term with a zero weight is 0 whatever the pixel; sums of terms saturate in any order.
    if (wb != 0.0) term(bottom[x.first], wl, wb);
    if (wr != 0.0) term(top[x.second], wr, wt);
    if (wr != 0.0 && wb != 0.0) term(bottom[x.second], wr, wb);
    if (!clear) return false;
    const auto byte = [](double v) {
        return static_cast<uint8_t>(truncToInt32(std::min(v, 255.0)));
    };
    out = Pixel{byte(sum[0]), byte(sum[1]), byte(sum[2]), byte(sum[3])};
    return true;
}

inline Pixel bilinearPixel(const Image& image, const BilinearAxis& x, const BilinearAxis& y) {
    Pixel out;
    bilinearInto<false>(image, x, y, 0.0, out);
    return out;
}

#if defined(TESSELANE_GEOMETRY_SSE2)
// bilinearInto with two channels to a register, (R, G) and (B, A), the same arithmetic lane by
// lane. The floor is taken as in floorSmall but with a mask: round to whole by adding and
// taking away 1.5 x 2^52, then 1 off where that went up.
template <bool kChecked>
inline bool bilinearIntoWide(const Image& image, const BilinearAxis& x, const BilinearAxis& y,
                             double margin, Pixel& out) {
    const size_t width = static_cast<size_t>(image.width);
    const Pixel* top = image.pixels.get() + static_cast<size_t>(y.first) * width;
    const Pixel* bottom = image.pixels.get() + static_cast<size_t>(y.second) * width;
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d big = _mm_set1_pd(6755399441055744.0);
    const __m128d least = _mm_set1_pd(margin);
    const auto floorOf = [&](__m128d v) {
        const __m128d r = _mm_sub_pd(_mm_add_pd(v, big), big);
        return _mm_sub_pd(r, _mm_and_pd(_mm_cmpgt_pd(r, v), one));
    };
    __m128d sumRg = _mm_setzero_pd();
    __m128d sumBa = _mm_setzero_pd();
    __m128d clear = _mm_cmpeq_pd(sumRg, sumRg);
    const auto term = [&](Pixel p, double column, double row) {
        int32_t word;
        std::memcpy(&word, &p, sizeof word);
        const __m128i zero = _mm_setzero_si128();
        const __m128i channels =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
        const __m128d c[2] = {_mm_cvtepi32_pd(channels),
                              _mm_cvtepi32_pd(_mm_shuffle_epi32(channels, 0x0E))};
        __m128d* sums[2] = {&sumRg, &sumBa};
        const __m128d columnWeight = _mm_set1_pd(column);
        const __m128d rowWeight = _mm_set1_pd(row);
        for (int k = 0; k < 2; ++k) {
            const __m128d v = _mm_add_pd(_mm_mul_pd(c[k], columnWeight), half);
            const __m128d first = floorOf(v);
            if (kChecked) {
                clear = _mm_and_pd(clear, _mm_cmpge_pd(_mm_sub_pd(v, first), least));
                clear =
                    _mm_and_pd(clear, _mm_cmpge_pd(_mm_sub_pd(_mm_add_pd(first, one), v), least));
            }
            *sums[k] =
                _mm_add_pd(*sums[k], floorOf(_mm_add_pd(_mm_mul_pd(first, rowWeight), half)));
        }
    };
    const double wl = x.firstWeight;
    const double wr = x.secondWeight;
    const double wt = y.firstWeight;
    const double wb = y.secondWeight;
    term(top[x.first], wl, wt);
    if (wb != 0.0) term(bottom[x.first], wl, wb);
    if (wr != 0.0) term(top[x.second], wr, wt);
    if (wr != 0.0 && wb != 0.0) term(bottom[x.second], wr, wb);
    if (kChecked && _mm_movemask_pd(clear) != 3) return false;
    // Whole numbers in 0..255 after the cap, which the truncating conversion keeps exactly.
    const __m128d cap = _mm_set1_pd(255.0);
    const __m128i rgba = _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_min_pd(sumRg, cap)),
                                            _mm_cvttpd_epi32(_mm_min_pd(sumBa, cap)));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(rgba, rgba), rgba);
    uint32_t word;
    const int32_t packed = _mm_cvtsi128_si32(bytes);
    std::memcpy(&word, &packed, sizeof word);
    out = Pixel{static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
    return true;
}
#endif

// bilinearInto in the widest form at hand; Image::sample keeps the plain one.
template <bool kChecked>
inline bool bilinearIntoFast(const Image& image, const BilinearAxis& x, const BilinearAxis& y,
                             double margin, Pixel& out) {
#if defined(TESSELANE_GEOMETRY_SSE2)
    return bilinearIntoWide<kChecked>(image, x, y, margin, out);
#else
    return bilinearInto<kChecked>(image, x, y, margin, out);
#endif
}

// scaleChannel(c, KernelBinomial5x5[k]) at [k][c], for the Gaussian5x5 window.
using GaussianTerms = std::array<std::array<uint8_t, 256>, 25>;
const GaussianTerms& gaussianTerms();

// One axis of a Gaussian5x5 sample: the window starts at start = floor(v - 2.5) and is
// clipped to the pixels begin..end - 1.
struct GaussianAxis {
    int32_t start;
    int32_t begin;
    int32_t end;
};

// The window for a position inside the picture (so start >= -3 and start + 5 <= size + 2).
inline GaussianAxis gaussianAxis(int32_t start, int32_t size) {
    const int64_t end = std::min(int64_t{start} + 5, int64_t{size});
    return GaussianAxis{start, std::max(start, 0), static_cast<int32_t>(end)};
}

// Gaussian5x5 sample of a position inside the picture from its two axes: the rounded terms
// of the clipped window summed from opaque black and capped at 255; alpha is always 255.
inline Pixel gaussianPixel(const Image& image, const GaussianAxis& x, const GaussianAxis& y,
                           const GaussianTerms& terms) {
    const size_t width = static_cast<size_t>(image.width);
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    for (int32_t i = x.begin; i < x.end; ++i) {
        const std::array<uint8_t, 256>* column = &terms[static_cast<size_t>(5 * (i - x.start))];
        const Pixel* p = image.pixels.get() + static_cast<size_t>(i);
        for (int32_t j = y.begin; j < y.end; ++j) {
            const std::array<uint8_t, 256>& term = column[j - y.start];
            const Pixel q = p[static_cast<size_t>(j) * width];
            r += term[q.r];
            g += term[q.g];
            b += term[q.b];
        }
    }
    return Pixel{static_cast<uint8_t>(std::min(r, 255)), static_cast<uint8_t>(std::min(g, 255)),
                 static_cast<uint8_t>(std::min(b, 255)), 255};
}

// The three modes in one shape, for operations written once for all of them: axis(v, f,
// size) is the axis share of a position v inside 0..size, given f = floor(key(v)); combine
// joins a column's and a row's share into the sample.
struct NearestMode {
    using Axis = int32_t;
    const Image& image;
    static double key(double v) { return v; }
    static Axis axis(double, int32_t f, int32_t) { return f; }
    Pixel combine(Axis x, Axis y) const {
        return image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                            static_cast<size_t>(x)];
    }
};

struct BilinearMode {
    using Axis = BilinearAxis;
    const Image& image;
    static double key(double v) { return v; }
    static Axis axis(double v, int32_t f, int32_t size) { return bilinearAxis(v, f, size); }
    Pixel combine(const Axis& x, const Axis& y) const {
        Pixel out;
        bilinearIntoFast<false>(image, x, y, 0.0, out);
        return out;
    }
};

struct GaussianMode {
    using Axis = GaussianAxis;
    const Image& image;
    const GaussianTerms& terms = gaussianTerms();
    static double key(double v) { return v - 2.5; }
    static Axis axis(double, int32_t f, int32_t size) { return gaussianAxis(f, size); }
    Pixel combine(const Axis& x, const Axis& y) const { return gaussianPixel(image, x, y, terms); }
};

// Calls work(mode) with the mode object for image.sampleMode and returns true; false, calling
// nothing, for a mode other than 0, 1 and 2, whose every sample is opaque black.
template <typename Work>
bool withMode(const Image& image, Work&& work) {
    switch (image.sampleMode) {
        case Nearest:
            work(NearestMode{image});
            return true;
        case Bilinear:
            work(BilinearMode{image});
            return true;
        case Gaussian5x5:
            work(GaussianMode{image});
            return true;
        default:
            return false;
    }
}

}  // namespace tesselane::sampling
