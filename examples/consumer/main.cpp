// A program built on Tesselane: loads a BMP picture, turns it into the diagonal patchwork
// and writes the result, reporting failures instead of letting the library end the process.
//
//     consumer INPUT.bmp OUTPUT.bmp [TILE_SIZE]

#include <tesselane/tesselane.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.bmp OUTPUT.bmp [TILE_SIZE]\n", argv[0]);
        return 2;
    }
    const long tileSize = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 20;
    if (tileSize < 1 || tileSize > 1000000) {
        std::fprintf(stderr, "tile size must be a whole number from 1 to 1000000\n");
        return 2;
    }

    std::string why;
    const std::unique_ptr<tesselane::Image> source = tesselane::Image::tryLoad(argv[1], &why);
    if (!source) {
        std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
        return 1;
    }
    const std::unique_ptr<tesselane::Image> patchwork =
        tesselane::makePatchwork(*source, static_cast<int32_t>(tileSize));
    if (!patchwork->save(argv[2])) {
        std::fprintf(stderr, "%s: could not be written\n", argv[2]);
        return 1;
    }
    std::printf("%s: %dx%d patchwork, tiles of %ld\n", argv[2], patchwork->width, patchwork->height,
                tileSize);
    return 0;
}
