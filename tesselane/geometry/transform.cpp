#include "tesselane/geometry/transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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

constexpr double kDegreesToRadians = 0.01745328888888889;
constexpr uint32_t kWhiteWord = 0xFFFFFFFFu;

std::unique_ptr<Image> refuse(std::string* why, const char* reason) {
    if (why != nullptr) *why = reason;
    return nullptr;
}

std::unique_ptr<Image> orEnd(std::unique_ptr<Image> result) {
    if (!result) failAllocating();
    return result;
}

// The four bytes of a pixel as one word: opaque white is exactly kWhiteWord.
uint32_t wordOf(Pixel p) {
    uint32_t word;
    std::memcpy(&word, &p, sizeof word);
    return word;
}

bool allOpaqueWhite(const Pixel* pixels, int32_t count) {
    uint32_t all = kWhiteWord;
    for (int32_t i = 0; i < count; ++i) all &= wordOf(pixels[i]);
    return all == kWhiteWord;
}

// Columns left..right - 1 and rows top..bottom - 1.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The smallest rectangle holding every pixel that is not opaque white; false when there is
// none. Rows are scanned in from the top and the bottom, then each row in between from both
// ends, each scan stopping where it can no longer widen the rectangle.
bool findPicture(const Image& image, Rect& rect) {
    const int32_t width = image.width;
    const auto row = [&](int32_t y) {
        return image.pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(width);
    };
    int32_t top = 0;
    while (top < image.height && allOpaqueWhite(row(top), width)) ++top;
    if (top == image.height) return false;
    int32_t bottom = image.height;
    while (allOpaqueWhite(row(bottom - 1), width)) --bottom;
    int32_t left = width;
    int32_t right = 0;
    for (int32_t y = top; y < bottom; ++y) {
        const Pixel* pixels = row(y);
        int32_t x = 0;
        while (x < left && wordOf(pixels[x]) == kWhiteWord) ++x;
        left = x;
        x = width;
        while (x > right && wordOf(pixels[x - 1]) == kWhiteWord) --x;
        right = x;
    }
    rect = Rect{left, top, right, bottom};
    return true;
}

// trunc(size * factor), or 0 when that is below 1 or not a number, or -1 when it is beyond
// int32_t (infinity included).
int32_t scaledLength(int32_t size, double factor) {
    const double length = static_cast<double>(size) * factor;
    if (!(length >= 1.0)) return 0;
    if (!(length < 2147483648.0)) return -1;
    return truncToInt32(length);
}

// Output pixel (i, j) = the sample at (xs[i], ys[j]): each column's and each row's share is
// worked out once; rows are written in turn.
template <typename Mode>
void sampleGrid(const Mode& mode, const Image& source, const std::vector<double>& xs,
                const std::vector<double>& ys, Image& result) {
    const size_t columns = xs.size();
    std::vector<typename Mode::Axis> xAxes(columns);
    std::vector<uint8_t> inside(columns);
    for (size_t i = 0; i < columns; ++i) {
        inside[i] = insideAxis(xs[i], source.width);
        if (inside[i]) {
            xAxes[i] = Mode::axis(xs[i], floorToInt32(Mode::key(xs[i])), source.width);
        }
    }
    for (size_t j = 0; j < ys.size(); ++j) {
        Pixel* out = result.pixels.get() + j * columns;
        if (!insideAxis(ys[j], source.height)) {
            std::fill_n(out, columns, kOpaqueWhite);
            continue;
        }
        const typename Mode::Axis yAxis =
            Mode::axis(ys[j], floorToInt32(Mode::key(ys[j])), source.height);
        for (size_t i = 0; i < columns; ++i) {
            out[i] = inside[i] ? mode.combine(xAxes[i], yAxis) : kOpaqueWhite;
        }
    }
}

// The canvas of rotateImage: offset (a, b) from the corner, |a|, |b| <= radius, samples
// x = (a * c) - (b * s), y = (b * c) + (a * s), with c and s the cosine and sine of the angle.
struct Turn {
    double c;
    double s;
    int32_t radius;
};

// Offsets first..last of one canvas row; empty when first > last.
struct Span {
    int32_t first;
    int32_t last;
};

// Narrows span to the offsets where holds is true, given that holds is monotone in the
// offset (true on a prefix or a suffix of any range), by bisection.
template <typename Holds>
void keepWhere(Span& span, Holds holds) {
    if (span.first > span.last) return;
    const bool atFirst = holds(span.first);
    const bool atLast = holds(span.last);
    if (atFirst == atLast) {
        if (!atFirst) span = Span{1, 0};
        return;
    }
    int32_t in = atFirst ? span.first : span.last;
    int32_t out = atFirst ? span.last : span.first;
    while (in - out > 1 || out - in > 1) {
        const int32_t middle = in + (out - in) / 2;
        (holds(middle) ? in : out) = middle;
    }
    (atFirst ? span.last : span.first) = in;
}

