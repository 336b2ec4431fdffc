#include "tesselane/effects/filters/kernel.h"
#include "tesselane/geometry/sampler.h"
#include "tesselane/image/colour.h"
#include "tesselane/image/image.h"
#include "tesselane/image/real.h"

namespace tesselane {
namespace sampling {

const GaussianTerms& gaussianTerms() {
    // Built on first use from the kernel itself, through scaleChannel, so the table rounds
    // exactly as a term computed on the spot would.
    static const GaussianTerms terms = [] {
        GaussianTerms table{};
        for (size_t k = 0; k < table.size(); ++k) {
            for (int c = 0; c < 256; ++c) {
                table[k][static_cast<size_t>(c)] =
                    scaleChannel(static_cast<uint8_t>(c), KernelBinomial5x5[k]);
            }
        }
        return table;
    }();
    return terms;
}

}  // namespace sampling

Pixel Image::sample(double x, double y) const {
    using namespace sampling;
    const bool inside = insideAxis(x, width) && insideAxis(y, height);
    switch (sampleMode) {
        case Nearest:
            if (!inside) return kOpaqueWhite;
            return pixelAt(truncToInt32(x), truncToInt32(y));
        case Bilinear:
            // floor(x) >= 0 and floor(x) + 1 <= width hold exactly when 0 <= x < width, so
            // the range test serves, and keeps NaN and huge positions out of the integers.
            if (!inside) return kOpaqueWhite;
            return bilinearPixel(*this, bilinearAxis(x, floorToInt32(x), width),
                                 bilinearAxis(y, floorToInt32(y), height));
        case Gaussian5x5:
            // Outside, the sum starts at opaque white and can only stay there.
            if (!inside) return kOpaqueWhite;
            return gaussianPixel(*this, gaussianAxis(floorToInt32(x - 2.5), width),
                                 gaussianAxis(floorToInt32(y - 2.5), height), gaussianTerms());
        default:
            return kOpaqueBlack;
    }
}

}  // namespace tesselane
