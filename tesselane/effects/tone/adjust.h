#pragma once

// Point adjustments: each rewrites every pixel of the image in place from that pixel alone
// (and, for the noisy ones, from the random generator), keeping the image's size. Reals may
// be anything: NaN, infinities and huge values follow the colour arithmetic's clamping.

#include <cstdint>

#include "tesselane/image/image.h"

namespace tesselane {

// Each pixel p becomes addPixels(p, scalePixel(randomPixel(), amount)): noise only brightens,
// alpha included. Columns are visited in turn, top to bottom: pixel (x, y) takes draws
// 4k + 1..4k + 4 of rand() with k = x * height + y, 4 * width * height draws in all, even
// when amount is 0 or negative (the image then stays as it was).
void addNoise(Image& image, double amount);

// Each channel, alpha included, becomes scaleChannel(c, factor), rounded: 0.5 turns alpha
// 255 into 128, 0 makes every pixel (0, 0, 0, 0), 1 keeps the image.
void scaleBrightness(Image& image, double factor);

// Each pixel becomes lerpPixel((123, 123, 123, 255), p, weight), rounded: 1 keeps the image,
// 0 makes every pixel (123, 123, 123, 255), above 1 raises contrast, below 0 inverts about
// the grey. Alpha is blended from 255 the same way.
void adjustContrast(Image& image, double weight);

// Each pixel becomes lerpPixel((L, L, L, A), p, weight) with L = luma(p) and A its own
// alpha, rounded: 0 gives the grey, 1 keeps the image, above 1 saturates. Alpha stays for
// weights of ordinary size (a huge or NaN weight takes it to 0, as lerpChannel does).
void adjustSaturation(Image& image, double weight);

// Keeps one channel (0 red, 1 green, 2 blue, 3 alpha) of each pixel and sets the other
// three to 0, alpha among them. Any other channel number leaves the image unchanged.
void isolateChannel(Image& image, int32_t channel);

// Each pixel becomes posterizePixel(p, bits): R, G and B quantised and truncated (3 and 6
// bits map 255 to 254), alpha 255. bits below 1 act as 1, above 8 as 8.
void posterize(Image& image, int32_t bits);

// Each pixel p becomes posterizePixel(addPixels(scalePixel(p, 0.5), scalePixel(n, 0.5)), bits)
// with n = randomPixel(), each half rounded on its own; alpha becomes 255. Draws as addNoise
// (pixel (x, y) takes draws 4k + 1..4k + 4, k = x * height + y); bits as posterize.
void posterizeWithNoise(Image& image, int32_t bits);

}  // namespace tesselane
