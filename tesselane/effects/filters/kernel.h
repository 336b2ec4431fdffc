#pragma once

#include <array>
#include <cstddef>

namespace tesselane {

// 25 weights of a 5x5 neighbourhood; the weight of the neighbour at offset (dx, dy), each in
// -2..+2, is entry 5 * (dx + 2) + (dy + 2).
using Kernel = std::array<double, 25>;

// 1/4 on (0, 0), (0, +1), (+1, 0), (+1, +1): each pixel with its right, lower and lower-right
// neighbours. Kind 2.
extern const Kernel KernelBox2x2;
// (1, 2, 1) x (1, 2, 1) / 16 on offsets -1..+1. Kind 3.
extern const Kernel KernelBinomial3x3;
// A 4x4 block on offsets -1..+2, weighted mostly on the 2x2 centre (59/256 each). Kind 4.
extern const Kernel KernelSmooth4x4;
// (1, 4, 6, 4, 1) x (1, 4, 6, 4, 1) / 256. Kind 5 and above, and the sampler's Gaussian5x5.
extern const Kernel KernelBinomial5x5;

}  // namespace tesselane
