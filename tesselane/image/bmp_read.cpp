#include "tesselane/image/bmp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#if defined(_WIN32)
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tesselane {
namespace {

constexpr int32_t kDefaultPixelsPerMeter = 3780;
constexpr uint64_t kFileHeaderSize = 14;
constexpr uint64_t kMaskOffset = kFileHeaderSize + 40;
// The most the headers, masks and a 256-entry colour table can take.
constexpr size_t kHeadCapacity = kFileHeaderSize + 124 + 16 + 256 * 4;
// Files are read this much at a time, so a picture never sits in memory twice.
constexpr size_t kChunkBytes = size_t{256} << 10;
// An RLE picture may hold at most this many pixels per byte of its data; see parseHeaders.
constexpr uint64_t kRlePixelsPerByte = 256;

enum Compression : uint32_t {
    Plain = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3,
    Jpeg = 4,
    Png = 5,
    AlphaBitFields = 6,
};

// Why a read failed, in a fixed buffer so that failing allocates nothing.
struct Failure {
    char reason[80] = {};
};

BmpStatus fail(Failure& failure, BmpStatus status, const char* reason) {
    std::snprintf(failure.reason, sizeof failure.reason, "%s", reason);
    return status;
}

template <typename... Numbers>
BmpStatus refuse(Failure& failure, const char* format, Numbers... numbers) {
    std::snprintf(failure.reason, sizeof failure.reason, format, numbers...);
    return BmpStatus::Invalid;
}

BmpStatus refuse(Failure& failure, const char* reason) {
    return fail(failure, BmpStatus::Invalid, reason);
}

// The system's text for an errno value, starting lower-case like our own reasons.
BmpStatus failWithErrno(Failure& failure, int error) {
    switch (error) {
        case ENOENT:
            return fail(failure, BmpStatus::Unreadable, "no such file");
        case EACCES:
        case EPERM:
            return fail(failure, BmpStatus::Unreadable, "permission denied");
        case EISDIR:
            return fail(failure, BmpStatus::Unreadable, "is a directory");
        default:
            break;
    }
    fail(failure, BmpStatus::Unreadable, std::strerror(error));
    if (failure.reason[0] >= 'A' && failure.reason[0] <= 'Z') {
        failure.reason[0] = static_cast<char>(failure.reason[0] - 'A' + 'a');
    }
    return BmpStatus::Unreadable;
}

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t readU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

// One bit field scaled to 0..255: field * 255 / maximum, truncated, where maximum is the
// mask shifted down to its lowest set bit. (value & mask) >> shift never exceeds maximum,
// whatever the mask, so the table index stays in range; a zero mask gives 0.
struct Channel {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t maximum = 0;
    // Fields up to 10 bits wide are scaled through the table, wider ones by division.
    static constexpr uint32_t kTableSize = 1024;
    uint8_t table[kTableSize] = {};

    void setMask(uint32_t newMask) {
        mask = newMask;
        shift = 0;
        if (mask != 0) {
            while (((mask >> shift) & 1u) == 0) ++shift;
        }
        maximum = mask >> shift;
        if (maximum < kTableSize) {
            for (uint32_t field = 0; field <= maximum; ++field) table[field] = scaled(field);
        }
    }

    uint8_t scaled(uint32_t field) const {
        if (maximum == 0) return 0;
        return static_cast<uint8_t>(uint64_t{field} * 255 / maximum);
    }

    uint8_t operator()(uint32_t value) const {
        const uint32_t field = (value & mask) >> shift;
        return maximum < kTableSize ? table[field] : scaled(field);
    }
};

enum class Encoding { Indexed, Bgr24, Bgra32, Fields, RunLength8, RunLength4 };

// Everything the pixel decoding needs, checked against the file.
struct Layout {
    Encoding encoding = Encoding::Bgr24;
    uint32_t bits = 24;
    int32_t width = 0;
    int32_t height = 0;  // rows, positive
    bool topDown = false;
    uint64_t dataOffset = 0;
    uint64_t stride = 0;    // bytes per stored row, padding included
    uint64_t rowBytes = 0;  // bytes per stored row without the padding
    Pixel palette[256];     // entries missing from the file are blank
    Channel red, green, blue, alpha;
};

// Checks the headers at the start of the file (head holds its first headLength bytes, the
// file being fileSize long) and fills layout and bitmap.
BmpStatus parseHeaders(const uint8_t* head, size_t headLength, uint64_t fileSize, Layout& layout,
                       Bitmap& bitmap, Failure& failure) {
    if (headLength < 2 || head[0] != 'B' || head[1] != 'M') {
        return refuse(failure, "not a BMP file");
    }
    if (headLength < kFileHeaderSize + 4) return refuse(failure, "truncated header");
    const uint64_t dataOffset = readU32(head + 10);
    const uint32_t headerSize = readU32(head + 14);
    switch (headerSize) {
        case 12:
        case 16:
        case 40:
        case 52:
        case 56:
        case 64:
        case 108:
        case 124:
            break;
        default:
            return refuse(failure, "unsupported header size %u", headerSize);
    }
    if (headLength < kFileHeaderSize + headerSize) return refuse(failure, "truncated header");

    // The fields a header does not have read as 0, as a 16-byte one leaves off after the
    // bit count.
    const uint8_t* info = head + kFileHeaderSize;
    uint8_t fields[40] = {};
    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bits = 0;
    if (headerSize == 12) {
        width = readU16(info + 4);
        height = readU16(info + 6);
        planes = readU16(info + 8);
        bits = readU16(info + 10);
    } else {
        std::memcpy(fields, info, std::min<size_t>(headerSize, sizeof fields));
        width = readI32(fields + 4);
        height = readI32(fields + 8);
        planes = readU16(fields + 12);
        bits = readU16(fields + 14);
    }
    const uint32_t compression = readU32(fields + 16);
    const uint32_t coloursUsed = readU32(fields + 32);
    const bool os2 = headerSize == 12 || headerSize == 16 || headerSize == 64;

    if (os2 && compression == 3) return refuse(failure, "Huffman 1D compression is not supported");
    if (os2 && compression == 4) return refuse(failure, "RLE24 compression is not supported");
    if (compression == Jpeg) return refuse(failure, "embedded JPEG is not supported");
    if (compression == Png) return refuse(failure, "embedded PNG is not supported");
    const bool withMasks = compression == BitFields || compression == AlphaBitFields;
    if (compression > AlphaBitFields || (os2 && withMasks)) {
        return refuse(failure, "unsupported compression %u", compression);
    }
    switch (bits) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return refuse(failure, "unsupported bit count %u", bits);
    }
    if ((compression == Rle8 && bits != 8) || (compression == Rle4 && bits != 4) ||
        (withMasks && bits != 16 && bits != 32)) {
        return refuse(failure, "compression %u is not valid at %u bits", compression, bits);
    }
    if (planes != 1) return refuse(failure, "bad plane count %u", planes);
    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) {
        return refuse(failure, "bad size %lldx%lld", static_cast<long long>(width),
                      static_cast<long long>(height));
    }
    const bool runLength = compression == Rle8 || compression == Rle4;
    if (runLength && height < 0) return refuse(failure, "top-down RLE is not supported");
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    const uint64_t columns = static_cast<uint64_t>(width);
    const uint64_t pixelCount = columns * rows;  // both below 2^31
    if (pixelCount > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ||
        pixelCount > std::numeric_limits<size_t>::max() / sizeof(Pixel)) {
        return refuse(failure, "image too large");
    }

    // Masks start right after the 40-byte part of the header: inside a header of 52 bytes
    // or more, after it otherwise (a 52-byte header with compression 6 is followed by the
    // alpha mask alone).
    uint64_t masksAfterHeader = 0;
    if (withMasks) {
        const uint64_t maskBytes = compression == AlphaBitFields || headerSize >= 56 ? 16 : 12;
        const uint64_t inHeader = headerSize >= 52 ? std::min<uint64_t>(headerSize - 40, 16) : 0;
        masksAfterHeader = maskBytes > inHeader ? maskBytes - inHeader : 0;
        if (headLength < kMaskOffset + maskBytes) return refuse(failure, "truncated header");
        layout.red.setMask(readU32(head + kMaskOffset));
        layout.green.setMask(readU32(head + kMaskOffset + 4));
        layout.blue.setMask(readU32(head + kMaskOffset + 8));
        layout.alpha.setMask(maskBytes == 16 ? readU32(head + kMaskOffset + 12) : 0);
    } else if (bits == 16) {
        layout.red.setMask(0x7C00);
        layout.green.setMask(0x03E0);
        layout.blue.setMask(0x001F);
        layout.alpha.setMask(0);
    }

    // The colour table may run on into the pixel data (some files count on 2^bits entries
    // and store fewer), so only the headers and masks bound the data offset from below.
    const uint64_t headersEnd = kFileHeaderSize + headerSize + masksAfterHeader;
    if (dataOffset < headersEnd) {
        return refuse(failure, "pixel data offset %llu is inside the headers",
                      static_cast<unsigned long long>(dataOffset));
    }
    if (dataOffset >= fileSize) {
        return refuse(failure, "pixel data offset %llu is past the end of the file",
                      static_cast<unsigned long long>(dataOffset));
    }
    const uint64_t dataBytes = fileSize - dataOffset;

    layout.bits = bits;
    layout.width = static_cast<int32_t>(width);
    layout.height = static_cast<int32_t>(rows);
    layout.topDown = height < 0;
    layout.dataOffset = dataOffset;
    layout.rowBytes = (columns * bits + 7) / 8;
    layout.stride = (columns * bits + 31) / 32 * 4;
    if (runLength) {
        // An RLE picture can be far larger than its data: an end of bitmap or a delta blanks
        // any number of pixels. The allocation is bounded by the data instead: at most 256
        // pixels per byte, twice what the densest plain runs give (255 pixels in 2 bytes).
        // 100 bytes of RLE data thus never cost more than 100 KiB of pixels.
        if (pixelCount > dataBytes * kRlePixelsPerByte) {
            return refuse(failure, "RLE data too short for a %lldx%lld picture",
                          static_cast<long long>(width), static_cast<long long>(height));
        }
        layout.encoding = compression == Rle8 ? Encoding::RunLength8 : Encoding::RunLength4;
    } else {
        // Only the very last row may lack its padding.
        if (dataBytes < (rows - 1) * layout.stride + layout.rowBytes) {
            return refuse(failure, "truncated pixel data");
        }
        if (bits <= 8) {
            layout.encoding = Encoding::Indexed;
        } else if (bits == 24) {
            layout.encoding = Encoding::Bgr24;
        } else if (bits == 32 && !withMasks) {
            layout.encoding = Encoding::Bgra32;
        } else {
            layout.encoding = Encoding::Fields;
        }
    }

    if (bits <= 8) {
        // The table starts where the headers end; entries the file does not hold are
        // missing, and indices past the entries in use give the blank pixel.
        const uint64_t entrySize = headerSize == 12 ? 3 : 4;
        const uint64_t tableStart = headersEnd;
        uint64_t entries = uint64_t{1} << bits;
        if (coloursUsed != 0) entries = std::min<uint64_t>(entries, coloursUsed);
        const uint64_t held = headLength > tableStart ? (headLength - tableStart) / entrySize : 0;
        entries = std::min(entries, held);
        std::fill(std::begin(layout.palette), std::end(layout.palette), kBlankPixel);
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* entry = head + tableStart + i * entrySize;
            layout.palette[i] = Pixel{entry[2], entry[1], entry[0],
                                      static_cast<uint8_t>(entrySize == 4 ? entry[3] : 0)};
        }
    }

    bitmap.width = layout.width;
    bitmap.height = layout.height;
    bitmap.bitDepth = static_cast<int32_t>(bits);
    if (headerSize >= 40) {
        bitmap.xPixelsPerMeter = readI32(fields + 24);
        bitmap.yPixelsPerMeter = readI32(fields + 28);
    } else {
        bitmap.xPixelsPerMeter = kDefaultPixelsPerMeter;
        bitmap.yPixelsPerMeter = kDefaultPixelsPerMeter;
    }
    return BmpStatus::Ok;
}

