#include "tesselane/geometry/warp.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "tesselane/geometry/sampler.h"
#include "tesselane/image/fatal.h"
#include "tesselane/image/real.h"

namespace tesselane {
namespace {

using sampling::floorNear;
using sampling::insideAxis;
using sampling::kOpaqueBlack;
using sampling::kOpaqueWhite;

constexpr double kHalfTurn = 3.141592;
constexpr double kInverseHalfTurn = 0.3183099524062959;
// The true angles atan2 measures in; only the estimate below uses them.
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

// SineWave: column i keeps x = i and shows the source moved by d rows, y = d + j. Each
// column keeps the floor of its last y, one step behind the next. In Nearest mode a column
// whose d lies clear of whole numbers by 2^-20 is a plain shifted copy: d + j, below 2^31,
// rounds by at most 2^-22, so floor(d + j) = floor(d) + j and the range test agrees with it.
template <typename Mode>
void sineWave(const Mode& mode, const Image& source, Image& result) {
    constexpr bool kNearest = std::is_same<Mode, sampling::NearestMode>::value;
    const int32_t width = source.width;
    const int32_t height = source.height;
    const size_t columns = static_cast<size_t>(width);
    const double halfHeight = static_cast<double>(height / 2);
    std::vector<double> shift(columns);
    std::vector<typename Mode::Axis> xAxes(columns);
    std::vector<int32_t> yFloor(columns);
    std::vector<uint8_t> copied(columns);
    for (int32_t i = 0; i < width; ++i) {
        const size_t k = static_cast<size_t>(i);
        const double x = static_cast<double>(i);
        shift[k] = halfHeight * std::sin((2.0 * x * kHalfTurn) / static_cast<double>(width));
        xAxes[k] = Mode::axis(x, floorToInt32(Mode::key(x)), width);
        yFloor[k] = floorToInt32(Mode::key(shift[k]));
        const double fraction = shift[k] - static_cast<double>(yFloor[k]);
        copied[k] = kNearest && fraction >= 0x1p-20 && fraction <= 1.0 - 0x1p-20;
    }
    // Strips of 16 columns, one cache line of output, taken down the whole height: the rows
    // they read drift with the shift but stay few at a time.
    constexpr size_t kStrip = 16;
    const Pixel* const from = source.pixels.get();
    for (size_t k0 = 0; k0 < columns; k0 += kStrip) {
        const size_t k1 = std::min(columns, k0 + kStrip);
        for (int32_t j = 0; j < height; ++j) {
            Pixel* out = result.pixels.get() + static_cast<size_t>(j) * columns;
            for (size_t k = k0; k < k1; ++k) {
                if (copied[k]) {
                    const int32_t row = yFloor[k] + j;
                    out[k] = row >= 0 && row < height ? from[static_cast<size_t>(row) * columns + k]
                                                      : kOpaqueWhite;
                    continue;
                }
                const double y = shift[k] + static_cast<double>(j);
                yFloor[k] = floorNear(Mode::key(y), yFloor[k]);
                out[k] = insideAxis(y, height)
                             ? mode.combine(xAxes[k], Mode::axis(y, yFloor[k], height))
                             : kOpaqueWhite;
            }
        }
    }
}

// atan(t) for 0 <= t <= 1, to within about 2e-13: its Taylor series to the cube about the
// nearest multiple of 1/512 (the next term is below 0.2 / 1024^4).
class ArctanEstimate {
  public:
    ArctanEstimate() : nodes_(static_cast<size_t>(kSteps) + 1) {
        for (size_t k = 0; k < nodes_.size(); ++k) {
            const double t = static_cast<double>(k) / kSteps;
            const double q = 1.0 + t * t;
            nodes_[k] =
                Node{std::atan(t), 1.0 / q, -t / (q * q), (3.0 * t * t - 1.0) / (3.0 * q * q * q)};
        }
    }

    // index carries the node of the previous call, as a guess for this one.
    double operator()(double t, int32_t& index) const {
        index = floorNear(t * kSteps + 0.5, index);
        const Node& n = nodes_[static_cast<size_t>(index)];
        const double d = t - static_cast<double>(index) * (1.0 / kSteps);
        return n.c0 + d * (n.c1 + d * (n.c2 + d * n.c3));
    }

