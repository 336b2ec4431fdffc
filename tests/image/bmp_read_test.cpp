#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/images.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::BmpFields;
using testing::buildBmp;
using testing::describe;
using testing::packRows;
using testing::readBmpBytes;

constexpr Pixel kBlank{255, 255, 255, 0};
// Colour-table entries; the fourth byte of an entry is its alpha.
constexpr Pixel kA{10, 20, 30, 0};
constexpr Pixel kB{200, 100, 50, 255};
constexpr Pixel kC{0, 0, 0, 128};
constexpr Pixel kD{255, 255, 255, 7};

std::vector<Pixel> pixelsOf(const BmpPicture& picture) {
    const size_t count =
        static_cast<size_t>(picture.bitmap.width) * static_cast<size_t>(picture.bitmap.height);
    return std::vector<Pixel>(picture.pixels.get(), picture.pixels.get() + count);
}

// Reads bytes and checks the picture: width x height, expected top row first.
void expectPicture(const std::vector<uint8_t>& bytes, int32_t width, int32_t height,
                   const std::vector<Pixel>& expected) {
    BmpPicture picture;
    std::string why;
    ASSERT_EQ(readBmpBytes(bytes, picture, &why), BmpStatus::Ok) << why;
    ASSERT_EQ(picture.bitmap.width, width);
    ASSERT_EQ(picture.bitmap.height, height);
    const std::vector<Pixel> actual = pixelsOf(picture);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i], expected[i]) << "pixel " << i << " is " << describe(actual[i])
                                          << ", expected " << describe(expected[i]);
    }
}

// A 256-entry table whose entry i is (i, 255 - i, 7, i).
std::vector<Pixel> rampTable() {
    std::vector<Pixel> table;
    for (uint32_t i = 0; i < 256; ++i) {
        table.push_back(Pixel{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7,
                              static_cast<uint8_t>(i)});
    }
    return table;
}

