#pragma once

#include <cstdint>
#include <memory>

#include "tesselane/image/image.h"

namespace tesselane::reference {

// The patchwork as its tile loop reads: tile rows 0 to (2 * width) / tileSize - 1, tile
// columns 0 to i + width / tileSize, and for each tile a scan of every pixel.
std::unique_ptr<Image> makePatchwork(const Image& source, int32_t tileSize);

}  // namespace tesselane::reference
