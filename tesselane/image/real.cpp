#include "tesselane/image/real.h"

#include <cmath>

namespace tesselane {

int32_t truncToInt32(double value) {
    // Written so that NaN fails both comparisons and lands on 0.
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    if (!(value == value)) return 0;
    return static_cast<int32_t>(value);
}

int32_t floorToInt32(double value) { return truncToInt32(std::floor(value)); }

}  // namespace tesselane