TEST(BmpRead, IndexedPixelsComeFromTheColourTable) {
    struct Case {
        const char* name;
        uint16_t bits;
        uint32_t coloursUsed;
        std::vector<Pixel> table;
        std::vector<std::vector<uint32_t>> fileRows;  // bottom row first
        std::vector<Pixel> expected;                  // top row first
    };
    const std::vector<Pixel> ramp = rampTable();
    const std::vector<Case> cases = {
        {"1 bit", 1, 0, {kA, kB}, {{1, 0, 1}, {0, 0, 1}}, {kA, kA, kB, kB, kA, kB}},
        {"2 bits", 2, 0, {kA, kB, kC, kD}, {{3, 2, 1}, {0, 1, 2}}, {kA, kB, kC, kD, kC, kB}},
        // Only 3 entries: indices 3 and 15 are past the table.
        {"4 bits, 3 colours used",
         4,
         3,
         {kA, kB, kC},
         {{2, 3, 15}, {0, 1, 2}},
         {kA, kB, kC, kC, kBlank, kBlank}},
        // 4 entries stored but 2 in use: index 2 is past the table all the same.
        {"8 bits, 2 colours used",
         8,
         2,
         {kA, kB, kC, kD},
         {{1, 2, 255}, {0, 1, 3}},
         {kA, kB, kBlank, kB, kBlank, kBlank}},
        {"8 bits, full table",
         8,
         0,
         ramp,
         {{0, 128, 255}, {1, 2, 254}},
         {ramp[1], ramp[2], ramp[254], ramp[0], ramp[128], ramp[255]}},
        // 256 entries expected, but the file ends 3 entries after the table starts (the
        // pixel row itself is entry 2): entry 3 is missing.
        {"8 bits, table cut by the end of the file", 8, 0, {kA, kB}, {{3}}, {kBlank}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFields fields;
        fields.width = static_cast<int32_t>(c.fileRows[0].size());
        fields.height = static_cast<int32_t>(c.fileRows.size());
        fields.bitCount = c.bits;
        fields.coloursUsed = c.coloursUsed;
        fields.colourTable = c.table;
        fields.pixelData = packRows(c.bits, c.fileRows);
        expectPicture(buildBmp(fields), fields.width, fields.height, c.expected);
    }
}

// A 1x1 file holding value. Masks go where a file of that header size keeps them: inside
// headers of 52 bytes on (alpha from 56), the rest right after the header; compression 3
// stores no alpha mask unless the header has room for it.
std::vector<uint8_t> onePixelFile(uint32_t headerSize, uint16_t bits, uint32_t compression,
                                  const std::array<uint32_t, 4>& masks, uint32_t value) {
    BmpFields fields;
    fields.headerSize = headerSize;
    fields.bitCount = bits;
    fields.compression = compression;
    fields.masks = masks;
    if (compression == 3 || compression == 6) {
        const size_t inHeader = headerSize >= 56 ? 4 : headerSize >= 52 ? 3 : 0;
        const size_t stored = compression == 6 ? 4 : 3;
        for (size_t i = inHeader; i < stored; ++i) fields.masksAfterHeader.push_back(masks[i]);
    }
    fields.pixelData = packRows(bits, {{value}});
    return buildBmp(fields);
}

TEST(BmpRead, DirectColourPixels) {
    struct Case {
        const char* name;
        uint32_t headerSize;
        uint16_t bits;
        uint32_t compression;
        std::array<uint32_t, 4> masks;  // red, green, blue, alpha
        uint32_t value;                 // the stored pixel; 24 bits as 0xRRGGBB
        Pixel expected;
    };
    const std::array<uint32_t, 4> k555 = {0x7C00, 0x03E0, 0x001F, 0};
    const std::array<uint32_t, 4> k5551 = {0x7C00, 0x03E0, 0x001F, 0x8000};
    const std::array<uint32_t, 4> k565 = {0xF800, 0x07E0, 0x001F, 0};
    const std::array<uint32_t, 4> k4444 = {0x0F00, 0x00F0, 0x000F, 0xF000};
    const std::array<uint32_t, 4> kBgra = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const std::array<uint32_t, 4> kRgb = {0xFF, 0xFF00, 0xFF0000, 0};
    const std::array<uint32_t, 4> k1010102 = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
    const std::array<uint32_t, 4> kAllOnes = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const std::vector<Case> cases = {
        {"24 bits: alpha 0", 40, 24, 0, {}, 0x102030, {0x10, 0x20, 0x30, 0}},
        // Plain 32 bits: B, G, R, A bytes, the fourth byte kept as alpha.
        {"32 bits plain", 40, 32, 0, {}, 0x80FF4020, {255, 64, 32, 128}},
        {"32 bits plain, header masks unused", 124, 32, 0, kRgb, 0x80FF4020, {255, 64, 32, 128}},
        // Plain 16 bits: 5-5-5 from the low bits, each field * 255 / 31 truncated.
        {"16 bits plain white", 40, 16, 0, {}, 0x7FFF, {255, 255, 255, 0}},
        {"16 bits plain, 16 of 31 is 131", 40, 16, 0, {}, 0x4210, {131, 131, 131, 0}},
        {"16 bits plain, 3 of 31 is 24, top bit unused", 40, 16, 0, {}, 0x8C63, {24, 24, 24, 0}},
        {"16 bits plain, header alpha mask unused", 124, 16, 0, k5551, 0x8000, {0, 0, 0, 0}},
        {"555 bit fields", 40, 16, 3, k555, 0x7FFF, {255, 255, 255, 0}},
        {"565 white", 40, 16, 3, k565, 0xFFFF, {255, 255, 255, 0}},
        {"565, 1 of 63 is 4", 40, 16, 3, k565, 0x0020, {0, 4, 0, 0}},
        {"565, 1 of 31 is 8", 40, 16, 3, k565, 0x0801, {8, 0, 8, 0}},
        {"5551 in a 124-byte header", 124, 16, 3, k5551, 0x801F, {0, 0, 255, 255}},
        {"5551, no alpha mask after a 40-byte header", 40, 16, 3, k5551, 0x801F, {0, 0, 255, 0}},
        // 4444: 2, 3, 4 and 1 of 15, times 17.
        {"4444, compression 6 after a 40-byte header", 40, 16, 6, k4444, 0x1234, {34, 51, 68, 17}},
        {"4444, compression 6 in a 52-byte header", 52, 16, 6, k4444, 0x1234, {34, 51, 68, 17}},
        {"32 bit fields, no alpha mask", 40, 32, 3, kBgra, 0x80FF4020, {255, 64, 32, 0}},
        {"32 bit fields, 52-byte header", 52, 32, 3, kBgra, 0x80FF4020, {255, 64, 32, 0}},
        {"32 bit fields, 56-byte header", 56, 32, 3, kBgra, 0x80FF4020, {255, 64, 32, 128}},
        {"32 bit fields, 108-byte header", 108, 32, 3, kBgra, 0x80FF4020, {255, 64, 32, 128}},
        {"32 bit fields, compression 6", 40, 32, 6, kBgra, 0x80FF4020, {255, 64, 32, 128}},
        {"32 bit fields, red in the low byte", 124, 32, 3, kRgb, 0x00112233, {0x33, 0x22, 0x11, 0}},
        // 1023, 512, 1 of 1023 and 2 of 3: 255, 127 (127.6), 0 (0.25), 170.
        {"10-10-10-2", 124, 32, 3, k1010102, 0xBFF80001, {255, 127, 0, 170}},
        {"zero masks give 0", 124, 32, 3, {0, 0, 0, 0}, 0xFFFFFFFF, {0, 0, 0, 0}},
        // 2^31 * 255 / (2^32 - 1) = 127.5
        {"32-bit-wide masks", 124, 32, 3, kAllOnes, 0x80000000, {127, 127, 127, 127}},
        {"32-bit-wide masks, all ones", 124, 32, 3, kAllOnes, 0xFFFFFFFF, {255, 255, 255, 255}},
        // Red 0b1010: (0x28 & 0xA) >> 1 = 4 of (0xA >> 1) = 5, so 204. Green 0b0101 keeps
        // nothing of 0x28. Blue 0xF0: 2 of 15, so 34.
        {"non-contiguous masks", 40, 16, 3, {0xA, 0x5, 0xF0, 0}, 0x0028, {204, 0, 34, 0}},
        // Red and green both read 0x80 of 0xFF; blue reads 0x18 of 0xFF.
        {"overlapping masks", 40, 16, 3, {0xFF, 0xFF, 0xFF0, 0}, 0x0180, {128, 128, 24, 0}},
        // 32768 * 255 / 65535 = 127.5
        {"16-bit-wide mask", 40, 16, 3, {0xFFFF, 0, 0, 0}, 0x8000, {127, 0, 0, 0}},
        {"red above 16 bits", 40, 16, 3, {0xFFFF0000, 0x03E0, 0x001F, 0}, 0xFFFF, {0, 255, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectPicture(onePixelFile(c.headerSize, c.bits, c.compression, c.masks, c.value), 1, 1,
                      {c.expected});
    }
}

TEST(BmpRead, EveryHeaderSizeReadsTheSamePicture) {
    // 2x2, bottom row first in the file: 8 bits through a table, and 24 bits.
    const std::vector<std::vector<uint32_t>> indexRows = {{0, 1}, {2, 3}};
    const std::vector<std::vector<uint32_t>> colourRows = {{0x102030, 0x405060},
                                                           {0x708090, 0xA0B0C0}};
    const std::vector<Pixel> colours = {
        {0x70, 0x80, 0x90, 0}, {0xA0, 0xB0, 0xC0, 0}, {0x10, 0x20, 0x30, 0}, {0x40, 0x50, 0x60, 0}};
    for (uint32_t headerSize : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        for (uint16_t bits : {uint16_t{8}, uint16_t{24}}) {
            SCOPED_TRACE("header " + std::to_string(headerSize) + ", " + std::to_string(bits) +
                         " bits");
            BmpFields fields;
            fields.headerSize = headerSize;
            fields.width = 2;
            fields.height = 2;
            fields.bitCount = bits;
            fields.xPixelsPerMeter = 1000;
            fields.yPixelsPerMeter = 2000;
            std::vector<Pixel> expected = colours;
            if (bits == 8) {
                fields.colourTable = {kA, kB, kC, kD};
                fields.pixelData = packRows(8, indexRows);
                expected = {kC, kD, kA, kB};
                // 12-byte headers have 3-byte entries: no alpha byte, alpha 0.
                if (headerSize == 12) {
                    for (Pixel& p : expected) p.a = 0;
                }
            } else {
                fields.pixelData = packRows(24, colourRows);
            }
            const std::vector<uint8_t> bytes = buildBmp(fields);
            expectPicture(bytes, 2, 2, expected);

            BmpPicture picture;
            ASSERT_EQ(readBmpBytes(bytes, picture, nullptr), BmpStatus::Ok);
            EXPECT_EQ(picture.bitmap.bitDepth, bits);
            // Headers without a resolution report the usual 3780 (96 dpi).
            const bool hasResolution = headerSize >= 40;
            EXPECT_EQ(picture.bitmap.xPixelsPerMeter, hasResolution ? 1000 : 3780);
            EXPECT_EQ(picture.bitmap.yPixelsPerMeter, hasResolution ? 2000 : 3780);
        }
    }
}

TEST(BmpRead, TopDownAndBottomUpGiveTheSamePicture) {
    // 3x2 pictures, rows top first.
    struct Case {
        uint16_t bits;
        std::vector<std::vector<uint32_t>> rows;
    };
    const std::vector<Case> cases = {
        {1, {{1, 0, 0}, {0, 1, 1}}},
        {4, {{1, 2, 3}, {3, 2, 1}}},
        {8, {{0, 1, 2}, {3, 2, 1}}},
        {16, {{0x7C00, 0x03E0, 0x001F}, {0, 0x7FFF, 0x4210}}},
        {24, {{0xFF0000, 0x00FF00, 0x0000FF}, {0x010203, 0x040506, 0x070809}}},
        {32, {{0x01020304, 0x05060708, 0x090A0B0C}, {0x0D0E0F10, 0x11121314, 0x15161718}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits");
        BmpFields fields;
        fields.width = 3;
        fields.bitCount = c.bits;
        if (c.bits <= 8) fields.colourTable = {kA, kB, kC, kD};
        fields.height = -2;
        fields.pixelData = packRows(c.bits, c.rows);
        BmpPicture topDown;
        ASSERT_EQ(readBmpBytes(buildBmp(fields), topDown, nullptr), BmpStatus::Ok);

        fields.height = 2;
        fields.pixelData = packRows(c.bits, {c.rows[1], c.rows[0]});
        BmpPicture bottomUp;
        ASSERT_EQ(readBmpBytes(buildBmp(fields), bottomUp, nullptr), BmpStatus::Ok);

        EXPECT_EQ(topDown.bitmap.height, 2);
        EXPECT_EQ(pixelsOf(topDown), pixelsOf(bottomUp));
    }
    // The first row of a top-down 24-bit file is the top row.
    BmpFields fields;
    fields.width = 1;
    fields.height = -2;
    fields.pixelData = packRows(24, {{0x112233}, {0x445566}});
    expectPicture(buildBmp(fields), 1, 2, {{0x11, 0x22, 0x33, 0}, {0x44, 0x55, 0x66, 0}});
}

TEST(BmpRead, OnlyTheLastRowMayLackItsPadding) {
    struct Case {
        const char* name;
        uint16_t bits;
        int32_t height;
        size_t cut;  // bytes removed from the end of the file
        bool accepted;
    };
    // 3 pixels a row: 24 bits store 9 bytes + 3 padding, 1 bit stores 1 byte + 3 padding.
    const std::vector<Case> cases = {
        {"24 bits whole", 24, 2, 0, true},
        {"24 bits without the last padding", 24, 2, 3, true},
        {"24 bits cut one byte into the last row", 24, 2, 4, false},
        {"24 bits missing a whole row", 24, 2, 12, false},
        {"24 bits top-down without the last padding", 24, -2, 3, true},
        {"24 bits top-down cut into the last row", 24, -2, 4, false},
        {"1 bit without the last padding", 1, 2, 3, true},
        {"1 bit cut into the last row", 1, 2, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFields fields;
        fields.width = 3;
        fields.height = c.height;
        fields.bitCount = c.bits;
        if (c.bits == 1) fields.colourTable = {kA, kB};
        fields.pixelData = packRows(c.bits, {{0x010203, 0x040506, 1}, {0x0A0B0C, 0, 0x102030}});
        std::vector<uint8_t> bytes = buildBmp(fields);
        bytes.resize(bytes.size() - c.cut);
        BmpPicture picture;
        std::string why;
        const BmpStatus status = readBmpBytes(bytes, picture, &why);
        if (c.accepted) {
            ASSERT_EQ(status, BmpStatus::Ok) << why;
            const std::vector<Pixel> whole = [&] {
                BmpPicture full;
                readBmpBytes(buildBmp(fields), full, nullptr);
                return pixelsOf(full);
            }();
            EXPECT_EQ(pixelsOf(picture), whole);
        } else {
            EXPECT_EQ(status, BmpStatus::Invalid);
            EXPECT_EQ(why, "truncated pixel data");
            EXPECT_EQ(picture.pixels, nullptr);
        }
    }
}

// Files of several kinds and sizes, some with rows or data longer than one read of the file,
// come out of readBmpFile exactly as readBmpMemory gives them.
TEST(BmpReadFile, MatchesReadingFromMemory) {
    std::mt19937 random(20240607);
    auto randomBytes = [&](size_t count) {
        std::vector<uint8_t> bytes(count);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random() >> 24);
        return bytes;
    };
    struct Case {
        const char* name;
        uint16_t bits;
        uint32_t compression;
        int32_t width;
        int32_t height;
    };
    const std::vector<Case> cases = {
        {"24 bits, several reads of whole rows", 24, 0, 301, 300},
        {"24 bits top-down", 24, 0, 301, -300},
        {"24 bits, one row longer than a read", 24, 0, 100003, 2},
        {"32 bits, one row longer than a read", 32, 0, 70001, 1},
        {"1 bit, one row longer than a read", 1, 0, 2100005, 1},
        {"4 bits, one row longer than a read", 4, 0, 600007, 1},
        {"8 bits", 8, 0, 1023, 300},
        {"16 bits", 16, 0, 1001, 200},
        {"RLE8 data longer than a read", 8, 1, 1000, 300},
    };
    testing::TempDir directory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFields fields;
        fields.width = c.width;
        fields.height = c.height;
        fields.bitCount = c.bits;
        fields.compression = c.compression;
        if (c.bits <= 8) fields.colourTable = rampTable();
        const uint64_t rows = static_cast<uint64_t>(c.height < 0 ? -c.height : c.height);
        const uint64_t stride = (static_cast<uint64_t>(c.width) * c.bits + 31) / 32 * 4;
        if (c.compression == 0) {
            fields.pixelData = randomBytes(static_cast<size_t>(stride * rows));
        } else {
            // Each row: absolute runs of 250 random indices, then an end of line.
            for (uint64_t y = 0; y < rows; ++y) {
                for (int32_t x = 0; x < c.width; x += 250) {
                    fields.pixelData.push_back(0);
                    fields.pixelData.push_back(250);
                    const std::vector<uint8_t> run = randomBytes(250);
                    fields.pixelData.insert(fields.pixelData.end(), run.begin(), run.end());
                }
                fields.pixelData.push_back(0);
                fields.pixelData.push_back(0);
            }
        }
        const std::vector<uint8_t> bytes = buildBmp(fields);
        const std::string path = directory.file("picture.bmp");
        ASSERT_TRUE(testing::writeFile(path, testing::asString(bytes)));

        BmpPicture fromMemory;
        std::string why;
        ASSERT_EQ(readBmpBytes(bytes, fromMemory, &why), BmpStatus::Ok) << why;
        BmpPicture fromFile;
        ASSERT_EQ(readBmpFile(path.c_str(), fromFile, &why), BmpStatus::Ok) << why;
        EXPECT_EQ(fromFile.bitmap.width, fromMemory.bitmap.width);
        EXPECT_EQ(fromFile.bitmap.height, fromMemory.bitmap.height);
        EXPECT_TRUE(pixelsOf(fromFile) == pixelsOf(fromMemory));
        if (c.bits == 24 && c.height > 0) {
            // Spot checks against the stored bytes: the file's first row is the bottom row.
            const size_t bottom = static_cast<size_t>(rows - 1) * static_cast<size_t>(c.width);
            const Pixel first = fromFile.pixels[bottom];
            const size_t data = bytes.size() - fields.pixelData.size();
            EXPECT_EQ(first, (Pixel{bytes[data + 2], bytes[data + 1], bytes[data], 0}));
        }
    }
}

TEST(BmpReadFile, SaysWhyAFileCannotBeRead) {
    testing::TempDir directory;
    const std::string notBmp = directory.file("notes.txt");
    ASSERT_TRUE(testing::writeFile(notBmp, "hello"));
    const std::string locked = directory.file("locked.bmp");
    BmpFields fields;
    fields.pixelData = packRows(24, {{0}});
    ASSERT_TRUE(testing::writeFile(locked, testing::asString(buildBmp(fields))));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);

    struct Case {
        std::string path;
        BmpStatus status;
        const char* why;
    };
    std::vector<Case> cases = {
        {directory.file("missing.bmp"), BmpStatus::Unreadable, "no such file"},
        {directory.path(), BmpStatus::Unreadable, "is a directory"},
        {notBmp, BmpStatus::Invalid, "not a BMP file"},
    };
    // Permissions do not stop the superuser.
    if (geteuid() != 0) {
        cases.push_back({locked, BmpStatus::Unreadable, "permission denied"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        BmpPicture picture;
        picture.pixels = allocatePixels(1);
        std::string why;
        EXPECT_EQ(readBmpFile(c.path.c_str(), picture, &why), c.status);
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(picture.pixels, nullptr);
        EXPECT_EQ(readBmpFile(c.path.c_str(), picture, nullptr), c.status);
    }
}

}  // namespace
}  // namespace tesselane
