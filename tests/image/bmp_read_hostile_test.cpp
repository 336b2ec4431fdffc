#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tests/support/bmp_builder.h"

namespace tesselane {
namespace {

using testing::BmpFields;
using testing::buildBmp;
using testing::ByteWriter;
using testing::packRows;
using testing::readBmpBytes;

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// A valid 2x2 24-bit file's fields.
BmpFields validFields() {
    BmpFields fields;
    fields.width = 2;
    fields.height = 2;
    fields.pixelData = packRows(24, {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}});
    return fields;
}

template <typename Change>
std::vector<uint8_t> validWith(Change change) {
    BmpFields fields = validFields();
    change(fields);
    return buildBmp(fields);
}

struct HostileCase {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* why;  // a part of the reason given, or null for a file that reads
};

// Each file is read or refused with its reason; a refusal leaves no pixels, even where the
// picture held some before.
void expectOutcome(const HostileCase& c) {
    SCOPED_TRACE(c.name);
    BmpPicture picture;
    picture.pixels = allocatePixels(4);
    std::string why;
    const BmpStatus status = readBmpBytes(c.bytes, picture, &why);
    if (c.why == nullptr) {
        ASSERT_EQ(status, BmpStatus::Ok) << why;
        EXPECT_NE(picture.pixels, nullptr);
    } else {
        EXPECT_EQ(status, BmpStatus::Invalid);
        EXPECT_NE(why.find(c.why), std::string::npos) << "reason: " << why;
        EXPECT_EQ(picture.pixels, nullptr);
    }
}

TEST(BmpReadHostile, FileAndInfoHeaders) {
    const std::vector<uint8_t> valid = buildBmp(validFields());
    const std::vector<HostileCase> cases = {
        {"empty file", {}, "not a BMP file"},
        {"other magic", ByteWriter().text("BA").zeros(60).data(), "not a BMP file"},
        {"file header alone", {valid.begin(), valid.begin() + 14}, "truncated header"},
        {"info header cut short", {valid.begin(), valid.begin() + 30}, "truncated header"},
        // Written field by field: a 40-byte header with nothing after it.
        {"no pixel data at all",
         ByteWriter()
             .text("BM")  // magic
             .u32(54)     // bfSize
             .u32(0)      // reserved
             .u32(54)     // bfOffBits
             .u32(40)     // biSize
             .i32(1)      // biWidth
             .i32(1)      // biHeight
             .u16(1)      // biPlanes
             .u16(24)     // biBitCount
             .u32(0)      // biCompression
             .u32(4)      // biSizeImage
             .i32(0)      // biXPelsPerMeter
             .i32(0)      // biYPelsPerMeter
             .u32(0)      // biClrUsed
             .u32(0)      // biClrImportant
             .data(),
         "pixel data offset 54 is past the end of the file"},
        {"header size 41", validWith([](BmpFields& f) { f.headerSize = 41; }),
         "unsupported header size 41"},
        {"header size 0", validWith([](BmpFields& f) { f.headerSize = 0; }),
         "unsupported header size 0"},
        {"header size 2^32 - 1", validWith([](BmpFields& f) { f.headerSize = 0xFFFFFFFF; }),
         "unsupported header size 4294967295"},
        {"bfSize and biSizeImage wrong", validWith([](BmpFields& f) {
             f.fileSize = 1;
             f.sizeImage = 0xFFFFFFFF;
         }),
         nullptr},
        {"negative resolution", validWith([](BmpFields& f) {
             f.xPixelsPerMeter = kInt32Min;
             f.yPixelsPerMeter = -1;
         }),
         nullptr},
    };
    for (const HostileCase& c : cases) expectOutcome(c);
}

TEST(BmpReadHostile, CompressionAndBitCount) {
    const std::vector<HostileCase> cases = {
        {"embedded JPEG", validWith([](BmpFields& f) { f.compression = 4; }),
         "embedded JPEG is not supported"},
        {"embedded PNG", validWith([](BmpFields& f) { f.compression = 5; }),
         "embedded PNG is not supported"},
        {"compression 7", validWith([](BmpFields& f) { f.compression = 7; }),
         "unsupported compression 7"},
        {"compression 2^31", validWith([](BmpFields& f) { f.compression = 0x80000000; }),
         "unsupported compression 2147483648"},
        {"OS/2 Huffman 1D", validWith([](BmpFields& f) {
             f.headerSize = 64;
             f.bitCount = 1;
             f.compression = 3;
         }),
         "Huffman 1D compression is not supported"},
        {"OS/2 RLE24", validWith([](BmpFields& f) {
             f.headerSize = 64;
             f.compression = 4;
         }),
         "RLE24 compression is not supported"},
        {"OS/2 with compression 6", validWith([](BmpFields& f) {
             f.headerSize = 64;
             f.bitCount = 32;
             f.compression = 6;
         }),
         "unsupported compression 6"},
        {"bit count 0", validWith([](BmpFields& f) { f.bitCount = 0; }), "unsupported bit count 0"},
        {"bit count 64", validWith([](BmpFields& f) { f.bitCount = 64; }),
         "unsupported bit count 64"},
        {"bit count 65535", validWith([](BmpFields& f) { f.bitCount = 0xFFFF; }),
         "unsupported bit count 65535"},
        {"RLE8 at 4 bits", validWith([](BmpFields& f) {
             f.bitCount = 4;
             f.compression = 1;
         }),
         "compression 1 is not valid at 4 bits"},
        {"RLE4 at 8 bits", validWith([](BmpFields& f) {
             f.bitCount = 8;
             f.compression = 2;
         }),
         "compression 2 is not valid at 8 bits"},
        {"bit fields at 24 bits", validWith([](BmpFields& f) {
             f.compression = 3;
             f.masksAfterHeader = {0xFF0000, 0xFF00, 0xFF};
         }),
         "compression 3 is not valid at 24 bits"},
        {"alpha bit fields at 8 bits", validWith([](BmpFields& f) {
             f.bitCount = 8;
             f.compression = 6;
         }),
         "compression 6 is not valid at 8 bits"},
        {"planes 0", validWith([](BmpFields& f) { f.planes = 0; }), "bad plane count 0"},
        {"planes 3", validWith([](BmpFields& f) { f.planes = 3; }), "bad plane count 3"},
    };
    for (const HostileCase& c : cases) expectOutcome(c);
}

// Sizes: none of these may allocate the picture. Under AddressSanitizer an attempt to
// allocate the 8 GiB of a 46340x46340 picture would itself end the test.
TEST(BmpReadHostile, Sizes) {
    const std::vector<HostileCase> cases = {
        {"width 0", validWith([](BmpFields& f) { f.width = 0; }), "bad size 0x2"},
        {"height 0", validWith([](BmpFields& f) { f.height = 0; }), "bad size 2x0"},
        {"negative width", validWith([](BmpFields& f) { f.width = -2; }), "bad size -2x2"},
        {"width INT32_MIN", validWith([](BmpFields& f) { f.width = kInt32Min; }), "bad size"},
        {"height INT32_MIN", validWith([](BmpFields& f) { f.height = kInt32Min; }),
         "bad size 2x-2147483648"},
        {"OS/2 1.x width 0", validWith([](BmpFields& f) {
             f.headerSize = 12;
             f.width = 0;
         }),
         "bad size 0x2"},
        // 65536 * 65536 = 2^32 and 46341 * 46341 = 2147488281, past INT32_MAX.
        {"width times height 2^32", validWith([](BmpFields& f) {
             f.width = 65536;
             f.height = 65536;
         }),
         "image too large"},
        {"width times height just past INT32_MAX", validWith([](BmpFields& f) {
             f.width = 46341;
             f.height = -46341;
         }),
         "image too large"},
        {"INT32_MAX squared", validWith([](BmpFields& f) {
             f.width = kInt32Max;
             f.height = kInt32Max;
         }),
         "image too large"},
        // 30000 * 30000 = 900000000 pixels fits, in 3.6 GB even with 32-bit sizes; the file
        // holds 16 bytes of them.
        {"huge declared size in a tiny file", validWith([](BmpFields& f) {
             f.width = 30000;
             f.height = 30000;
         }),
         "truncated pixel data"},
        {"huge 1-bit picture in a tiny file", validWith([](BmpFields& f) {
             f.width = 30000;
             f.height = -30000;
             f.bitCount = 1;
         }),
         "truncated pixel data"},
        // 2 bytes of RLE data may describe at most 512 pixels.
        {"huge RLE picture in a tiny file", validWith([](BmpFields& f) {
             f.width = 30000;
             f.height = 30000;
             f.bitCount = 8;
             f.compression = 1;
             f.pixelData = {0, 1};
         }),
         "RLE data too short for a 30000x30000 picture"},
        {"RLE just within its bound", validWith([](BmpFields& f) {
             f.width = 512;
             f.height = 1;
             f.bitCount = 8;
             f.compression = 1;
             f.pixelData = {0, 1};
         }),
         nullptr},
        {"RLE just past its bound", validWith([](BmpFields& f) {
             f.width = 513;
             f.height = 1;
             f.bitCount = 8;
             f.compression = 1;
             f.pixelData = {0, 1};
         }),
         "RLE data too short"},
        {"top-down RLE", validWith([](BmpFields& f) {
             f.height = -2;
             f.bitCount = 8;
             f.compression = 1;
             f.pixelData = {2, 0, 0, 1};
         }),
         "top-down RLE is not supported"},
    };
    for (const HostileCase& c : cases) expectOutcome(c);
}

TEST(BmpReadHostile, OffsetsTablesAndMasks) {
    const std::vector<HostileCase> cases = {
        {"bfOffBits 0", validWith([](BmpFields& f) { f.offBits = 0; }),
         "pixel data offset 0 is inside the headers"},
        {"bfOffBits inside the info header", validWith([](BmpFields& f) { f.offBits = 53; }),
         "pixel data offset 53 is inside the headers"},
        {"bfOffBits inside the masks", validWith([](BmpFields& f) {
             f.bitCount = 32;
             f.compression = 3;
             f.masksAfterHeader = {0xFF0000, 0xFF00, 0xFF};
             f.offBits = 60;
         }),
         "pixel data offset 60 is inside the headers"},
        {"bfOffBits past the end", validWith([](BmpFields& f) { f.offBits = 0xFFFFFFFF; }),
         "pixel data offset 4294967295 is past the end of the file"},
        {"bfOffBits leaving too little data", validWith([](BmpFields& f) { f.offBits = 58; }),
         "truncated pixel data"},
        // The table may run on into the pixel data.
        {"bfOffBits inside the colour table", validWith([](BmpFields& f) {
             f.bitCount = 8;
             f.colourTable = {Pixel{1, 2, 3, 4}, Pixel{5, 6, 7, 8}};
             f.offBits = 14 + 40 + 4;
         }),
         nullptr},
        {"masks cut by the end of the file", validWith([](BmpFields& f) {
             f.bitCount = 32;
             f.compression = 3;
             f.masksAfterHeader = {0xFF0000};
             f.pixelData.clear();
         }),
         "truncated header"},
        {"masks 0 and 0xFFFFFFFF", validWith([](BmpFields& f) {
             f.bitCount = 32;
             f.compression = 3;
             f.masksAfterHeader = {0, 0xFFFFFFFF, 0};
             f.pixelData = packRows(32, {{1, 2}, {3, 0xFFFFFFFF}});
         }),
         nullptr},
        {"biClrUsed 2^32 - 1 at 8 bits", validWith([](BmpFields& f) {
             f.bitCount = 8;
             f.coloursUsed = 0xFFFFFFFF;
             f.colourTable = {Pixel{1, 2, 3, 4}};
             f.pixelData = packRows(8, {{0, 255}, {7, 0}});
         }),
         nullptr},
        {"biClrUsed 2^32 - 1 at 24 bits", validWith([](BmpFields& f) { f.coloursUsed = ~0u; }),
         nullptr},
        {"RLE absolute run running off the end", validWith([](BmpFields& f) {
             f.bitCount = 8;
             f.compression = 1;
             f.pixelData = {0, 200, 1, 2};
         }),
         nullptr},
        {"RLE delta running off the end", validWith([](BmpFields& f) {
             f.bitCount = 4;
             f.compression = 2;
             f.pixelData = {0, 2};
         }),
         nullptr},
        {"RLE of a single byte", validWith([](BmpFields& f) {
             f.bitCount = 4;
             f.compression = 2;
             f.pixelData = {7};
         }),
         nullptr},
    };
    for (const HostileCase& c : cases) expectOutcome(c);
}

// Small valid files of every kind, to cut and to corrupt.
std::vector<std::vector<uint8_t>> sampleFiles() {
    std::vector<std::vector<uint8_t>> files;
    std::vector<Pixel> table;
    for (uint8_t i = 0; i < 16; ++i) table.push_back(Pixel{i, i, i, i});
    for (uint32_t headerSize : {12u, 16u, 40u, 64u, 124u}) {
        BmpFields f;
        f.headerSize = headerSize;
        f.width = 5;
        f.height = 3;
        f.bitCount = 4;
        f.colourTable = table;
        f.pixelData = packRows(4, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}});
        files.push_back(buildBmp(f));
    }
    BmpFields rle8;
    rle8.width = 4;
    rle8.height = 3;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.colourTable = table;
    rle8.pixelData = {3, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 0, 1, 2, 0, 1};
    files.push_back(buildBmp(rle8));
    BmpFields rle4 = rle8;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixelData = {3, 0x12, 0, 0, 0, 3, 0x12, 0x30, 0, 2, 1, 0, 1, 0x22, 0, 1};
    files.push_back(buildBmp(rle4));
    BmpFields fields16;
    fields16.width = 3;
    fields16.height = -2;
    fields16.bitCount = 16;
    fields16.compression = 3;
    fields16.masksAfterHeader = {0xF800, 0x07E0, 0x001F};
    fields16.pixelData = packRows(16, {{1, 2, 3}, {4, 5, 6}});
    files.push_back(buildBmp(fields16));
    BmpFields fields32 = fields16;
    fields32.headerSize = 124;
    fields32.bitCount = 32;
    fields32.masksAfterHeader.clear();
    fields32.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    fields32.pixelData = packRows(32, {{1, 2, 3}, {4, 5, 6}});
    files.push_back(buildBmp(fields32));
    return files;
}