// Row unpackers: count pixels from in, whose first pixel starts on a byte boundary.

template <uint32_t kBits>
void unpackIndexed(const uint8_t* in, Pixel* out, size_t count, const Pixel* palette) {
    constexpr uint32_t kPerByte = 8 / kBits;
    constexpr uint32_t kMask = (1u << kBits) - 1;
    for (size_t x = 0; x < count; ++x) {
        const uint32_t shift = 8 - kBits * (1 + static_cast<uint32_t>(x % kPerByte));
        out[x] = palette[(in[x / kPerByte] >> shift) & kMask];
    }
}

void unpackIndexed8(const uint8_t* in, Pixel* out, size_t count, const Pixel* palette) {
    for (size_t x = 0; x < count; ++x) out[x] = palette[in[x]];
}

// Four pixels from three words at a time: SSE2 has no byte shuffle, so shifts and masks on
// whole words are what runs close to memory speed. Big-endian machines take the byte loop.
void unpackBgr24(const uint8_t* in, Pixel* out, size_t count) {
    size_t x = 0;
#if !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
    for (; count - x >= 4; x += 4) {
        uint32_t w[3];  // B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3, low byte first
        std::memcpy(w, in + 3 * x, sizeof w);
        const uint32_t rgb[4] = {
            (w[0] >> 16 & 0xFFu) | (w[0] & 0xFF00u) | (w[0] & 0xFFu) << 16,
            (w[1] >> 8 & 0xFFu) | (w[1] & 0xFFu) << 8 | (w[0] >> 24) << 16,
            (w[2] & 0xFFu) | (w[1] >> 24) << 8 | (w[1] >> 16 & 0xFFu) << 16,
            (w[2] >> 24) | (w[2] >> 16 & 0xFFu) << 8 | (w[2] >> 8 & 0xFFu) << 16,
        };
        std::memcpy(static_cast<void*>(out + x), rgb, sizeof rgb);  // Pixel is trivially copyable
    }
#endif
    for (; x < count; ++x) {
        out[x].r = in[3 * x + 2];
        out[x].g = in[3 * x + 1];
        out[x].b = in[3 * x];
        out[x].a = 0;
    }
}