// The offsets a of row b whose position lies inside the source, exactly as the range test
// decides. For fixed b, x and y are monotone in a (a rounded product, then a constant added),
// so each of the four comparisons holds on a prefix or a suffix, and their meet is a span.
Span insideSpan(const Turn& turn, int32_t b, int32_t width, int32_t height) {
    const double bs = static_cast<double>(b) * turn.s;
    const double bc = static_cast<double>(b) * turn.c;
    const auto x = [&](int32_t a) { return static_cast<double>(a) * turn.c - bs; };
    const auto y = [&](int32_t a) { return bc + static_cast<double>(a) * turn.s; };
    Span span{-turn.radius, turn.radius};
    keepWhere(span, [&](int32_t a) { return x(a) >= 0.0; });
    keepWhere(span, [&](int32_t a) { return x(a) < static_cast<double>(width); });
    keepWhere(span, [&](int32_t a) { return y(a) >= 0.0; });
    keepWhere(span, [&](int32_t a) { return y(a) < static_cast<double>(height); });
    return span;
}

// Samples of row b at offsets first..last, all inside the source, into out. Each floor starts
// from the one before: the next offset moves the position by at most 1 on each axis.
template <typename Mode>
void sampleRow(const Mode& mode, const Image& source, const Turn& turn, int32_t b, int32_t first,
               int32_t last, Pixel* out) {
    const double bs = static_cast<double>(b) * turn.s;
    const double bc = static_cast<double>(b) * turn.c;
    int32_t fx = floorToInt32(Mode::key(static_cast<double>(first) * turn.c - bs));
    int32_t fy = floorToInt32(Mode::key(bc + static_cast<double>(first) * turn.s));
    for (int32_t a = first; a <= last; ++a) {
        const double x = static_cast<double>(a) * turn.c - bs;
        const double y = bc + static_cast<double>(a) * turn.s;
        fx = floorNear(Mode::key(x), fx);
        fy = floorNear(Mode::key(y), fy);
        *out++ = mode.combine(Mode::axis(x, fx, source.width), Mode::axis(y, fy, source.height));
    }
}

// rotateImage for a mode whose samples outside the source are opaque white: only the canvas
// pixels inside the source are sampled. The trim rectangle is found first, scanning rows in
// from the top and the bottom and each row from both ends until a sample is not opaque white
// (usually at once), and then only that rectangle is allocated and filled; what lies outside
// the spans is opaque white, as the canvas would hold there.
template <typename Mode>
std::unique_ptr<Image> rotateInside(const Mode& mode, const Image& source, const Turn& turn,
                                    std::string* why) {
    const int32_t radius = turn.radius;
    std::vector<Span> spans(static_cast<size_t>(2 * radius + 1));
    for (int32_t b = -radius; b <= radius; ++b) {
        spans[static_cast<size_t>(b + radius)] = insideSpan(turn, b, source.width, source.height);
    }
    const auto spanOf = [&](int32_t b) { return spans[static_cast<size_t>(b + radius)]; };

    constexpr int32_t kChunk = 256;
    std::array<Pixel, kChunk> buffer;
    // The first offset of first..last whose sample is not opaque white, or last + 1.
    const auto firstPicture = [&](int32_t b, int32_t first, int32_t last) {
        for (int32_t a = first; a <= last; a += kChunk) {
            const int32_t end = std::min(last, a + kChunk - 1);
            sampleRow(mode, source, turn, b, a, end, buffer.data());
            for (int32_t k = 0; k <= end - a; ++k) {
                if (wordOf(buffer[static_cast<size_t>(k)]) != kWhiteWord) return a + k;
            }
        }
        return last + 1;
    };
    // The last offset of first..last whose sample is not opaque white, or first - 1.
    const auto lastPicture = [&](int32_t b, int32_t first, int32_t last) {
        for (int32_t a = last; a >= first; a -= kChunk) {
            const int32_t start = std::max(first, a - kChunk + 1);
            sampleRow(mode, source, turn, b, start, a, buffer.data());
            for (int32_t k = a - start; k >= 0; --k) {
                if (wordOf(buffer[static_cast<size_t>(k)]) != kWhiteWord) return start + k;
            }
        }
        return first - 1;
    };
    const auto rowHasPicture = [&](int32_t b) {
        const Span span = spanOf(b);
        return span.first <= span.last && firstPicture(b, span.first, span.last) <= span.last;
    };

    int32_t top = -radius;
    while (top <= radius && !rowHasPicture(top)) ++top;
    if (top > radius) return refuse(why, "every sample of the turned picture is opaque white");
    int32_t bottom = radius;
    while (bottom > top && !rowHasPicture(bottom)) --bottom;
    int32_t left = radius + 1;
    int32_t right = -radius - 1;
    for (int32_t b = top; b <= bottom; ++b) {
        const Span span = spanOf(b);
        const int32_t leftEnd = std::min(span.last, left - 1);
        const int32_t a = firstPicture(b, span.first, leftEnd);
        if (a <= leftEnd) left = a;
        const int32_t rightStart = std::max(span.first, right + 1);
        const int32_t z = lastPicture(b, rightStart, span.last);
        if (z >= rightStart) right = z;
    }

    const int32_t width = right - left + 1;
    auto result = std::make_unique<Image>(width, bottom - top + 1, Image::Unfilled{});
    for (int32_t b = top; b <= bottom; ++b) {
        Pixel* out = result->pixels.get() + static_cast<size_t>(b - top) * width;
        const Span span = spanOf(b);
        const int32_t first = std::max(span.first, left);
        const int32_t last = std::min(span.last, right);
        if (first > last) {
            std::fill_n(out, width, kOpaqueWhite);
            continue;
        }
        std::fill_n(out, first - left, kOpaqueWhite);
        sampleRow(mode, source, turn, b, first, last, out + (first - left));
        std::fill_n(out + (last - left + 1), right - last, kOpaqueWhite);
    }
    return result;
}

}  // namespace

