#pragma once

// The warps, under the rules of the geometric operations in tesselane/geometry/transform.h:
// one sample of the source per output pixel, in the source's sampleMode; a new picture in
// Nearest mode; tryWarpImage returns null, with the reason in *why when why is not null,
// where warpImage would end the process.

#include <cstdint>
#include <memory>
#include <string>

#include "tesselane/image/image.h"

namespace tesselane {

// Selects the bend of warpImage.
enum WarpKind { SineWave = 0, PolarSquare = 1, PolarSameSize = 2 };

// SineWave: width x height; pixel (i, j) samples (i, d + j), d = (height div 2) x
// sin(2i x 3.141592 / width): one period across, column 0 in place.
// PolarSquare: n x n, n = 2 height + 1, the source wrapped into a disc about the centre:
// pixel (a + height, b + height) samples ((width div 2) atan2(b, a) x 0.3183099524062959 +
// width div 2, sqrt(b^2 + a^2)), so row 0 is the centre and radius height or more is opaque
// white. n x n beyond int32_t pixels ends the process.
// PolarSameSize: width x height, the PolarSquare picture shrunk by nearest neighbour into a
// centred square of side m = min(width, height): its pixel (u, v) samples the PolarSquare
// offsets a = floor((2u + 1) n / 2m) - height and b likewise from v, the centres of m even
// cells across the n offsets, so the whole disc shows; the bands beside the square would
// sample beyond the disc and are opaque white.
// Any other kind: an unchanged copy.
std::unique_ptr<Image> warpImage(const Image& source, int32_t kind);
std::unique_ptr<Image> tryWarpImage(const Image& source, int32_t kind, std::string* why);

}  // namespace tesselane