void unpackBgra32(const uint8_t* in, Pixel* out, size_t count) {
    for (size_t x = 0; x < count; ++x) {
        out[x].r = in[4 * x + 2];
        out[x].g = in[4 * x + 1];
        out[x].b = in[4 * x];
        out[x].a = in[4 * x + 3];
    }
}

template <uint32_t kBytes>
void unpackFields(const uint8_t* in, Pixel* out, size_t count, const Layout& layout) {
    for (size_t x = 0; x < count; ++x) {
        const uint8_t* p = in + kBytes * x;
        const uint32_t value = kBytes == 2 ? readU16(p) : readU32(p);
        out[x] =
            Pixel{layout.red(value), layout.green(value), layout.blue(value), layout.alpha(value)};
    }
}

void unpack(const Layout& layout, const uint8_t* in, Pixel* out, size_t count) {
    switch (layout.encoding) {
        case Encoding::Indexed:
            if (layout.bits == 1) unpackIndexed<1>(in, out, count, layout.palette);
            if (layout.bits == 2) unpackIndexed<2>(in, out, count, layout.palette);
            if (layout.bits == 4) unpackIndexed<4>(in, out, count, layout.palette);
            if (layout.bits == 8) unpackIndexed8(in, out, count, layout.palette);
            break;
        case Encoding::Bgr24:
            unpackBgr24(in, out, count);
            break;
        case Encoding::Bgra32:
            unpackBgra32(in, out, count);
            break;
        case Encoding::Fields:
            if (layout.bits == 16) unpackFields<2>(in, out, count, layout);
            if (layout.bits == 32) unpackFields<4>(in, out, count, layout);
            break;
        case Encoding::RunLength8:
        case Encoding::RunLength4:
            break;
    }
}