void expectCleanOutcome(const std::vector<uint8_t>& bytes) {
    BmpPicture picture;
    std::string why;
    const BmpStatus status = readBmpBytes(bytes, picture, &why);
    if (status == BmpStatus::Ok) {
        ASSERT_NE(picture.pixels, nullptr);
        ASSERT_GT(picture.bitmap.width, 0);
        ASSERT_GT(picture.bitmap.height, 0);
    } else {
        ASSERT_EQ(status, BmpStatus::Invalid);
        ASSERT_EQ(picture.pixels, nullptr);
        ASSERT_FALSE(why.empty());
    }
}

TEST(BmpReadHostile, EveryPrefixIsReadOrRefused) {
    for (const std::vector<uint8_t>& file : sampleFiles()) {
        for (size_t length = 0; length <= file.size(); ++length) {
            SCOPED_TRACE(std::to_string(length) + " of " + std::to_string(file.size()));
            expectCleanOutcome({file.begin(), file.begin() + static_cast<ptrdiff_t>(length)});
        }
    }
}

// Seeded corruption: a few bytes of each sample set to random or boundary values. Every
// result is a picture or a refusal; the sanitizers catch anything else.
TEST(BmpReadHostile, CorruptedFilesAreReadOrRefused) {
    std::mt19937 random(77);
    const uint8_t boundaries[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    for (const std::vector<uint8_t>& file : sampleFiles()) {
        for (int round = 0; round < 400; ++round) {
            std::vector<uint8_t> bytes = file;
            const uint32_t changes = 1 + random() % 4;
            for (uint32_t i = 0; i < changes; ++i) {
                const size_t at = random() % bytes.size();
                bytes[at] = random() % 2 == 0 ? boundaries[random() % sizeof boundaries]
                                              : static_cast<uint8_t>(random());
            }
            SCOPED_TRACE("round " + std::to_string(round));
            expectCleanOutcome(bytes);
        }
    }
}

}  // namespace
}  // namespace tesselane
