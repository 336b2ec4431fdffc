#include "tesselane/image/bmp.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "tesselane/image/file_io.h"

namespace tesselane {
namespace {

constexpr uint32_t kHeaderBytes = 14 + 40;
// Rows are packed into blocks of about this size before they are handed on.
constexpr size_t kBlockBytes = size_t{1} << 20;

void putU16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void putU32(uint8_t* at, uint32_t value) {
    putU16(at, value & 0xFFFF);
    putU16(at + 2, value >> 16);
}

// Size of the pixel data, or false when the file would pass what 32-bit sizes describe.
bool imageBytes(const Bitmap& bitmap, uint32_t& bytes, size_t& rowBytes) {
    if (bitmap.width < 1 || bitmap.height < 1) return false;
    const uint64_t row = (uint64_t{3} * static_cast<uint64_t>(bitmap.width) + 3) / 4 * 4;
    const uint64_t total = row * static_cast<uint64_t>(bitmap.height);
    if (total > UINT32_MAX - kHeaderBytes || row > SIZE_MAX) return false;
    bytes = static_cast<uint32_t>(total);
    rowBytes = static_cast<size_t>(row);
    return true;
}

void fillHeader(uint8_t* h, const Bitmap& bitmap, uint32_t dataBytes) {
    std::memset(h, 0, kHeaderBytes);
    h[0] = 'B';
    h[1] = 'M';
    putU32(h + 2, kHeaderBytes + dataBytes);                        // bfSize
    putU32(h + 10, kHeaderBytes);                                   // bfOffBits
    putU32(h + 14, 40);                                             // biSize
    putU32(h + 18, static_cast<uint32_t>(bitmap.width));            // biWidth
    putU32(h + 22, static_cast<uint32_t>(bitmap.height));           // biHeight, bottom-up
    putU16(h + 26, 1);                                              // biPlanes
    putU16(h + 28, 24);                                             // biBitCount
    putU32(h + 34, dataBytes);                                      // biSizeImage
    putU32(h + 38, static_cast<uint32_t>(bitmap.xPixelsPerMeter));  // biXPelsPerMeter
    putU32(h + 42, static_cast<uint32_t>(bitmap.yPixelsPerMeter));  // biYPelsPerMeter
}

// Hands the whole file to emit in blocks: the header, then the rows bottom-up as B, G, R
// with zero padding. A row longer than a block goes out in pieces.
template <class Emit>
bool emitFile(const Pixel* pixels, const Bitmap& bitmap, Emit&& emit) {
    uint32_t dataBytes = 0;
    size_t rowBytes = 0;
    if (!imageBytes(bitmap, dataBytes, rowBytes)) return false;
    uint8_t header[kHeaderBytes];
    fillHeader(header, bitmap, dataBytes);
    if (!emit(header, sizeof header)) return false;

    const size_t width = static_cast<size_t>(bitmap.width);
    const size_t blockBytes = std::max(kBlockBytes, size_t{4});
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockBytes]);
    if (!block) return false;
    size_t used = 0;
    for (int32_t fileRow = 0; fileRow < bitmap.height; ++fileRow) {
        const Pixel* row = pixels + static_cast<size_t>(bitmap.height - 1 - fileRow) * width;
        for (size_t x = 0; x < width;) {
            if (blockBytes - used < 3) {
                if (!emit(block.get(), used)) return false;
                used = 0;
            }
            const size_t count = std::min(width - x, (blockBytes - used) / 3);
            uint8_t* out = block.get() + used;
            for (size_t k = 0; k < count; ++k) {
                const Pixel p = row[x + k];
                out[3 * k] = p.b;
                out[3 * k + 1] = p.g;
                out[3 * k + 2] = p.r;
            }
            used += 3 * count;
            x += count;
        }
        for (size_t pad = rowBytes - 3 * width; pad > 0; --pad) {
            if (used == blockBytes) {
                if (!emit(block.get(), used)) return false;
                used = 0;
            }
            block[used++] = 0;
        }
    }
    return used == 0 || emit(block.get(), used);
}

}  // namespace

bool encodeBmp(const Pixel* pixels, const Bitmap& bitmap, std::vector<uint8_t>& out) {
    uint32_t dataBytes = 0;
    size_t rowBytes = 0;
    if (!imageBytes(bitmap, dataBytes, rowBytes)) return false;
    std::vector<uint8_t> file;
    try {
        file.reserve(size_t{kHeaderBytes} + dataBytes);
    } catch (const std::exception&) {  // bad_alloc, or length_error beyond the address space
        return false;
    }
    // The reserve holds the whole file, so the insertions never allocate.
    const bool complete = emitFile(pixels, bitmap, [&](const uint8_t* data, size_t size) {
        file.insert(file.end(), data, data + size);
        return true;
    });
    if (!complete) return false;
    out.swap(file);
    return true;
}

bool writeBmpFile(const char* path, const Pixel* pixels, const Bitmap& bitmap) {
    uint32_t dataBytes = 0;
    size_t rowBytes = 0;
    if (!imageBytes(bitmap, dataBytes, rowBytes)) return false;
    return replaceFile(path, [&](FileSink& sink) {
        return emitFile(pixels, bitmap,
                        [&](const uint8_t* data, size_t size) { return sink.write(data, size); });
    });
}

}  // namespace tesselane