// A view that came back empty: a read error, memory for the read buffer, or a file that
// shrank since its size was taken.
template <typename Source>
BmpStatus failedView(const Source& source, Failure& failure) {
    if (source.outOfMemory) return fail(failure, BmpStatus::OutOfMemory, "not enough memory");
    if (source.error != 0) return failWithErrno(failure, source.error);
    return refuse(failure, "truncated pixel data");
}

// Uncompressed rows, a chunk of whole rows at a time, or piece by piece for rows longer than
// a chunk. Row k of the file is picture row height - 1 - k when bottom-up.
template <typename Source>
BmpStatus readRows(Source& source, const Layout& layout, Pixel* pixels, Failure& failure) {
    const size_t width = static_cast<size_t>(layout.width);
    const uint64_t height = static_cast<uint64_t>(layout.height);
    auto rowPixels = [&](uint64_t k) {
        return pixels + (layout.topDown ? k : height - 1 - k) * width;
    };
    const uint64_t limit = Source::kViewLimit;
    if (layout.stride <= limit) {
        const uint64_t rowsPerView = std::min(height, limit / layout.stride);
        for (uint64_t k = 0; k < height; k += rowsPerView) {
            const uint64_t rows = std::min(rowsPerView, height - k);
            const uint64_t bytes = (rows - 1) * layout.stride + layout.rowBytes;
            const uint8_t* in =
                source.view(layout.dataOffset + k * layout.stride, static_cast<size_t>(bytes));
            if (in == nullptr) return failedView(source, failure);
            for (uint64_t r = 0; r < rows; ++r) {
                unpack(layout, in + r * layout.stride, rowPixels(k + r), width);
            }
        }
        return BmpStatus::Ok;
    }
    // At most limit bytes, in pieces of a multiple of 8 pixels so sub-byte pixels start on a
    // byte.
    const size_t piecePixels = static_cast<size_t>(limit / layout.bits * 8);
    for (uint64_t k = 0; k < height; ++k) {
        Pixel* out = rowPixels(k);
        for (size_t x = 0; x < width; x += piecePixels) {
            const size_t count = std::min(piecePixels, width - x);
            const uint64_t start = layout.dataOffset + k * layout.stride + x * layout.bits / 8;
            const uint8_t* in =
                source.view(start, static_cast<size_t>((uint64_t{count} * layout.bits + 7) / 8));
            if (in == nullptr) return failedView(source, failure);
            unpack(layout, in, out + x, count);
        }
    }
    return BmpStatus::Ok;
}

