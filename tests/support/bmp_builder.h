#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tesselane/image/pixel.h"

namespace tesselane::testing {

// Little-endian fields appended one at a time, for files a test lays out byte by byte.
class ByteWriter {
  public:
    ByteWriter& u8(uint32_t value);
    ByteWriter& u16(uint32_t value);
    ByteWriter& u32(uint32_t value);
    ByteWriter& i32(int32_t value);
    // The characters without a terminating zero ("BM").
    ByteWriter& text(const char* characters);
    ByteWriter& bytes(const std::vector<uint8_t>& values);
    ByteWriter& zeros(size_t count);

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// The fields of a BMP file, which buildBmp writes in file order. The defaults make a valid
// 1x1 24-bit file with a 40-byte info header once pixelData is set.
struct BmpFields {
    // 12 (OS/2 1.x: 16-bit sizes, 3-byte table entries), 16 and 64 (OS/2 2.x), 40, 52, 56,
    // 108, 124; any other size writes the 40-byte layout cut or zero-padded to it, but
    // never less than the size field itself nor more than 4 KiB.
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPixelsPerMeter = 2835;
    int32_t yPixelsPerMeter = 2835;
    uint32_t coloursUsed = 0;
    uint32_t coloursImportant = 0;
    // Red, green, blue, alpha: written inside headers of 52 bytes and more (alpha from 56).
    std::array<uint32_t, 4> masks{};
    // Written right after the header, before the colour table.
    std::vector<uint32_t> masksAfterHeader;
    // Entries written B, G, R, then A unless the header is 12 bytes.
    std::vector<Pixel> colourTable;
    // Zero bytes between the colour table and the pixel data.
    uint32_t gap = 0;
    // bfOffBits and bfSize; by default where the pixel data starts and the file's length.
    std::optional<uint32_t> offBits;
    std::optional<uint32_t> fileSize;
    std::vector<uint8_t> pixelData;
};

std::vector<uint8_t> buildBmp(const BmpFields& fields);

// One row of pixel values stored at bits per pixel, zero-padded to a multiple of 4 bytes:
// indices packed from the high bits down below 8 bits, 16 and 32 bits little-endian, 24
// bits 0xRRGGBB stored B, G, R.
std::vector<uint8_t> packRow(uint32_t bits, const std::vector<uint32_t>& values);

// Rows given in file order, each packed by packRow, one after the other.
std::vector<uint8_t> packRows(uint32_t bits, const std::vector<std::vector<uint32_t>>& rows);

// The bytes as a string, for writeFile.
std::string asString(const std::vector<uint8_t>& bytes);

// readBmpMemory over the bytes of a built file.
BmpStatus readBmpBytes(const std::vector<uint8_t>& bytes, BmpPicture& picture, std::string* why);

}  // namespace tesselane::testing
