#pragma once

#include <cstdint>

#include "tesselane/effects/filters/kernel.h"
#include "tesselane/image/image.h"

namespace tesselane::reference {

// The filters as their rules read, one pixel at a time through the colour arithmetic
// (scalePixel, addPixels, lerpPixel), columns in the outer loop and rows in the inner one.

// Weighted sum of the 5x5 neighbourhood of (x, y), stored into (x, y); a neighbour outside
// the picture is replaced per axis by the centre's coordinate. (x, y) lies inside the picture.
void convolveAt(Image& image, int32_t x, int32_t y, const Kernel& kernel);

// convolveAt on every pixel in column order with the kernel of kind (none for kind <= 1).
void convolveKernel(Image& image, int32_t kind);

// Every pixel in column order: smoothed by convolveAt (kind >= 2), then blended from the
// smoothed value toward its own earlier value with weight 1.5.
void sharpen(Image& image, int32_t kind);

// 8-neighbour Laplacian modulo 256 gathered in a blank scratch image and copied back; the
// frame keeps the scratch's alpha 0 with R, G, B set to 0.
void laplacianEdges(Image& image);

}  // namespace tesselane::reference
