#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tesselane/image/pixel.h"

namespace tesselane {

// The staging record of an Image: the header values of the BMP file it was last read from
// or written to. It holds no pixels; an Image's pixels are its only copy of the picture.
struct Bitmap {
    int32_t width = 1;
    int32_t height = 1;
    int32_t bitDepth = 24;
    int32_t xPixelsPerMeter = 3780;
    int32_t yPixelsPerMeter = 3780;
};

enum class BmpStatus {
    Ok,
    Unreadable,   // the file cannot be opened or read
    Invalid,      // not a BMP file, or one this reader refuses
    OutOfMemory,  // a valid file whose picture cannot be held in memory
};

// A decoded picture: bitmap.width x bitmap.height pixels, top row first.
struct BmpPicture {
    Bitmap bitmap;
    PixelArray pixels;
};

// Reads the BMP file at path into picture. Anything but Ok leaves picture.pixels null and,
// when why is not null, stores a short reason a user understands ("no such file", "not a BMP
// file", "truncated pixel data", "unsupported compression 4", ...). Prints nothing.
BmpStatus readBmpFile(const char* path, BmpPicture& picture, std::string* why);

// The same rules for a file held in memory.
BmpStatus readBmpMemory(const uint8_t* data, size_t size, BmpPicture& picture, std::string* why);

// The file writeBmpFile writes, in memory: uncompressed 24-bit, 40-byte info header,
// bottom-up, rows padded with zero bytes to a multiple of 4, bfOffBits 54, biClrUsed 0,
// the resolution of bitmap. Alpha is not written. False (out untouched) when the file would
// pass the 4 GiB a BMP can describe or cannot be held in memory.
bool encodeBmp(const Pixel* pixels, const Bitmap& bitmap, std::vector<uint8_t>& out);

// Writes pixels (bitmap.width x bitmap.height, top row first) as encodeBmp lays them out.
// The file is written under a temporary name in the same directory and renamed over path
// once complete: on any failure the result is false, no partial file is left, and a file
// that was at path before is unchanged.
bool writeBmpFile(const char* path, const Pixel* pixels, const Bitmap& bitmap);

}  // namespace tesselane
