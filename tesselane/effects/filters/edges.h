#pragma once

#include "tesselane/image/image.h"

namespace tesselane {

// Replaces the picture, in place, by its 8-neighbour Laplacian: R, G and B of an interior pixel
// become 8 c minus the c of its eight neighbours, stored modulo 256 (not clamped: -1 gives 255),
// all from the picture as it was on entry. The one-pixel frame becomes black and every alpha 0,
// so a picture of width or height 1 or 2 ends (0, 0, 0, 0) everywhere.
void laplacianEdges(Image& image);

}  // namespace tesselane
