#include "tesselane/image/image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tesselane/image/fatal.h"

namespace tesselane {
namespace {

BmpPicture loadOrFail(const char* path) {
    BmpPicture picture;
    const BmpStatus status =
        path != nullptr ? readBmpFile(path, picture, nullptr) : BmpStatus::Unreadable;
    if (status == BmpStatus::OutOfMemory) failAllocating();
    if (status != BmpStatus::Ok) failLoading(path);
    return picture;
}

PixelArray allocateOrFail(int32_t pixelCount) {
    PixelArray pixels = allocatePixels(static_cast<size_t>(pixelCount));
    if (!pixels) failAllocating();
    return pixels;
}

}  // namespace

Image::Image(int32_t w, int32_t h, Unfilled)
    : width(w), height(h), pixelCount(checkedPixelCount(w, h)), sampleMode(0) {
    pixels = allocateOrFail(pixelCount);
    bitmap.width = w;
    bitmap.height = h;
}

Image::Image(int32_t w, int32_t h) : Image(w, h, Unfilled{}) {
    std::fill_n(pixels.get(), pixelCount, kBlankPixel);
}

Image::Image(BmpPicture&& picture)
    : pixels(std::move(picture.pixels)),
      width(picture.bitmap.width),
      height(picture.bitmap.height),
      pixelCount(width * height),
      sampleMode(0),
      bitmap(picture.bitmap) {}

Image::Image(const char* path) : Image(loadOrFail(path)) {}

Image::Image(const Image& other) : Image(other.width, other.height, Unfilled{}) {
    std::memcpy(pixels.get(), other.pixels.get(), static_cast<size_t>(pixelCount) * sizeof(Pixel));
    bitmap = other.bitmap;
}

std::unique_ptr<Image> Image::tryLoad(const char* path, std::string* why) {
    if (path == nullptr) {
        if (why != nullptr) *why = "no file name";
        return nullptr;
    }
    BmpPicture picture;
    if (readBmpFile(path, picture, why) != BmpStatus::Ok) return nullptr;
    return std::unique_ptr<Image>(new Image(std::move(picture)));
}

bool Image::save(const char* path) {
    if (path == nullptr) return false;
    Bitmap written = bitmap;
    written.width = width;
    written.height = height;
    written.bitDepth = 24;
    const bool ok = writeBmpFile(path, pixels.get(), written);
    bitmap = written;
    return ok;
}

std::unique_ptr<Image> Image::crop(int32_t x, int32_t y, int32_t w, int32_t h) const {
    auto result = std::make_unique<Image>(w, h, Unfilled{});
    for (int32_t j = 0; j < h; ++j) {
        const Pixel* from = pixels.get() + (static_cast<size_t>(y) + j) * width + x;
        std::memcpy(result->pixels.get() + static_cast<size_t>(j) * w, from,
                    static_cast<size_t>(w) * sizeof(Pixel));
    }
    return result;
}

void Image::setSampleMode(int32_t mode) { sampleMode = mode; }

bool Image::inBounds(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height;
}

Pixel& Image::pixelAt(int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

const Pixel& Image::pixelAt(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

}  // namespace tesselane
