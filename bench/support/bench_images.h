#pragma once

#include <cstdint>
#include <memory>

#include "tesselane/image/image.h"

namespace tesselane::bench {

// The picture size every benchmark is measured at.
constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;

// A picture of width x height with every byte from a fixed pseudo-random sequence.
std::unique_ptr<Image> noiseImage(int32_t width = kWidth, int32_t height = kHeight);

}  // namespace tesselane::bench
