#pragma once

#include <cstdint>
#include <memory>

#include "tesselane/image/image.h"

namespace tesselane::reference {

// Image::sample as its rules read, through scalePixel and addPixels: Nearest truncates,
// Bilinear scales every term twice and sums, Gaussian5x5 sums the clipped window from black
// (from white outside). NaN, infinite and huge positions are outside.
Pixel sample(const Image& image, double x, double y);

// One sample per output pixel, column by column, into a blank image.
std::unique_ptr<Image> scaleImage(const Image& source, double sx, double sy);

// The full (2R + 1) x (2R + 1) canvas, every pixel sampled, then trimWhite below.
std::unique_ptr<Image> rotateImage(const Image& source, double degrees);

// The single pass over i = 0..pixelCount - 1 that reads the picture row by row for the top
// and bottom and column by column for the left and right, then crop.
std::unique_ptr<Image> trimWhite(const Image& image);

// Every output pixel sampled through the kind's mapping, atan2 and pow per pixel; any other
// kind copies the source.
std::unique_ptr<Image> warpImage(const Image& source, int32_t kind);

}  // namespace tesselane::reference
