#pragma once

#include <cstdint>

#include "tesselane/effects/filters/kernel.h"
#include "tesselane/image/image.h"

namespace tesselane {

// Stores into pixel (x, y), in place, the sum of its 5x5 neighbourhood weighted by kernel: each
// of the 25 neighbours is scalePixel-ed by its weight (rounded on its own) and the results add
// with saturation, so R, G, B become min(255, sum) and alpha 255. A neighbour outside the
// picture is replaced per axis by the centre's coordinate. (x, y) outside changes nothing.
void convolveAt(Image& image, int32_t x, int32_t y, const Kernel& kernel);

// convolveAt on every pixel, in place, with the kernel of kind (kernelForKind: 2 box, 3 binomial
// 3x3, 4 smooth 4x4, 5 and above binomial 5x5); kind 1 or less changes nothing. Column by
// column (x outer, y inner): a pixel reads the filtered pixels left of its column and above it
// in its column, and the values from before the call elsewhere. Alpha ends at 255.
void convolveKernel(Image& image, int32_t kind);

// Pushes each pixel o away from its smoothed value s, in place: lerpPixel(s, o, 1.5), each
// channel floor(1.5 o - 0.5 s + 0.5) clamped to 0..255. s is convolveAt with the kernel of kind,
// in the order of convolveKernel, reading the already sharpened pixels; its alpha is 255, so
// alpha A becomes floor(1.5 A - 127) clamped (255 stays). Kind 1 or less changes nothing.
void sharpen(Image& image, int32_t kind);

}  // namespace tesselane
