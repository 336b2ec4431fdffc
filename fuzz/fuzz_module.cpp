// Arbitrary bytes as the module's input file: Tesselane writes its patchwork to a temporary
// output, which must read back as a 24-bit BMP of the input's size. Inputs the reader refuses
// would end the process inside the module (its documented behaviour, tested elsewhere), so
// they are passed over here.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tesselane/entry/entry.h"
#include "tesselane/image/bmp.h"

namespace {

std::u16string utf16(const std::string& path) { return std::u16string(path.begin(), path.end()); }

const std::string& workDirectory() {
    static const std::string directory = [] {
        char pattern[] = "/tmp/tesselane-fuzz-module-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        return std::string(pattern);
    }();
    return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tesselane;
    BmpPicture source;
    if (readBmpMemory(data, size, source, nullptr) != BmpStatus::Ok) return 0;
    // Keep the output small enough for a fast fuzzing loop.
    if (int64_t{source.bitmap.width} * source.bitmap.height > (1 << 22)) return 0;

    const std::string input = workDirectory() + "/in.bmp";
    const std::string output = workDirectory() + "/out.bmp";
    FILE* file = std::fopen(input.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    std::remove(output.c_str());

    if (Tesselane(utf16(input).c_str(), utf16(output).c_str()) != 999) std::abort();

    BmpPicture result;
    if (readBmpFile(output.c_str(), result, nullptr) != BmpStatus::Ok) std::abort();
    if (result.bitmap.bitDepth != 24 || result.bitmap.width != source.bitmap.width ||
        result.bitmap.height != source.bitmap.height) {
        std::abort();
    }
    return 0;
}
