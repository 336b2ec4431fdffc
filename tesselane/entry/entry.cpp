#include "tesselane/entry/entry.h"

#include <memory>
#include <string>

#include "tesselane/effects/patchwork/patchwork.h"
#include "tesselane/entry/path.h"
#include "tesselane/image/fatal.h"
#include "tesselane/image/image.h"

#if defined(__GNUC__)
#define TESSELANE_EXPORT __attribute__((visibility("default")))
#else
#define TESSELANE_EXPORT
#endif

extern "C" TESSELANE_EXPORT int32_t Tesselane(const TesselanePathChar* inputPath,
                                              const TesselanePathChar* outputPath) {
    using namespace tesselane;
    // The library reports through its results and the process exit; the only exception that
    // can arise here is a failed allocation of a path buffer, reported like any other.
    try {
        std::string inputBuffer;
        std::string outputBuffer;
        auto source = std::make_unique<Image>(narrowPath(inputPath, inputBuffer));
        std::unique_ptr<Image> patchwork = makePatchwork(*source, 20);
        patchwork->save(narrowPath(outputPath, outputBuffer));
        source.reset();
        patchwork.reset();
    } catch (...) {
        failAllocating();
    }
    return 999;
}