  private:
    static constexpr double kSteps = 512.0;
    struct Node {
        double c0, c1, c2, c3;
    };
    std::vector<Node> nodes_;
};

const ArctanEstimate& arctanEstimate() {
    static const ArctanEstimate estimate;
    return estimate;
}

// The polar mapping over k x k output pixels: pixel (left + u, top + v) samples the offsets
// a = offsets[u], b = offsets[v] at x = ((width div 2) atan2(b, a)) 0.3183099524062959 +
// width div 2, y = sqrt(b^2 + a^2). The offsets rise and are symmetric about 0 (offsets[k - 1
// - u] = -offsets[u]), so the eight positions (+-a, +-b) and (+-b, +-a) share a radius and,
// but for the octant, an angle: both are worked out once for 0 <= b <= a. A radius of height
// or more is outside, with no angle needed. Otherwise the angle is estimated, and where the
// estimated x lies clear of 0, width and every floor boundary of the mode (by tolerance,
// 1e-10 of the width, against an error below 1e-13 of it) it decides the sample; in Bilinear
// mode the first scalings by the weights it gives must also lie clear of a rounding (by 255
// tolerance). Everywhere else std::atan2 of the pixel's own (b, a) gives x.
template <typename Mode>
void polarSquare(const Mode& mode, const Image& source, const std::vector<double>& offsets,
                 size_t left, size_t top, Image& result) {
    const ArctanEstimate& arctan = arctanEstimate();
    const int32_t width = source.width;
    const int32_t height = source.height;
    const double halfWidth = static_cast<double>(width / 2);
    const double tolerance = (halfWidth + 1.0) * 1e-10;
    // A channel times a weight off by tolerance moves by up to 255 tolerance.
    const double weightMargin = 255.0 * tolerance + 1e-9;
    const size_t k = offsets.size();
    std::vector<double> squares(k);
    std::vector<double> inverses(k);
    for (size_t u = 0; u < k; ++u) {
        squares[u] = std::pow(offsets[u], 2.0);
        inverses[u] = 1.0 / offsets[u];
    }
    Pixel* const pixels = result.pixels.get();
    const size_t stride = static_cast<size_t>(result.width);
    const auto at = [&](size_t u, size_t v) -> Pixel& {
        return pixels[(top + v) * stride + left + u];
    };
    using Axis = typename Mode::Axis;
    int32_t xFloors[8] = {};
    // Pixel (u, v), at offsets (a, b), whose angle is estimated as angle when estimated.
    const auto place = [&](size_t u, size_t v, double a, double b, double angle, bool estimated,
                           int32_t& xFloor, const Axis& yAxis) {
        if (estimated) {
            const double x = ((halfWidth * angle) * kInverseHalfTurn) + halfWidth;
            const double key = Mode::key(x);
            xFloor = floorNear(key, xFloor);
            const bool clear = key - xFloor >= tolerance && (xFloor + 1.0) - key >= tolerance &&
                               std::fabs(x) >= tolerance &&
                               std::fabs(x - static_cast<double>(width)) >= tolerance;
            if (clear && !insideAxis(x, width)) {
                at(u, v) = kOpaqueWhite;
                return;
            }
            if (clear) {
                const Axis xAxis = Mode::axis(x, xFloor, width);
                if constexpr (std::is_same<Mode, sampling::BilinearMode>::value) {
                    // The weights come from x itself: the first scalings must be clear too.
                    if (sampling::bilinearIntoFast<true>(source, xAxis, yAxis, weightMargin,
                                                         at(u, v))) {
                        return;
                    }
                } else {
                    at(u, v) = mode.combine(xAxis, yAxis);
                    return;
                }
            }
        }
        const double x = ((halfWidth * std::atan2(b, a)) * kInverseHalfTurn) + halfWidth;
        if (!insideAxis(x, width)) {
            at(u, v) = kOpaqueWhite;
            return;
        }
        xFloor = floorNear(Mode::key(x), xFloor);
        at(u, v) = mode.combine(Mode::axis(x, xFloor, width), yAxis);
    };
    // The pixels at offsets (+-a, +-b) and (+-b, +-a), a = offsets[u] >= b = offsets[v] >= 0,
    // each once: the mirror of the centre offset is itself, and b = a is its own transpose.
    int32_t yFloor = 0;
    int32_t node = 0;
    const auto placeEight = [&](size_t u, size_t v) {
        const size_t uMirror = k - 1 - u;
        const size_t vMirror = k - 1 - v;
        const bool flipA = u != uMirror;  // a > 0, so the angle can be estimated
        const bool flipB = v != vMirror;  // b > 0
        const bool swap = u != v;         // b < a
        const double a = offsets[u];
        const double b = offsets[v];
        const double y = std::sqrt(squares[v] + squares[u]);
        if (!(y < static_cast<double>(height))) {
            at(u, v) = at(u, vMirror) = at(uMirror, v) = at(uMirror, vMirror) = kOpaqueWhite;
            at(v, u) = at(vMirror, u) = at(v, uMirror) = at(vMirror, uMirror) = kOpaqueWhite;
            return;
        }
        yFloor = floorNear(Mode::key(y), yFloor);
        const Axis yAxis = Mode::axis(y, yFloor, height);
        const double phi = flipA ? arctan(b * inverses[u], node) : 0.0;
        place(u, v, a, b, phi, flipA, xFloors[0], yAxis);
        if (flipB) place(u, vMirror, a, -b, -phi, flipA, xFloors[1], yAxis);
        if (flipA) place(uMirror, v, -a, b, kPi - phi, flipA, xFloors[2], yAxis);
        if (flipA && flipB) place(uMirror, vMirror, -a, -b, phi - kPi, flipA, xFloors[3], yAxis);
        if (!swap) return;
        place(v, u, b, a, kHalfPi - phi, flipA, xFloors[4], yAxis);
        if (flipB) place(vMirror, u, -b, a, kHalfPi + phi, flipA, xFloors[5], yAxis);
        if (flipA) place(v, uMirror, b, -a, phi - kHalfPi, flipA, xFloors[6], yAxis);
        if (flipA && flipB) {
            place(vMirror, uMirror, -b, -a, -kHalfPi - phi, flipA, xFloors[7], yAxis);
        }
    };
    // Tiles of the triangle u >= v >= k / 2 keep the source pixels read close together.
    constexpr size_t kTile = 32;
    for (size_t v0 = k / 2; v0 < k; v0 += kTile) {
        for (size_t u0 = v0; u0 < k; u0 += kTile) {
            for (size_t v = v0; v < std::min(v0 + kTile, k); ++v) {
                for (size_t u = std::max(u0, v); u < std::min(u0 + kTile, k); ++u) {
                    placeEight(u, v);
                }
            }
        }
    }
}

// PolarSameSize's offsets: the pixel centres of m cells spread evenly over the n = 2 height + 1
// offsets -height..height of PolarSquare, floor((2u + 1) n / 2m) - height for u = 0..m - 1.
// Rising, and symmetric about 0: n is odd, so (2u + 1) n / 2m is never whole.
std::vector<double> sameSizeOffsets(int32_t m, int32_t height) {
    const int64_t n = 2 * int64_t{height} + 1;
    std::vector<double> offsets(static_cast<size_t>(m));
    for (int32_t u = 0; u < m; ++u) {
        offsets[static_cast<size_t>(u)] =
            static_cast<double>((2 * int64_t{u} + 1) * n / (2 * int64_t{m}) - height);
    }
    return offsets;
}

// The polar mapping of the offsets into a k x k square at (left, top) of a picture of width x
// height; the rest of it lies beyond radius height, opaque white.
std::unique_ptr<Image> polarWarp(const Image& source, int32_t width, int32_t height,
                                 const std::vector<double>& offsets, size_t left, size_t top) {
    auto result = std::make_unique<Image>(width, height, Image::Unfilled{});
    Pixel* const pixels = result->pixels.get();
    const bool known = sampling::withMode(source, [&](const auto& mode) {
        const size_t columns = static_cast<size_t>(width);
        const size_t k = offsets.size();
        for (size_t j = 0; j < static_cast<size_t>(height); ++j) {
            Pixel* row = pixels + j * columns;
            if (j < top || j >= top + k) {
                std::fill_n(row, columns, kOpaqueWhite);
            } else {
                std::fill_n(row, left, kOpaqueWhite);
                std::fill_n(row + left + k, columns - left - k, kOpaqueWhite);
            }
        }
        polarSquare(mode, source, offsets, left, top, *result);
    });
    if (!known) std::fill_n(pixels, result->pixelCount, kOpaqueBlack);
    return result;
}

}  // namespace

std::unique_ptr<Image> tryWarpImage(const Image& source, int32_t kind, std::string* why) {
    return endingOnExhaustion([&]() -> std::unique_ptr<Image> {
        const int32_t width = source.width;
        const int32_t height = source.height;
        switch (kind) {
            case SineWave: {
                auto result = std::make_unique<Image>(width, height, Image::Unfilled{});
                const bool known = sampling::withMode(
                    source, [&](const auto& mode) { sineWave(mode, source, *result); });
                if (!known) std::fill_n(result->pixels.get(), result->pixelCount, kOpaqueBlack);
                return result;
            }
            case PolarSquare: {
                const int64_t n = 2 * int64_t{height} + 1;
                if (n > INT32_MAX / n) {
                    if (why != nullptr) *why = "the disc's square passes 2^31 - 1 pixels";
                    return nullptr;
                }
                std::vector<double> offsets(static_cast<size_t>(n));
                for (int32_t k = 0; k < n; ++k) {
                    offsets[static_cast<size_t>(k)] = static_cast<double>(k - height);
                }
                const int32_t side = static_cast<int32_t>(n);
                return polarWarp(source, side, side, offsets, 0, 0);
            }
            case PolarSameSize: {
                // The square of side m = min(width, height), centred; the bands beside or above
                // and below it would sample offsets beyond height, outside the disc.
                const int32_t m = std::min(width, height);
                return polarWarp(source, width, height, sameSizeOffsets(m, height),
                                 static_cast<size_t>((width - m) / 2),
                                 static_cast<size_t>((height - m) / 2));
            }
            default:
                return std::make_unique<Image>(source);
        }
    });
}

std::unique_ptr<Image> warpImage(const Image& source, int32_t kind) {
    std::unique_ptr<Image> result = tryWarpImage(source, kind, nullptr);
    if (!result) failAllocating();
    return result;
}

}  // namespace tesselane