std::unique_ptr<Image> tryScaleImage(const Image& source, double sx, double sy, std::string* why) {
    return endingOnExhaustion([&]() -> std::unique_ptr<Image> {
        const int32_t width = scaledLength(source.width, sx);
        const int32_t height = scaledLength(source.height, sy);
        if (width == 0 || height == 0) return refuse(why, "the new size is below 1 pixel");
        if (width < 0 || height < 0 || int64_t{width} * height > INT32_MAX) {
            return refuse(why, "the new size passes 2^31 - 1 pixels");
        }
        auto result = std::make_unique<Image>(width, height, Image::Unfilled{});
        std::vector<double> xs(static_cast<size_t>(width));
        for (int32_t i = 0; i < width; ++i) {
            xs[static_cast<size_t>(i)] = static_cast<double>(i) / sx;
        }
        const double ry = 1.0 / sy;
        std::vector<double> ys(static_cast<size_t>(height));
        for (int32_t j = 0; j < height; ++j) {
            ys[static_cast<size_t>(j)] = static_cast<double>(j) * ry;
        }
        const bool known = sampling::withMode(
            source, [&](const auto& mode) { sampleGrid(mode, source, xs, ys, *result); });
        if (!known) std::fill_n(result->pixels.get(), result->pixelCount, kOpaqueBlack);
        return result;
    });
}

std::unique_ptr<Image> scaleImage(const Image& source, double sx, double sy) {
    return orEnd(tryScaleImage(source, sx, sy, nullptr));
}

std::unique_ptr<Image> tryRotateImage(const Image& source, double degrees, std::string* why) {
    return endingOnExhaustion([&]() -> std::unique_ptr<Image> {
        const double theta = degrees * kDegreesToRadians;
        const double diagonal = std::sqrt(std::pow(static_cast<double>(source.height), 2.0) +
                                          std::pow(static_cast<double>(source.width), 2.0));
        const int64_t radius = truncToInt32(diagonal);
        const int64_t side = 2 * radius + 1;
        if (side > INT32_MAX / side) {
            return refuse(why, "the turning canvas passes 2^31 - 1 pixels");
        }
        const Turn turn{std::cos(theta), std::sin(theta), static_cast<int32_t>(radius)};
        std::unique_ptr<Image> result;
        const bool known = sampling::withMode(
            source, [&](const auto& mode) { result = rotateInside(mode, source, turn, why); });
        if (!known) {
            // No sample is white, so nothing is trimmed: the whole canvas, opaque black.
            const int32_t length = static_cast<int32_t>(side);
            result = std::make_unique<Image>(length, length, Image::Unfilled{});
            std::fill_n(result->pixels.get(), result->pixelCount, kOpaqueBlack);
        }
        return result;
    });
}

std::unique_ptr<Image> rotateImage(const Image& source, double degrees) {
    return orEnd(tryRotateImage(source, degrees, nullptr));
}

std::unique_ptr<Image> tryTrimWhite(const Image& image, std::string* why) {
    Rect rect{};
    if (!findPicture(image, rect)) return refuse(why, "the picture is opaque white all over");
    return image.crop(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

std::unique_ptr<Image> trimWhite(const Image& image) { return orEnd(tryTrimWhite(image, nullptr)); }

}  // namespace tesselane
