#include "tests/reference/patchwork_reference.h"

namespace tesselane::reference {

std::unique_ptr<Image> makePatchwork(const Image& source, int32_t tileSize) {
    const int32_t t = tileSize;
    const int32_t w = source.width;
    const int32_t h = source.height;
    auto result = std::make_unique<Image>(w, h);
    const int32_t rows = (2 * w) / t;
    const int32_t reach = w / t;
    for (int32_t i = 0; i < rows; ++i) {
        for (int32_t j = 0; j <= i + reach; ++j) {
            for (int32_t x = 0; x < w; ++x) {
                for (int32_t y = 0; y < h; ++y) {
                    const bool inTile = (j - i) * t + y <= x && x < (j - i + 1) * t + y &&
                                        j * t - y <= x && x < (j + 1) * t - y;
                    if (!inTile) continue;
                    const Pixel s = source.pixelAt(x, y);
                    Pixel& out = result->pixelAt(x, y);
                    const bool odd = i % 2 == 1;
                    switch (j % 4) {
                        case 0:  // blue only / red only
                            if (odd)
                                out.r = s.r, out.g = 0, out.b = 0;
                            else
                                out.r = 0, out.g = 0, out.b = s.b;
                            break;
                        case 1:  // red and green / green only
                            if (odd)
                                out.r = 0, out.g = s.g, out.b = 0;
                            else
                                out.r = s.r, out.g = s.g, out.b = 0;
                            break;
                        case 2:  // red only / blue only
                            if (odd)
                                out.r = 0, out.g = 0, out.b = s.b;
                            else
                                out.r = s.r, out.g = 0, out.b = 0;
                            break;
                        default:  // green only / red and green
                            if (odd)
                                out.r = s.r, out.g = s.g, out.b = 0;
                            else
                                out.r = 0, out.g = s.g, out.b = 0;
                            break;
                    }
                }
            }
        }
    }
    return result;
}

}  // namespace tesselane::reference
