#pragma once

// The whole C++ surface of the library.

#include "tesselane/effects/filters/convolve.h"
#include "tesselane/effects/filters/edges.h"
#include "tesselane/effects/filters/kernel.h"
#include "tesselane/effects/patchwork/patchwork.h"
#include "tesselane/effects/tone/adjust.h"
#include "tesselane/effects/tone/dither.h"
#include "tesselane/geometry/transform.h"
#include "tesselane/geometry/warp.h"
#include "tesselane/image/bmp.h"
#include "tesselane/image/colour.h"
#include "tesselane/image/image.h"
#include "tesselane/image/pixel.h"
#include "tesselane/image/real.h"
