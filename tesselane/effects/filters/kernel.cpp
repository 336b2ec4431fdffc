#include "tesselane/effects/filters/kernel.h"

namespace tesselane {

const Kernel* kernelForKind(int32_t kind) {
    if (kind <= 1) return nullptr;
    switch (kind) {
        case 2:
            return &KernelBox2x2;
        case 3:
            return &KernelBinomial3x3;
        case 4:
            return &KernelSmooth4x4;
        default:
            return &KernelBinomial5x5;
    }
}

}  // namespace tesselane
