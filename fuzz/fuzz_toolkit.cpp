// Bytes drive a small picture and a chain of operations with arbitrary arguments (NaN,
// infinities, huge and negative values, kinds, bits, modes and tile sizes out of range).
// Each operation is checked against the plain transcription of its rules, byte for byte, and
// against the invariants it states (sizes, alpha).

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "tesselane/tesselane.h"
#include "tests/reference/filters_reference.h"
#include "tests/reference/geometry_reference.h"
#include "tests/reference/patchwork_reference.h"
#include "tests/reference/tone_reference.h"

namespace {

using namespace tesselane;

class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool done() const { return at_ >= size_; }
    double real() {
        static const double kSpecial[] = {0.0,
                                          1.0,
                                          -1.0,
                                          0.5,
                                          1.5,
                                          2.0,
                                          -0.5,
                                          0.25,
                                          3.0,
                                          100.0,
                                          -100.0,
                                          1e-300,
                                          std::numeric_limits<double>::quiet_NaN(),
                                          std::numeric_limits<double>::infinity(),
                                          -std::numeric_limits<double>::infinity(),
                                          1e300,
                                          -1e300,
                                          2.5e9,
                                          -2.5e9,
                                          std::numeric_limits<double>::denorm_min(),
                                          2147483647.5,
                                          -2147483648.5};
        const uint8_t choice = byte();
        if (choice < sizeof kSpecial / sizeof kSpecial[0]) return kSpecial[choice];
        if (choice < 128) return (choice - 64) / 16.0;
        uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) bits = bits << 8 | byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    int32_t integer() {
        static const int32_t kSpecial[] = {0,
                                           1,
                                           2,
                                           3,
                                           4,
                                           5,
                                           6,
                                           7,
                                           8,
                                           9,
                                           -1,
                                           -2,
                                           255,
                                           256,
                                           std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()};
        const uint8_t choice = byte();
        if (choice < sizeof kSpecial / sizeof kSpecial[0]) return kSpecial[choice];
        if (choice < 128) return choice - 64;
        uint32_t bits = 0;
        for (int k = 0; k < 4; ++k) bits = bits << 8 | byte();
        int32_t value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void check(bool condition) {
    if (!condition) std::abort();
}

bool same(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.pixels.get(), b.pixels.get(),
                       static_cast<size_t>(a.pixelCount) * sizeof(Pixel)) == 0;
}

// Runs an in-place operation on the picture and its reference on a copy; both must agree.
template <class Fast, class Plain>
void inPlace(std::unique_ptr<Image>& image, Fast fast, Plain plain, unsigned seed) {
    Image expected(*image);
    std::srand(seed);
    plain(expected);
    std::srand(seed);
    fast(*image);
    check(same(expected, *image));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, size);
    const int32_t width = 1 + bytes.byte() % 12;
    const int32_t height = 1 + bytes.byte() % 12;
    auto image = std::make_unique<Image>(width, height);
    for (int32_t i = 0; i < image->pixelCount; ++i) {
        image->pixels[i] = Pixel{bytes.byte(), bytes.byte(), bytes.byte(), bytes.byte()};
    }
    const unsigned seed = bytes.byte();
    for (int step = 0; step < 6 && !bytes.done(); ++step) {
        const Image before(*image);
        switch (bytes.byte() % 20) {
            case 0: {
                const double amount = bytes.real();
                inPlace(
                    image, [&](Image& i) { addNoise(i, amount); },
                    [&](Image& i) { reference::addNoise(i, amount); }, seed);
                for (int32_t k = 0; k < image->pixelCount; ++k) {
                    check(image->pixels[k].a >= before.pixels[k].a);  // noise only brightens
                }
                break;
            }
            case 1: {
                const double factor = bytes.real();
                inPlace(
                    image, [&](Image& i) { scaleBrightness(i, factor); },
                    [&](Image& i) { reference::scaleBrightness(i, factor); }, seed);
                break;
            }
            case 2: {
                const double weight = bytes.real();
                inPlace(
                    image, [&](Image& i) { adjustContrast(i, weight); },
                    [&](Image& i) { reference::adjustContrast(i, weight); }, seed);
                break;
            }
            case 3: {
                const double weight = bytes.real();
                inPlace(
                    image, [&](Image& i) { adjustSaturation(i, weight); },
                    [&](Image& i) { reference::adjustSaturation(i, weight); }, seed);
                break;
            }
            case 4: {
                const int32_t channel = bytes.integer();
                inPlace(
                    image, [&](Image& i) { isolateChannel(i, channel); },
                    [&](Image& i) { reference::isolateChannel(i, channel); }, seed);
                if (channel < 0 || channel > 3) check(same(before, *image));
                break;
            }
            case 5:
            case 6:
            case 7:
            case 8: {
                const int which = data[0] % 4;
                const int32_t bits = bytes.integer();
                if (which == 0) {
                    inPlace(
                        image, [&](Image& i) { posterize(i, bits); },
                        [&](Image& i) { reference::posterize(i, bits); }, seed);
                } else if (which == 1) {
                    inPlace(
                        image, [&](Image& i) { posterizeWithNoise(i, bits); },
                        [&](Image& i) { reference::posterizeWithNoise(i, bits); }, seed);
                } else if (which == 2) {
                    inPlace(
                        image, [&](Image& i) { orderedDither(i, bits); },
                        [&](Image& i) { reference::orderedDither(i, bits); }, seed);
                    for (int32_t k = 0; k < image->pixelCount; ++k) {
                        check(image->pixels[k].a == before.pixels[k].a);
                    }
                    break;
                } else {
                    inPlace(
                        image, [&](Image& i) { errorDiffusionDither(i, bits); },
                        [&](Image& i) { reference::errorDiffusionDither(i, bits); }, seed);
                }
                for (int32_t k = 0; k < image->pixelCount; ++k) check(image->pixels[k].a == 255);
                break;
            }
            case 9: {
                const int32_t kind = bytes.integer();
                inPlace(
                    image, [&](Image& i) { convolveKernel(i, kind); },
                    [&](Image& i) { reference::convolveKernel(i, kind); }, seed);
                if (kind >= 2) {
                    for (int32_t k = 0; k < image->pixelCount; ++k) {
                        check(image->pixels[k].a == 255);
                    }
                }
                break;
            }
            case 10: {
                const int32_t kind = bytes.integer();
                inPlace(
                    image, [&](Image& i) { sharpen(i, kind); },
                    [&](Image& i) { reference::sharpen(i, kind); }, seed);
                break;
            }
            case 11: {
                inPlace(
                    image, [&](Image& i) { laplacianEdges(i); },
                    [&](Image& i) { reference::laplacianEdges(i); }, seed);
                for (int32_t k = 0; k < image->pixelCount; ++k) check(image->pixels[k].a == 0);
                break;
            }
            case 12: {
                const int32_t x = bytes.byte() % image->width;
                const int32_t y = bytes.byte() % image->height;
                const Kernel* kernel = data[1] % 2 == 0 ? &KernelBinomial3x3 : &KernelSmooth4x4;
                inPlace(
                    image, [&](Image& i) { convolveAt(i, x, y, *kernel); },
                    [&](Image& i) { reference::convolveAt(i, x, y, *kernel); }, seed);
                break;
            }
            case 14: {
                const int32_t mode = bytes.integer();
                image->setSampleMode(mode);
                break;
            }
            case 15: {
                const double x = bytes.real();
                const double y = bytes.real();
                const Pixel fast = image->sample(x, y);
                check(fast == reference::sample(*image, x, y));
                const bool inside = x >= 0 && y >= 0 && x < image->width && y < image->height;
                const int32_t mode = image->sampleMode;
                if (mode < 0 || mode > 2)
                    check(fast == (Pixel{0, 0, 0, 255}));
                else if (!inside)
                    check(fast == (Pixel{255, 255, 255, 255}));
                break;
            }
            case 16: {
                const double sx = bytes.real();
                const double sy = bytes.real();
                // Keep the result small; the sizes themselves are the library's to refuse.
                const double w = image->width * sx;
                const double h = image->height * sy;
                if (!(w < 64 && h < 64)) break;
                auto result = tryScaleImage(*image, sx, sy, nullptr);
                check(static_cast<bool>(result) == (w >= 1 && h >= 1));
                if (!result) break;
                check(same(*reference::scaleImage(*image, sx, sy), *result));
                check(result->sampleMode == Nearest);
                image = std::move(result);
                break;
            }
            case 17: {
                const double degrees = bytes.real();
                auto result = tryRotateImage(*image, degrees, nullptr);
                if (!result) break;  // every sample opaque white: the plain one would end
                check(same(*reference::rotateImage(*image, degrees), *result));
                image = std::move(result);
                break;
            }
            case 18: {
                auto result = tryTrimWhite(*image, nullptr);
                if (!result) {
                    for (int32_t k = 0; k < image->pixelCount; ++k) {
                        check(isOpaqueWhite(image->pixels[k]));
                    }
                    break;
                }
                check(same(*reference::trimWhite(*image), *result));
                image = std::move(result);
                break;
            }
            case 19: {
                const int32_t kind = bytes.integer();
                auto result = tryWarpImage(*image, kind, nullptr);
                check(static_cast<bool>(result));
                const int32_t side = 2 * image->height + 1;
                if (kind == PolarSquare)
                    check(result->width == side && result->height == side);
                else
                    check(result->width == image->width && result->height == image->height);
                check(same(*reference::warpImage(*image, kind), *result));
                image = std::move(result);
                break;
            }
            default: {
                const int32_t tile = bytes.integer();
                auto result = makePatchwork(*image, tile);
                check(result->width == image->width && result->height == image->height);
                for (int32_t k = 0; k < result->pixelCount; ++k) check(result->pixels[k].a == 0);
                if (tile >= 1 && tile <= 64) {
                    check(same(*reference::makePatchwork(*image, tile), *result));
                }
                image = std::move(result);
                break;
            }
        }
    }
    return 0;
}
