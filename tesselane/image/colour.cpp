#include "tesselane/image/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tesselane/image/real.h"

namespace tesselane {
namespace {

uint8_t clampIntToByte(int32_t value) {
    return static_cast<uint8_t>(std::min(std::max(value, 0), 255));
}

uint8_t roundedToByte(double value) { return clampIntToByte(floorToInt32(value + 0.5)); }

uint8_t saturatingSum(uint8_t a, uint8_t b) { return clampIntToByte(int32_t{a} + int32_t{b}); }

uint8_t flooredDifference(uint8_t a, uint8_t b) { return clampIntToByte(int32_t{a} - int32_t{b}); }

uint8_t cappedProduct(uint8_t a, uint8_t b) { return clampIntToByte(int32_t{a} * int32_t{b}); }

}  // namespace

uint8_t clampToByte(double x) { return clampIntToByte(truncToInt32(x)); }

uint8_t scaleChannel(uint8_t c, double factor) {
    return roundedToByte(static_cast<double>(c) * factor);
}

uint8_t lerpChannel(uint8_t a, uint8_t b, double t) {
    const double w = 1.0 - t;
    const double x = w * static_cast<double>(a);
    const double y = static_cast<double>(b) * t;
    return roundedToByte(x + y);
}

Pixel scalePixel(Pixel p, double factor) {
    return Pixel{scaleChannel(p.r, factor), scaleChannel(p.g, factor), scaleChannel(p.b, factor),
                 scaleChannel(p.a, factor)};
}

Pixel lerpPixel(Pixel a, Pixel b, double t) {
    return Pixel{lerpChannel(a.r, b.r, t), lerpChannel(a.g, b.g, t), lerpChannel(a.b, b.b, t),
                 lerpChannel(a.a, b.a, t)};
}

Pixel addPixels(Pixel a, Pixel b) {
    return Pixel{saturatingSum(a.r, b.r), saturatingSum(a.g, b.g), saturatingSum(a.b, b.b),
                 saturatingSum(a.a, b.a)};
}

Pixel subtractPixels(Pixel a, Pixel b) {
    return Pixel{flooredDifference(a.r, b.r), flooredDifference(a.g, b.g),
                 flooredDifference(a.b, b.b), flooredDifference(a.a, b.a)};
}

Pixel multiplyPixels(Pixel a, Pixel b) {
    return Pixel{cappedProduct(a.r, b.r), cappedProduct(a.g, b.g), cappedProduct(a.b, b.b),
                 cappedProduct(a.a, b.a)};
}

uint8_t randomByte() { return static_cast<uint8_t>(std::rand() & 0xFF); }

Pixel randomPixel() {
    Pixel p;
    p.a = randomByte();
    p.b = randomByte();
    p.g = randomByte();
    p.r = randomByte();
    return p;
}

Pixel posterizePixel(Pixel p, int32_t bits) {
    // Outside 1..8 the shift would be negative or leave no levels to divide by.
    const int32_t shift = 8 - std::min(std::max(bits, 1), 8);
    const int32_t levels = 255 >> shift;
    const float step = 255.0f / static_cast<float>(levels);
    const auto level = [&](uint8_t c) {
        const float v = static_cast<float>(c >> shift) * step;
        return static_cast<double>(v);
    };
    Pixel result = p;
    setRgbClamped(result, level(p.r), level(p.g), level(p.b));
    result.a = 255;
    return result;
}

bool isOpaqueWhite(Pixel p) { return p.r == 255 && p.g == 255 && p.b == 255 && p.a == 255; }

void setRgb(Pixel& p, int r, int g, int b) {
    // Callers pass 0..255; the low byte is kept for anything else.
    p.r = static_cast<uint8_t>(r);
    p.g = static_cast<uint8_t>(g);
    p.b = static_cast<uint8_t>(b);
}

void setRgbClamped(Pixel& p, double r, double g, double b) {
    p.r = clampToByte(r);
    p.g = clampToByte(g);
    p.b = clampToByte(b);
}

void setRgbaClamped(Pixel& p, double r, double g, double b, double a) {
    setRgbClamped(p, r, g, b);
    p.a = clampToByte(a);
}

}  // namespace tesselane
