#include "tests/reference/geometry_reference.h"

#include <algorithm>
#include <cmath>

#include "tesselane/effects/filters/kernel.h"
#include "tesselane/image/colour.h"
#include "tesselane/image/fatal.h"
#include "tesselane/image/real.h"

namespace tesselane::reference {
namespace {

const Pixel kWhite{255, 255, 255, 255};
const Pixel kBlack{0, 0, 0, 255};

Pixel nearest(const Image& image, double x, double y) {
    if (x >= 0 && y >= 0 && x < image.width && y < image.height) {
        return image.pixelAt(truncToInt32(x), truncToInt32(y));
    }
    return kWhite;
}

Pixel bilinear(const Image& image, double x, double y) {
    if (std::isnan(x) || std::isnan(y)) return kWhite;
    const int32_t x0 = floorToInt32(x);
    const int32_t y0 = floorToInt32(y);
    if (x0 < 0 || y0 < 0 || int64_t{x0} + 1 > image.width || int64_t{y0} + 1 > image.height) {
        return kWhite;
    }
    int32_t left, right, top, bottom;
    double wl, wr, wt, wb;
    if (x0 + 1 < image.width) {
        left = x0;
        right = x0 + 1;
        wl = static_cast<double>(x0 + 1) - x;
        wr = x - static_cast<double>(x0);
    } else {
        left = x0 - 1;
        right = x0;
        wl = (static_cast<double>(x0) - x) + 1.0;
        wr = x - static_cast<double>(x0);
    }
    if (y0 + 1 < image.height) {
        top = y0;
        bottom = y0 + 1;
        wt = static_cast<double>(y0 + 1) - y;
        wb = y - static_cast<double>(y0);
    } else {
        top = y0 - 1;
        bottom = y0;
        wt = (static_cast<double>(y0) - y) + 1.0;
        wb = y - static_cast<double>(y0);
    }
    // One pixel across: the column (row) itself stands for the missing one before it.
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    const Pixel t1 = scalePixel(scalePixel(image.pixelAt(left, top), wl), wt);
    const Pixel t2 = scalePixel(scalePixel(image.pixelAt(left, bottom), wl), wb);
    const Pixel t3 = scalePixel(scalePixel(image.pixelAt(right, top), wr), wt);
    const Pixel t4 = scalePixel(scalePixel(image.pixelAt(right, bottom), wr), wb);
    return addPixels(addPixels(addPixels(t1, t2), t3), t4);
}

Pixel gaussian(const Image& image, double x, double y) {
    const bool inside = x >= 0 && y >= 0 && x < image.width && y < image.height;
    Pixel sum = inside ? kBlack : kWhite;
    const int64_t xs = floorToInt32(x - 2.5);
    const int64_t ys = floorToInt32(y - 2.5);
    for (int64_t i = std::max<int64_t>(xs, 0); i < std::min<int64_t>(xs + 5, image.width); ++i) {
        for (int64_t j = std::max<int64_t>(ys, 0); j < std::min<int64_t>(ys + 5, image.height);
             ++j) {
            const double weight = KernelBinomial5x5[static_cast<size_t>(5 * (i - xs) + (j - ys))];
            sum = addPixels(
                sum, scalePixel(image.pixelAt(static_cast<int32_t>(i), static_cast<int32_t>(j)),
                                weight));
        }
    }
    return sum;
}

// PolarSquare's mapping at offset (a, b).
Pixel polarSample(const Image& source, double a, double b) {
    const double theta = std::atan2(b, a);
    const double r = std::sqrt(std::pow(b, 2.0) + std::pow(a, 2.0));
    const double half = static_cast<double>(source.width / 2);
    const double x = ((half * theta) * 0.3183099524062959) + half;
    return sample(source, x, r);
}

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

Pixel sample(const Image& image, double x, double y) {
    switch (image.sampleMode) {
        case Nearest:
            return nearest(image, x, y);
        case Bilinear:
            return bilinear(image, x, y);
        case Gaussian5x5:
            return gaussian(image, x, y);
        default:
            return kBlack;
    }
}

std::unique_ptr<Image> scaleImage(const Image& source, double sx, double sy) {
    const double width = source.width * sx;
    const double height = source.height * sy;
    if (!(width < 2147483648.0) || !(height < 2147483648.0)) failAllocating();
    auto result = std::make_unique<Image>(truncToInt32(width), truncToInt32(height));
    for (int32_t i = 0; i < result->width; ++i) {
        for (int32_t j = 0; j < result->height; ++j) {
            result->pixelAt(i, j) = sample(source, i / sx, j * (1 / sy));
        }
    }
    return result;
}

std::unique_ptr<Image> rotateImage(const Image& source, double degrees) {
    const double theta = degrees * 0.01745328888888889;
    const int32_t r =
        truncToInt32(std::sqrt(std::pow(source.height, 2.0) + std::pow(source.width, 2.0)));
    if (2 * int64_t{r} + 1 > INT32_MAX) failAllocating();
    Image canvas(2 * r + 1, 2 * r + 1);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    for (int32_t a = -r; a <= r; ++a) {
        for (int32_t b = -r; b <= r; ++b) {
            canvas.pixelAt(a + r, b + r) = sample(source, (a * c) - (b * s), (b * c) + (a * s));
        }
    }
    return trimWhite(canvas);
}

std::unique_ptr<Image> trimWhite(const Image& image) {
    int32_t top = -1, bottom = 0, left = -1, right = 0;
    const int32_t w = image.width;
    const int32_t h = image.height;
    for (int32_t i = 0; i < image.pixelCount; ++i) {
        if (!isOpaqueWhite(image.pixelAt(i % w, i / w))) {
            if (top < 0) top = i / w;
            bottom = i / w + 1;
        }
        if (!isOpaqueWhite(image.pixelAt(i / h, i % h))) {
            if (left < 0) left = i / h;
            right = i / h + 1;
        }
    }
    if (top < 0) top = bottom = left = right = 0;
    return image.crop(left, top, right - left, bottom - top);
}

std::unique_ptr<Image> warpImage(const Image& source, int32_t kind) {
    const int32_t w = source.width;
    const int32_t h = source.height;
    if (kind == 0) {
        auto result = std::make_unique<Image>(w, h);
        for (int32_t i = 0; i < w; ++i) {
            const double d =
                (h / 2) * std::sin((static_cast<double>(2 * int64_t{i}) * 3.141592) / w);
            for (int32_t j = 0; j < h; ++j) result->pixelAt(i, j) = sample(source, i, d + j);
        }
        return result;
    }
    if (kind == 1) {
        if (2 * int64_t{h} + 1 > INT32_MAX) failAllocating();
        auto result = std::make_unique<Image>(2 * h + 1, 2 * h + 1);
        for (int32_t a = -h; a <= h; ++a) {
            for (int32_t b = -h; b <= h; ++b) {
                result->pixelAt(a + h, b + h) = polarSample(source, a, b);
            }
        }
        return result;
    }
    if (kind == 2) {
        auto result = std::make_unique<Image>(w, h);
        const int64_t m = std::min(w, h);
        const int64_t n = 2 * int64_t{h} + 1;
        for (int32_t i = 0; i < w; ++i) {
            for (int32_t j = 0; j < h; ++j) {
                const int64_t a = floorDiv((2 * (i - (w - m) / 2) + 1) * n, 2 * m) - h;
                const int64_t b = floorDiv((2 * (j - (h - m) / 2) + 1) * n, 2 * m) - h;
                result->pixelAt(i, j) =
                    polarSample(source, static_cast<double>(a), static_cast<double>(b));
            }
        }
        return result;
    }
    return std::make_unique<Image>(source);
}

}  // namespace tesselane::reference