// The bytes from offset to the end of the source, one at a time, fetched a chunk at a time.
template <typename Source>
struct ByteStream {
    Source& source;
    uint64_t position;
    const uint8_t* chunk = nullptr;
    size_t index = 0;
    size_t length = 0;
    bool failed = false;

    // The next byte, or false at the end of the data or when a read fails (failed is set).
    bool next(uint8_t& byte) {
        if (index == length) {
            if (position >= source.size()) return false;
            length = static_cast<size_t>(
                std::min<uint64_t>(source.size() - position, Source::kViewLimit));
            chunk = source.view(position, length);
            if (chunk == nullptr) {
                failed = true;
                length = 0;
                return false;
            }
            position += length;
            index = 0;
        }
        byte = chunk[index++];
        return true;
    }
};

// RLE8 and RLE4, rows from the bottom. Pixels the data skips keep the blank value; runs past
// the end of a row are clipped; the data ending early ends the picture.
template <typename Source>
BmpStatus readRunLength(Source& source, const Layout& layout, Pixel* pixels, Failure& failure) {
    const uint32_t width = static_cast<uint32_t>(layout.width);
    const uint32_t height = static_cast<uint32_t>(layout.height);
    const bool nibbles = layout.encoding == Encoding::RunLength4;
    std::fill_n(pixels, size_t{width} * height, kBlankPixel);
    ByteStream<Source> stream{source, layout.dataOffset};
    // x stops at width: whatever a row holds past its end is dropped.
    uint32_t x = 0;
    uint32_t y = 0;
    uint8_t count = 0;
    uint8_t value = 0;
    while (y < height && stream.next(count) && stream.next(value)) {
        Pixel* row = pixels + size_t{height - 1 - y} * width;
        if (count > 0) {
            // Encoded run: count pixels of one index, or of two alternating nibbles.
            const Pixel first = layout.palette[nibbles ? value >> 4 : value];
            const Pixel second = layout.palette[nibbles ? value & 15 : value];
            const uint32_t end = std::min(width, x + count);
            for (uint32_t i = 0; x < end; ++x, ++i) row[x] = (i & 1u) == 0 ? first : second;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            uint8_t dx = 0;
            uint8_t dy = 0;
            if (!stream.next(dx) || !stream.next(dy)) break;
            x = std::min(width, x + dx);
            y += dy;
        } else {
            // Absolute run of value pixels, its bytes padded to an even count.
            const uint32_t bytes = nibbles ? (value + 1u) / 2 : value;
            uint8_t byte = 0;
            uint32_t done = 0;
            for (uint32_t i = 0; i < value; ++i) {
                if (!nibbles || (i & 1u) == 0) {
                    if (!stream.next(byte)) break;
                    ++done;
                }
                const uint32_t index = !nibbles ? byte : (i & 1u) == 0 ? byte >> 4 : byte & 15u;
                if (x < width) row[x++] = layout.palette[index];
            }
            if (done < bytes) break;
            if ((bytes & 1u) != 0 && !stream.next(byte)) break;
        }
    }
    if (stream.failed) return failedView(source, failure);
    return BmpStatus::Ok;
}

