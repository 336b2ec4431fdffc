#include "tests/reference/filters_reference.h"

#include "tesselane/image/colour.h"

namespace tesselane::reference {
namespace {

// Offset position along one axis: the centre's coordinate when the neighbour lies outside.
int32_t neighbour(int32_t centre, int32_t offset, int32_t size) {
    const int64_t n = int64_t{centre} + offset;
    return n < 0 || n > size - 1 ? centre : static_cast<int32_t>(n);
}

const Kernel* kernelOfKind(int32_t kind) {
    if (kind <= 1) return nullptr;
    if (kind == 2) return &KernelBox2x2;
    if (kind == 3) return &KernelBinomial3x3;
    if (kind == 4) return &KernelSmooth4x4;
    return &KernelBinomial5x5;
}

uint8_t lowByte(int32_t v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace

void convolveAt(Image& image, int32_t x, int32_t y, const Kernel& kernel) {
    Pixel a{0, 0, 0, 255};
    for (int32_t dx = -2; dx <= 2; ++dx) {
        for (int32_t dy = -2; dy <= 2; ++dy) {
            const int32_t nx = neighbour(x, dx, image.width);
            const int32_t ny = neighbour(y, dy, image.height);
            const double weight = kernel[static_cast<size_t>(5 * (dx + 2) + (dy + 2))];
            a = addPixels(a, scalePixel(image.pixelAt(nx, ny), weight));
        }
    }
    image.pixelAt(x, y) = a;
}

void convolveKernel(Image& image, int32_t kind) {
    const Kernel* kernel = kernelOfKind(kind);
    if (kernel == nullptr) return;
    for (int32_t x = 0; x < image.width; ++x) {
        for (int32_t y = 0; y < image.height; ++y) convolveAt(image, x, y, *kernel);
    }
}

void sharpen(Image& image, int32_t kind) {
    const Kernel* kernel = kernelOfKind(kind);
    for (int32_t x = 0; x < image.width; ++x) {
        for (int32_t y = 0; y < image.height; ++y) {
            const Pixel o = image.pixelAt(x, y);
            if (kernel != nullptr) convolveAt(image, x, y, *kernel);
            const Pixel s = image.pixelAt(x, y);
            image.pixelAt(x, y) = lerpPixel(s, o, 1.5);
        }
    }
}

void laplacianEdges(Image& image) {
    const int32_t w = image.width;
    const int32_t h = image.height;
    Image scratch(w, h);
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t y = 0; y < h; ++y) {
            Pixel& out = scratch.pixelAt(x, y);
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                out.r = 0;
                out.g = 0;
                out.b = 0;
                continue;
            }
            const auto laplacian = [&](uint8_t Pixel::*c) {
                return 8 * int32_t{image.pixelAt(x, y).*c} - image.pixelAt(x - 1, y - 1).*c -
                       image.pixelAt(x, y - 1).*c - image.pixelAt(x + 1, y - 1).*c -
                       image.pixelAt(x - 1, y).*c - image.pixelAt(x + 1, y).*c -
                       image.pixelAt(x - 1, y + 1).*c - image.pixelAt(x, y + 1).*c -
                       image.pixelAt(x + 1, y + 1).*c;
            };
            out.r = lowByte(laplacian(&Pixel::r));
            out.g = lowByte(laplacian(&Pixel::g));
            out.b = lowByte(laplacian(&Pixel::b));
        }
    }
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t y = 0; y < h; ++y) image.pixelAt(x, y) = scratch.pixelAt(x, y);
    }
}

}  // namespace tesselane::reference
