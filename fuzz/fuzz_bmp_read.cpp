// Arbitrary bytes as a BMP file: a picture or a refusal, never a crash, a hang or an
// allocation out of proportion to the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tesselane/image/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tesselane;
    BmpPicture picture;
    std::string why;
    const BmpStatus status = readBmpMemory(data, size, picture, &why);
    if (status != BmpStatus::Ok) {
        if (picture.pixels || why.empty()) std::abort();
        return 0;
    }
    const Bitmap& bitmap = picture.bitmap;
    if (!picture.pixels || bitmap.width < 1 || bitmap.height < 1) std::abort();
    if (int64_t{bitmap.width} * bitmap.height > INT32_MAX) std::abort();
    // Read every pixel, so that a short allocation shows up under the address sanitizer.
    const size_t count = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum +=
            picture.pixels[i].r + picture.pixels[i].g + picture.pixels[i].b + picture.pixels[i].a;
    }
    volatile uint32_t sink = sum;
    (void)sink;
    return 0;
}