// The one decoder behind readBmpMemory and readBmpFile. A Source offers size(), copy()
// (exactly count bytes at an offset into a buffer, or false), view() (a pointer to exactly
// count bytes at an offset, at most kViewLimit, or null) and error / outOfMemory to say
// why a read came back short.
template <typename Source>
BmpStatus decode(Source& source, BmpPicture& picture, Failure& failure) {
    uint8_t head[kHeadCapacity];
    const size_t headLength = static_cast<size_t>(std::min<uint64_t>(source.size(), sizeof head));
    if (!source.copy(0, head, headLength)) {
        if (source.error != 0) return failWithErrno(failure, source.error);
        return refuse(failure, "truncated header");
    }
    Layout layout;
    Bitmap bitmap;
    const BmpStatus status = parseHeaders(head, headLength, source.size(), layout, bitmap, failure);
    if (status != BmpStatus::Ok) return status;

    const size_t pixelCount =
        size_t{static_cast<uint32_t>(layout.width)} * static_cast<uint32_t>(layout.height);
    PixelArray pixels = allocatePixels(pixelCount);
    if (!pixels) return fail(failure, BmpStatus::OutOfMemory, "not enough memory");
    const BmpStatus decoded =
        layout.encoding == Encoding::RunLength8 || layout.encoding == Encoding::RunLength4
            ? readRunLength(source, layout, pixels.get(), failure)
            : readRows(source, layout, pixels.get(), failure);
    if (decoded != BmpStatus::Ok) return decoded;
    picture.bitmap = bitmap;
    picture.pixels = std::move(pixels);
    return BmpStatus::Ok;
}

struct MemorySource {
    static constexpr uint64_t kViewLimit = std::numeric_limits<size_t>::max();
    const uint8_t* data;
    size_t length;
    int error = 0;
    bool outOfMemory = false;

    uint64_t size() const { return length; }

    const uint8_t* view(uint64_t offset, size_t count) const {
        if (offset > length || count > length - offset) return nullptr;
        return data + offset;
    }

    bool copy(uint64_t offset, uint8_t* out, size_t count) const {
        if (count == 0) return true;  // data may be null when length is 0
        const uint8_t* in = view(offset, count);
        if (in == nullptr) return false;
        std::memcpy(out, in, count);
        return true;
    }
};

// Reads a file through a buffer of at most kViewLimit bytes.
struct FileSource {
    static constexpr uint64_t kViewLimit = kChunkBytes;
#if defined(_WIN32)
    std::FILE* file = nullptr;
#else
    int descriptor = -1;
#endif
    uint64_t length = 0;
    int error = 0;
    bool outOfMemory = false;
    std::unique_ptr<uint8_t[]> buffer;
    size_t capacity = 0;

    uint64_t size() const { return length; }

