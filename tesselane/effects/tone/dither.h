#pragma once

// Dithering: reduces R, G and B to the levels posterizePixel gives for bits bits per channel,
// in place, letting the part that posterisation drops decide which level a channel ends on.

#include <cstdint>

#include "tesselane/image/image.h"

namespace tesselane {

// Thresholds 0..15; pixel (x, y) uses entry 4 * (x mod 4) + (y mod 4). The common 4x4 Bayer
// matrix with its rows in reverse order.
inline constexpr int32_t DitherMatrix4x4[16] = {15, 7, 13, 5, 3, 11, 1, 9,
                                                12, 4, 14, 6, 0, 8,  2, 10};

// Each of R, G, B: with p its posterised value and r = max(c - p, 0), the channel becomes
// clampToByte(p + step) in single precision (step = 255 / levels) when r exceeds the
// threshold (M << (8 - bits)) / 16 of the pixel's matrix entry M, else p. Alpha is kept.
// bits below 1 act as 1, above 8 as 8 (8 leaves the image unchanged).
void orderedDither(Image& image, int32_t bits);

// Floyd-Steinberg, row by row from the top, left to right: each pixel becomes its
// posterised value with alpha 255, and its error max(c - p, 0) goes to the unvisited
// neighbours inside the image (right 7/16, below-left 3/16, below 5/16, below-right 1/16),
// each share rounded on its own by scaleChannel and added saturating. bits as orderedDither.
void errorDiffusionDither(Image& image, int32_t bits);

}  // namespace tesselane
