#pragma once

#include <cstdint>
#include <memory>

#include "tesselane/image/image.h"

namespace tesselane {

// New image of the source's size, cut by 45-degree lines into diamond tiles tileSize pixels
// across, each showing the source through one channel mask: red only, green only, blue only,
// or red and green, in a fixed pattern over the tile grid. Tile (i, j) holds the pixels with
// j = floor((x + y) / tileSize) and i = j - floor((x - y) / tileSize); it takes mask
// (j + 2i + 2) mod 4 of that list. Only the tile rows i < (2 * width) / tileSize are drawn,
// so a picture taller than wide keeps a white band at the bottom; undrawn pixels, and the
// alpha of every pixel, keep the blank value (255, 255, 255, 0). A tileSize below 1 counts
// as 1. The caller owns the result; the source is unchanged.
std::unique_ptr<Image> makePatchwork(const Image& source, int32_t tileSize);

}  // namespace tesselane
