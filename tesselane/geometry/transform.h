#pragma once

// Geometric operations: new pictures built by sampling a source. Each output pixel is one
// Image::sample of the source at a computed position, so the source's sampleMode decides the
// interpolation, positions outside the source come back opaque white (255, 255, 255, 255), and
// a mode other than 0, 1 and 2 makes every sample opaque black. The source is unchanged; the
// result is new, owned by the caller, in Nearest mode. Angles use the half turn 3.141592.
//
// Each operation has a try-variant that returns null instead of ending the process, with a
// short reason in *why when why is not null, in exactly the cases where the plain one prints
// "Error allocating image." and exits with -1 (running out of memory still ends it).
// warpImage and WarpKind are in tesselane/geometry/warp.h, included here.

#include <cstdint>
#include <memory>
#include <string>

#include "tesselane/geometry/warp.h"
#include "tesselane/image/image.h"

namespace tesselane {

// New image of trunc(width * sx) x trunc(height * sy); pixel (i, j) samples the source at
// (i / sx, j * (1 / sy)), the two axes in these two forms. A size below 1 (a factor of 0 or
// below, NaN, or too small for the picture), not finite or beyond int32_t pixels ends the
// process.
std::unique_ptr<Image> scaleImage(const Image& source, double sx, double sy);
std::unique_ptr<Image> tryScaleImage(const Image& source, double sx, double sy, std::string* why);

// The source turned counter-clockwise (as displayed) about its top-left corner, the opaque-
// white margin trimmed as trimWhite does: with t = degrees * 0.01745328888888889 and R the
// diagonal truncated, offset (a, b), |a|, |b| <= R, samples (a cos t - b sin t, b cos t +
// a sin t). Ends the process when every sample is opaque white or (2R + 1)^2 passes int32_t.
std::unique_ptr<Image> rotateImage(const Image& source, double degrees);
std::unique_ptr<Image> tryRotateImage(const Image& source, double degrees, std::string* why);

// Crop of the smallest rectangle that holds every pixel not opaque white; white with alpha
// below 255 counts as picture. Ends the process on an image that is opaque white all over.
std::unique_ptr<Image> trimWhite(const Image& image);
std::unique_ptr<Image> tryTrimWhite(const Image& image, std::string* why);

}  // namespace tesselane
