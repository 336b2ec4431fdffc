#pragma once

// Rules shared by every operation of the library:
// - An Image is a row-major array of RGBA pixels: pixel (x, y), x the column from the left
//   and y the row from the top, is pixels[x + y * width].
// - A blank image is transparent white, every pixel (255, 255, 255, 0); pixels that an
//   operation building a new picture does not write keep that value.
// - Operations that adjust a picture rewrite its pixels in place and return nothing;
//   operations that build a new picture return it as a std::unique_ptr the caller owns, with
//   sampleMode Nearest.
// - A size the library cannot build (width or height below 1, a pixel count beyond int32_t,
//   memory exhausted) prints "Error allocating image." on standard output and ends the
//   process with exit code -1. Callers that must not end use Image::tryLoad and check sizes.

#include <cstdint>
#include <memory>
#include <string>

#include "tesselane/image/bmp.h"
#include "tesselane/image/pixel.h"

namespace tesselane {

// How Image::sample reads between pixels.
enum SampleMode : int32_t { Nearest = 0, Bilinear = 1, Gaussian5x5 = 2 };

struct Image {
    PixelArray pixels;
    int32_t width;
    int32_t height;
    int32_t pixelCount;
    int32_t sampleMode;  // a SampleMode; any other value makes sample() opaque black
    Bitmap bitmap;       // header values of the file last loaded or saved

    // Blank image of width x height, every pixel (255, 255, 255, 0).
    Image(int32_t width, int32_t height);

    // Tag for the constructor below.
    struct Unfilled {};
    // Image of width x height whose pixel values are unset, for operations that write every
    // pixel before anything reads it. Sizes fail as in the blank constructor.
    Image(int32_t width, int32_t height, Unfilled);

    // Loads a BMP file. A file that cannot be loaded prints "Error loading image: " and the
    // path on standard output and ends the process with exit code -1. A 24-bit file loads
    // with alpha 0 everywhere; a 32-bit file brings its alpha byte along.
    explicit Image(const char* path);

    // Copy of other's current pixels and size, with sampleMode Nearest.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;

    // Loads a BMP file without ending the process: null on failure, with a short reason in
    // *why when why is not null ("no such file", "not a BMP file", "truncated pixel data").
    static std::unique_ptr<Image> tryLoad(const char* path, std::string* why);

    // Writes the picture as an uncompressed 24-bit BMP (alpha is not written), replacing
    // path atomically. False when the file cannot be written; no partial file is then left
    // and an earlier file at path is unchanged. A null path gives false.
    bool save(const char* path);

    // New image of w x h holding the region whose top-left pixel is (x, y). The caller
    // guarantees x >= 0, y >= 0, x + w <= width, y + h <= height; w or h below 1 fails as
    // the blank constructor does.
    std::unique_ptr<Image> crop(int32_t x, int32_t y, int32_t w, int32_t h) const;

    // Stores mode in sampleMode, unchecked.
    void setSampleMode(int32_t mode);

    // True exactly when 0 <= x < width and 0 <= y < height.
    bool inBounds(int32_t x, int32_t y) const;

    // Pixel (x, y), unchecked: the caller guarantees inBounds(x, y).
    Pixel& pixelAt(int32_t x, int32_t y);
    const Pixel& pixelAt(int32_t x, int32_t y) const;

    // The picture read at the real position (x, y) as sampleMode says: Nearest the pixel at
    // trunc(x), trunc(y); Bilinear four pixels, each scaled by its column and then its row
    // weight, rounded after each scaling, summed with saturation (in the last column or row
    // the pair moves one back; a picture one pixel across uses its one column or row for both);
    // Gaussian5x5 the KernelBinomial5x5 window clipped to the picture, not renormalised, from
    // opaque black. Opaque white outside the picture (NaN and infinities included) in every
    // mode; opaque black for a mode other than 0, 1 and 2. Defined in tesselane/geometry/.
    Pixel sample(double x, double y) const;

  private:
    Image(BmpPicture&& picture);
};

}  // namespace tesselane
