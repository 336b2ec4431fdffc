#pragma once

#include <cstdint>

#include "tesselane/image/image.h"

// The point adjustments and ditherings written as their rules read: one colour-arithmetic
// expression per pixel, pixels visited column by column (row by row for error diffusion).
namespace tesselane::reference {

void addNoise(Image& image, double amount);
void scaleBrightness(Image& image, double factor);
void adjustContrast(Image& image, double weight);
void adjustSaturation(Image& image, double weight);
void isolateChannel(Image& image, int32_t channel);
void posterize(Image& image, int32_t bits);
void posterizeWithNoise(Image& image, int32_t bits);
void orderedDither(Image& image, int32_t bits);
void errorDiffusionDither(Image& image, int32_t bits);

}  // namespace tesselane::reference
