#include "bench/support/bench_images.h"

namespace tesselane::bench {

std::unique_ptr<Image> noiseImage(int32_t width, int32_t height) {
    auto image = std::make_unique<Image>(width, height);
    uint32_t state = 12345;
    for (int32_t i = 0; i < image->pixelCount; ++i) {
        state = state * 1664525u + 1013904223u;
        image->pixels[i] =
            Pixel{static_cast<uint8_t>(state >> 24), static_cast<uint8_t>(state >> 16),
                  static_cast<uint8_t>(state >> 8), static_cast<uint8_t>(state >> 0)};
    }
    return image;
}

}  // namespace tesselane::bench