    bool copy(uint64_t offset, uint8_t* out, size_t count) {
#if defined(_WIN32)
        if (offset > static_cast<uint64_t>(std::numeric_limits<long long>::max()) ||
            _fseeki64(file, static_cast<long long>(offset), SEEK_SET) != 0) {
            error = errno;
            return false;
        }
        const size_t got = std::fread(out, 1, count, file);
        if (got != count && std::ferror(file) != 0) error = errno != 0 ? errno : EIO;
        return got == count;
#else
        while (count > 0) {
            if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
            const size_t step = std::min<size_t>(count, size_t{1} << 30);
            const ssize_t got = pread(descriptor, out, step, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) error = errno;
            if (got <= 0) return false;
            out += got;
            count -= static_cast<size_t>(got);
            offset += static_cast<uint64_t>(got);
        }
        return true;
#endif
    }

    const uint8_t* view(uint64_t offset, size_t count) {
        if (count > capacity) {
            buffer.reset(new (std::nothrow) uint8_t[count]);
            capacity = buffer ? count : 0;
            if (!buffer) {
                outOfMemory = true;
                return nullptr;
            }
        }
        return copy(offset, buffer.get(), count) ? buffer.get() : nullptr;
    }
};

BmpStatus readFile(const char* path, BmpPicture& picture, Failure& failure) {
    if (path == nullptr) return fail(failure, BmpStatus::Unreadable, "no file name");
    FileSource source;
#if defined(_WIN32)
    source.file = std::fopen(path, "rb");
    if (source.file == nullptr) return failWithErrno(failure, errno);
    struct _stat64 info {};
    BmpStatus status = BmpStatus::Ok;
    if (_fstat64(_fileno(source.file), &info) != 0) {
        status = failWithErrno(failure, errno);
    } else if ((info.st_mode & _S_IFMT) == _S_IFDIR) {
        status = failWithErrno(failure, EISDIR);
    } else if ((info.st_mode & _S_IFMT) != _S_IFREG) {
        status = fail(failure, BmpStatus::Unreadable, "not a regular file");
    } else {
        source.length = static_cast<uint64_t>(info.st_size);
        status = decode(source, picture, failure);
    }
    std::fclose(source.file);
    return status;
#else
    // Non-blocking, so that opening a FIFO does not wait for a writer; regular files ignore
    // the flag.
    int flags = O_RDONLY | O_NONBLOCK;
#if defined(O_CLOEXEC)
    flags |= O_CLOEXEC;
#endif
    do {
        source.descriptor = open(path, flags);
    } while (source.descriptor < 0 && errno == EINTR);
    if (source.descriptor < 0) return failWithErrno(failure, errno);
    struct stat info {};
    BmpStatus status = BmpStatus::Ok;
    if (fstat(source.descriptor, &info) != 0) {
        status = failWithErrno(failure, errno);
    } else if (S_ISDIR(info.st_mode)) {
        status = failWithErrno(failure, EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        status = fail(failure, BmpStatus::Unreadable, "not a regular file");
    } else {
        source.length = static_cast<uint64_t>(info.st_size);
        status = decode(source, picture, failure);
    }
    close(source.descriptor);
    return status;
#endif
}

// Hands the outcome to the caller. Only the reason's copy into why can throw, and then only
// for want of memory.
BmpStatus report(BmpStatus status, const Failure& failure, std::string* why) {
    if (status == BmpStatus::Ok || why == nullptr) return status;
    try {
        *why = failure.reason;
    } catch (const std::bad_alloc&) {
        why->clear();
    }
    return status;
}

}  // namespace

BmpStatus readBmpFile(const char* path, BmpPicture& picture, std::string* why) {
    picture.pixels.reset();
    Failure failure;
    const BmpStatus status = readFile(path, picture, failure);
    return report(status, failure, why);
}

BmpStatus readBmpMemory(const uint8_t* data, size_t size, BmpPicture& picture, std::string* why) {
    picture.pixels.reset();
    Failure failure;
    MemorySource source{data, data != nullptr ? size : 0};
    const BmpStatus status = decode(source, picture, failure);
    return report(status, failure, why);
}

}  // namespace tesselane
