#include "tesselane/effects/filters/kernel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tesselane {
namespace {

struct NamedKernel {
    const char* name;
    const Kernel* kernel;
    std::array<int32_t, 25> units;  // in 1/256, rows dx -2..+2, columns dy -2..+2
};

// clang-format off
const NamedKernel kBuiltIn[] = {
    {"KernelBox2x2", &KernelBox2x2, {
        0, 0, 0,  0,  0,
        0, 0, 0,  0,  0,
        0, 0, 64, 64, 0,
        0, 0, 64, 64, 0,
        0, 0, 0,  0,  0}},
    {"KernelBinomial3x3", &KernelBinomial3x3, {
        0, 0,  0,  0,  0,
        0, 16, 32, 16, 0,
        0, 32, 64, 32, 0,
        0, 16, 32, 16, 0,
        0, 0,  0,  0,  0}},
    {"KernelSmooth4x4", &KernelSmooth4x4, {
        0, 0, 0,  0,  0,
        0, 1, 2,  2,  1,
        0, 2, 59, 59, 2,
        0, 2, 59, 59, 2,
        0, 1, 2,  2,  1}},
    {"KernelBinomial5x5", &KernelBinomial5x5, {
        1, 4,  6,  4,  1,
        4, 16, 24, 16, 4,
        6, 24, 36, 24, 6,
        4, 16, 24, 16, 4,
        1, 4,  6,  4,  1}},
};
// clang-format on

double weightAt(const Kernel& kernel, int32_t dx, int32_t dy) {
    return kernel[static_cast<size_t>(5 * (dx + 2) + (dy + 2))];
}

TEST(Kernel, BuiltInWeightsAreTheTablesIn256ths) {
    for (const NamedKernel& k : kBuiltIn) {
        SCOPED_TRACE(k.name);
        for (size_t i = 0; i < 25; ++i) {
            SCOPED_TRACE("entry " + std::to_string(i));
            EXPECT_EQ((*k.kernel)[i], k.units[i] / 256.0);
            EXPECT_EQ((*k.kernel)[i] * 256.0, static_cast<double>(k.units[i]));
        }
    }
}

TEST(Kernel, BuiltInKernelsSumToOneAndAreSymmetricInDxAndDy) {
    for (const NamedKernel& k : kBuiltIn) {
        SCOPED_TRACE(k.name);
        double sum = 0;
        for (double w : *k.kernel) sum += w;
        EXPECT_EQ(sum, 1.0);
        for (int32_t dx = -2; dx <= 2; ++dx) {
            for (int32_t dy = -2; dy <= 2; ++dy) {
                EXPECT_EQ(weightAt(*k.kernel, dx, dy), weightAt(*k.kernel, dy, dx));
            }
        }
    }
}

TEST(Kernel, EntryIndexRunsDyWithinDx) {
    // Box 2x2: 1/4 on (0, 0), (0, +1), (+1, 0), (+1, +1) only.
    EXPECT_EQ(KernelBox2x2[12], 0.25);  // (0, 0)
    EXPECT_EQ(KernelBox2x2[13], 0.25);  // (0, +1)
    EXPECT_EQ(KernelBox2x2[17], 0.25);  // (+1, 0)
    EXPECT_EQ(KernelBox2x2[18], 0.25);  // (+1, +1)
    EXPECT_EQ(KernelBox2x2[11], 0.0);   // (0, -1)
    EXPECT_EQ(KernelBox2x2[7], 0.0);    // (-1, 0)
    // Smooth 4x4 reaches +2 but not -2 on both axes.
    EXPECT_EQ(weightAt(KernelSmooth4x4, 2, 2), 1 / 256.0);
    EXPECT_EQ(weightAt(KernelSmooth4x4, -1, -1), 1 / 256.0);
    EXPECT_EQ(weightAt(KernelSmooth4x4, -2, 0), 0.0);
    EXPECT_EQ(weightAt(KernelSmooth4x4, 0, -2), 0.0);
    EXPECT_EQ(weightAt(KernelBinomial5x5, -2, -2), 1 / 256.0);
    EXPECT_EQ(weightAt(KernelBinomial5x5, 0, 0), 36 / 256.0);
}

TEST(KernelForKind, ChoosesByKind) {
    const struct {
        int32_t kind;
        const Kernel* expected;
    } cases[] = {
        {INT32_MIN, nullptr},
        {-1, nullptr},
        {0, nullptr},
        {1, nullptr},
        {2, &KernelBox2x2},
        {3, &KernelBinomial3x3},
        {4, &KernelSmooth4x4},
        {5, &KernelBinomial5x5},
        {6, &KernelBinomial5x5},
        {7, &KernelBinomial5x5},
        {INT32_MAX, &KernelBinomial5x5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        EXPECT_EQ(kernelForKind(c.kind), c.expected);
    }
}

}  // namespace
}  // namespace tesselane
