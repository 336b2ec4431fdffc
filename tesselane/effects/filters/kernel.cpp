#include "tesselane/effects/filters/kernel.h"

namespace tesselane {
namespace {

// Weights are given in 1/256 so every entry is exact; rows are dx, columns dy.
constexpr Kernel inUnitsOf256(std::array<int, 25> k) {
    Kernel kernel{};
    for (std::size_t i = 0; i < kernel.size(); ++i) kernel[i] = k[i] / 256.0;
    return kernel;
}

}  // namespace

// clang-format off
const Kernel KernelBox2x2 = inUnitsOf256({
    0, 0, 0,  0,  0,
    0, 0, 0,  0,  0,
    0, 0, 64, 64, 0,
    0, 0, 64, 64, 0,
    0, 0, 0,  0,  0,
});

const Kernel KernelBinomial3x3 = inUnitsOf256({
    0, 0,  0,  0,  0,
    0, 16, 32, 16, 0,
    0, 32, 64, 32, 0,
    0, 16, 32, 16, 0,
    0, 0,  0,  0,  0,
});

const Kernel KernelSmooth4x4 = inUnitsOf256({
    0, 0, 0,  0,  0,
    0, 1, 2,  2,  1,
    0, 2, 59, 59, 2,
    0, 2, 59, 59, 2,
    0, 1, 2,  2,  1,
});

const Kernel KernelBinomial5x5 = inUnitsOf256({
    1, 4,  6,  4,  1,
    4, 16, 24, 16, 4,
    6, 24, 36, 24, 6,
    4, 16, 24, 16, 4,
    1, 4,  6,  4,  1,
});
// clang-format on

}  // namespace tesselane
