#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tests/support/bmp_builder.h"

namespace tesselane {
namespace {

using testing::BmpFields;
using testing::buildBmp;
using testing::readBmpBytes;

constexpr Pixel kBlank{255, 255, 255, 0};

// 16 opaque colours, all different; index i is drawn as the letter 'a' + i below.
std::vector<Pixel> letterTable() {
    std::vector<Pixel> table;
    for (uint32_t i = 0; i < 16; ++i) {
        table.push_back(Pixel{static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i * 8),
                              static_cast<uint8_t>(255 - i), 255});
    }
    return table;
}

// The picture as text, top row first: 'a' + index for a table colour, '.' for blank.
std::vector<std::string> pictureAsText(const BmpPicture& picture) {
    const std::vector<Pixel> table = letterTable();
    std::vector<std::string> rows;
    for (int32_t y = 0; y < picture.bitmap.height; ++y) {
        std::string row;
        for (int32_t x = 0; x < picture.bitmap.width; ++x) {
            const Pixel p = picture.pixels[static_cast<size_t>(y * picture.bitmap.width + x)];
            char letter = p == kBlank ? '.' : '?';
            for (size_t i = 0; i < table.size(); ++i) {
                if (p == table[i]) letter = static_cast<char>('a' + i);
            }
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

struct RleCase {
    const char* name;
    uint32_t compression;  // 1 RLE8, 2 RLE4
    int32_t width;
    std::vector<uint8_t> data;
    std::vector<std::string> expected;  // top row first
};

void expectRle(const RleCase& c) {
    SCOPED_TRACE(c.name);
    BmpFields fields;
    fields.width = c.width;
    fields.height = static_cast<int32_t>(c.expected.size());
    fields.bitCount = c.compression == 1 ? 8 : 4;
    fields.compression = c.compression;
    fields.coloursUsed = 16;
    fields.colourTable = letterTable();
    fields.pixelData = c.data;
    BmpPicture picture;
    std::string why;
    ASSERT_EQ(readBmpBytes(buildBmp(fields), picture, &why), BmpStatus::Ok) << why;
    EXPECT_EQ(pictureAsText(picture), c.expected);
}

// Data is byte pairs, rows from the bottom: (n, i) n pixels of index i; (0, 0) end of line;
// (0, 1) end of bitmap; (0, 2, dx, dy) move right dx and up dy; (0, n, ...) n indices as
// they are, their bytes padded to an even count.
TEST(BmpReadRle, Rle8) {
    const std::vector<RleCase> cases = {
        {"encoded runs and ends of line",
         1,
         4,
         {3, 1, 0, 0, 4, 2, 0, 0, 2, 3, 0, 1},
         {"dd..", "cccc", "bbb."}},
        // b at (0, bottom), then 2 right and 1 up to (3, middle) for c.
        {"a delta leaves the pixels it skips blank",
         1,
         4,
         {1, 1, 0, 2, 2, 1, 1, 2, 0, 1},
         {"....", "...c", "b..."}},
        {"absolute runs, odd ones padded",
         1,
         4,
         {0, 3, 1, 2, 3, 0, 1, 4, 0, 0, 0, 4, 5, 6, 7, 8, 0, 1},
         {"....", "fghi", "bcde"}},
        // 6 b's keep 4; the absolute run of 5 keeps 4; nothing spills onto the next row.
        {"runs past the row's end are clipped",
         1,
         4,
         {6, 1, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 1, 6, 0, 1},
         {"g...", "bcde", "bbbb"}},
        {"data ending without an end of bitmap", 1, 4, {2, 1}, {"....", "....", "bb.."}},
        {"data ending inside an absolute run", 1, 4, {0, 4, 1, 2}, {"....", "....", "bc.."}},
        {"data ending inside a delta", 1, 4, {1, 1, 0, 2, 3}, {"....", "....", "b..."}},
        {"rows past the top are ignored",
         1,
         4,
         {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 4, 0, 1},
         {"dddd", "cccc", "bbbb"}},
        // 200 right drops the d; after the e, 200 up leaves the picture.
        {"deltas past the right and top edges",
         1,
         4,
         {0, 2, 200, 0, 1, 3, 0, 0, 1, 4, 0, 2, 0, 200, 1, 5, 0, 1},
         {"....", "e...", "...."}},
        {"indices past the table are blank", 1, 4, {3, 200, 1, 1, 0, 1}, {"....", "...b"}},
    };
    for (const RleCase& c : cases) expectRle(c);
}

// As RLE8, with two indices per byte, high nibble first: an encoded run alternates them.
TEST(BmpReadRle, Rle4) {
    const std::vector<RleCase> cases = {
        {"encoded runs alternate two indices",
         2,
         5,
         {5, 0x12, 0, 0, 3, 0x34, 0, 1},
         {"ded..", "bcbcb"}},
        // 3 indices take 2 bytes, no padding; 5 indices take 3 bytes and one of padding.
        {"absolute runs of odd length",
         2,
         5,
         {0, 3, 0x12, 0x30, 2, 0x45, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 0, 1},
         {"ghijk", "bcdef"}},
        {"runs past the row's end are clipped",
         2,
         5,
         {7, 0x12, 0, 0, 0, 7, 0x34, 0x56, 0x78, 0x90, 0, 1},
         {"defgh", "bcbcb"}},
        {"a delta leaves the pixels it skips blank",
         2,
         5,
         {0, 2, 1, 1, 2, 0x11, 0, 1},
         {".bb..", "....."}},
        {"data ending inside an absolute run", 2, 5, {0, 5, 0x12}, {".....", "bc..."}},
    };
    for (const RleCase& c : cases) expectRle(c);
}

}  // namespace
}  // namespace tesselane
