#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tesselane {

// 25 weights of a 5x5 neighbourhood; the weight of the neighbour at offset (dx, dy), each in
// -2..+2, is entry 5 * (dx + 2) + (dy + 2): the five weights of dx = -2 first, dy running
// from -2 to +2 within each group of five.
using Kernel = std::array<double, 25>;

namespace detail {

// A kernel given in units of 1/256, rows dx and columns dy; every entry k / 256 is exact.
constexpr Kernel kernelIn256ths(const std::array<int32_t, 25>& units) {
    Kernel kernel{};
    for (std::size_t i = 0; i < kernel.size(); ++i) kernel[i] = units[i] / 256.0;
    return kernel;
}

}  // namespace detail

// The built-in kernels. Each sums to exactly 1 and is unchanged when dx and dy are exchanged.
// clang-format off

// 1/4 on (0, 0), (0, +1), (+1, 0), (+1, +1): each pixel with its right, lower and lower-right
// neighbours. Kind 2.
inline constexpr Kernel KernelBox2x2 = detail::kernelIn256ths({
    0, 0, 0,  0,  0,
    0, 0, 0,  0,  0,
    0, 0, 64, 64, 0,
    0, 0, 64, 64, 0,
    0, 0, 0,  0,  0,
});

// (1, 2, 1) x (1, 2, 1) / 16 on offsets -1..+1. Kind 3.
inline constexpr Kernel KernelBinomial3x3 = detail::kernelIn256ths({
    0, 0,  0,  0,  0,
    0, 16, 32, 16, 0,
    0, 32, 64, 32, 0,
    0, 16, 32, 16, 0,
    0, 0,  0,  0,  0,
});

// A 4x4 block on offsets -1..+2, weighted mostly on the 2x2 centre (59/256 each). Kind 4.
inline constexpr Kernel KernelSmooth4x4 = detail::kernelIn256ths({
    0, 0, 0,  0,  0,
    0, 1, 2,  2,  1,
    0, 2, 59, 59, 2,
    0, 2, 59, 59, 2,
    0, 1, 2,  2,  1,
});

// (1, 4, 6, 4, 1) x (1, 4, 6, 4, 1) / 256. Kind 5 and above, and the sampler's Gaussian5x5.
inline constexpr Kernel KernelBinomial5x5 = detail::kernelIn256ths({
    1, 4,  6,  4,  1,
    4, 16, 24, 16, 4,
    6, 24, 36, 24, 6,
    4, 16, 24, 16, 4,
    1, 4,  6,  4,  1,
});
// clang-format on

// The kernel convolveKernel and sharpen use for kind: null for 1 or less (no smoothing),
// KernelBox2x2 for 2, KernelBinomial3x3 for 3, KernelSmooth4x4 for 4, KernelBinomial5x5 for 5
// and above.
const Kernel* kernelForKind(int32_t kind);

}  // namespace tesselane
