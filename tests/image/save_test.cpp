#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tesselane/image/image.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::readFile;
using testing::TempDir;

uint32_t u32(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

uint32_t u16(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

std::string encoded(const Image& image) {
    std::vector<uint8_t> bytes;
    Bitmap bitmap = image.bitmap;
    bitmap.width = image.width;
    bitmap.height = image.height;
    EXPECT_TRUE(encodeBmp(image.pixels.get(), bitmap, bytes));
    return std::string(bytes.begin(), bytes.end());
}

TEST(Save, WritesBottomUp24BitRowsPaddedToFourBytes) {
    // 2x2: top row (1,2,3,4) (5,6,7,8), bottom row (9,10,11,12) (13,14,15,16). Each row is
    // 6 bytes of B, G, R and 2 bytes of padding; the bottom row comes first; alpha is dropped.
    Image image(2, 2);
    image.pixelAt(0, 0) = Pixel{1, 2, 3, 4};
    image.pixelAt(1, 0) = Pixel{5, 6, 7, 8};
    image.pixelAt(0, 1) = Pixel{9, 10, 11, 12};
    image.pixelAt(1, 1) = Pixel{13, 14, 15, 16};
    TempDir dir;
    ASSERT_TRUE(image.save(dir.file("out.bmp").c_str()));
    const std::string file = readFile(dir.file("out.bmp"));
    ASSERT_EQ(file.size(), 70u);
    EXPECT_EQ(file, encoded(image));

    const struct {
        const char* field;
        size_t offset;
        uint32_t value;
        bool wide;
    } header[] = {
        {"bfType", 0, 0x4D42, false},
        {"bfSize", 2, 70, true},
        {"bfReserved", 6, 0, true},
        {"bfOffBits", 10, 54, true},
        {"biSize", 14, 40, true},
        {"biWidth", 18, 2, true},
        {"biHeight", 22, 2, true},
        {"biPlanes", 26, 1, false},
        {"biBitCount", 28, 24, false},
        {"biCompression", 30, 0, true},
        {"biSizeImage", 34, 16, true},
        {"biXPelsPerMeter", 38, 3780, true},
        {"biYPelsPerMeter", 42, 3780, true},
        {"biClrUsed", 46, 0, true},
        {"biClrImportant", 50, 0, true},
    };
    for (const auto& f : header) {
        EXPECT_EQ(f.wide ? u32(file, f.offset) : u16(file, f.offset), f.value) << f.field;
    }
    const std::vector<uint8_t> rows = {11, 10, 9, 15, 14, 13, 0, 0, 3, 2, 1, 7, 6, 5, 0, 0};
    EXPECT_EQ(file.substr(54), std::string(rows.begin(), rows.end()));
    EXPECT_EQ(image.bitmap.bitDepth, 24);
}

TEST(Save, StreamedFileEqualsTheEncodingAcrossBlockBoundaries) {
    // Rows of 3 x width bytes with padding 1, 2 and 3, a picture of several 1 MiB blocks, and a
    // single row longer than a block.
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{701, 599},
                               std::pair{350001, 1}, std::pair{2, 200003}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        auto image = testing::randomImage(w, h, static_cast<uint32_t>(w + h));
        TempDir dir;
        ASSERT_TRUE(image->save(dir.file("out.bmp").c_str()));
        EXPECT_TRUE(readFile(dir.file("out.bmp")) == encoded(*image));
    }
}

TEST(Save, BlankImageIsAllWhite) {
    Image image(3, 1);
    TempDir dir;
    ASSERT_TRUE(image.save(dir.file("white.bmp").c_str()));
    EXPECT_EQ(readFile(dir.file("white.bmp")).substr(54),
              std::string(9, '\xFF') + '\0' + '\0' + '\0');
}

TEST(Save, KeepsTheResolutionOfTheBitmap) {
    Image image(1, 1);
    image.bitmap.xPixelsPerMeter = 2835;
    image.bitmap.yPixelsPerMeter = -7;
    TempDir dir;
    ASSERT_TRUE(image.save(dir.file("out.bmp").c_str()));
    const std::string file = readFile(dir.file("out.bmp"));
    EXPECT_EQ(u32(file, 38), 2835u);
    EXPECT_EQ(u32(file, 42), static_cast<uint32_t>(-7));
}

TEST(Save, ReplacesAnEarlierFileCompletelyAndLeavesNoTemporaries) {
    TempDir dir;
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(testing::writeFile(path, std::string(100000, 'x')));
    Image image(2, 1);
    ASSERT_TRUE(image.save(path.c_str()));
    EXPECT_EQ(readFile(path), encoded(image));
    EXPECT_EQ(testing::listDirectory(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(Save, NewFileTakesThePermissionsTheUmaskAllows) {
    const mode_t mask = umask(022);
    TempDir dir;
    Image image(1, 1);
    ASSERT_TRUE(image.save(dir.file("out.bmp").c_str()));
    umask(mask);
    struct stat info {};
    ASSERT_EQ(stat(dir.file("out.bmp").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(Save, FailureReturnsFalseAndLeavesTheDirectoryAsItWas) {
    TempDir dir;
    const std::string earlier = dir.file("earlier.bmp");
    ASSERT_TRUE(testing::writeFile(earlier, "earlier contents"));
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0755), 0);
    Image image(4, 4);
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"a path through a missing directory", dir.file("missing/out.bmp")},
        {"a path that is a directory", dir.file("folder")},
        {"an empty path", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(image.save(c.path.c_str()));
        EXPECT_EQ(testing::listDirectory(dir.path()),
                  (std::vector<std::string>{"earlier.bmp", "folder"}));
        EXPECT_TRUE(testing::listDirectory(dir.file("folder")).empty());
    }
    EXPECT_FALSE(image.save(nullptr));
    EXPECT_EQ(readFile(earlier), "earlier contents");
    EXPECT_EQ(image.bitmap.bitDepth, 24);  // still usable, its bitmap at 24 bits
}

TEST(Save, FileSizeLimitFailsTheSaveWithoutEndingTheProcess) {
    // The limit lets only part of the picture out: the save must answer false, leave the
    // earlier file whole, and leave nothing else behind.
    TempDir dir;
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(testing::writeFile(path, "earlier contents"));
    const auto child = testing::runInChild([&] {
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        auto image = testing::randomImage(100, 100, 1);
        return image->save(path.c_str()) ? 1 : 0;
    });
    EXPECT_EQ(child.signal, 0);
    EXPECT_EQ(child.exitStatus, 0) << "save should answer false";
    EXPECT_EQ(readFile(path), "earlier contents");
    EXPECT_EQ(testing::listDirectory(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(Save, ReadOnlyDirectoryFailsTheSaveAndKeepsTheEarlierFile) {
    TempDir dir;
    const std::string folder = dir.file("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/out.bmp";
    ASSERT_TRUE(testing::writeFile(path, "earlier contents"));
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const auto child = testing::runInChild([&] {
        // The superuser writes anywhere: take the rights of an ordinary user first.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 3;
        Image image(3, 3);
        return image.save(path.c_str()) ? 1 : 0;
    });
    EXPECT_EQ(child.exitStatus, 0) << "save should answer false";
    EXPECT_EQ(readFile(path), "earlier contents");
    EXPECT_EQ(testing::listDirectory(folder), std::vector<std::string>{"out.bmp"});
}

TEST(Save, OverTheFileThePictureWasLoadedFrom) {
    TempDir dir;
    const std::string path = dir.file("picture.bmp");
    ASSERT_TRUE(testing::randomImage(9, 7, 3)->save(path.c_str()));
    auto image = Image::tryLoad(path.c_str(), nullptr);
    ASSERT_TRUE(image);
    image->pixelAt(4, 3) = Pixel{1, 2, 3, 0};
    ASSERT_TRUE(image->save(path.c_str()));
    auto again = Image::tryLoad(path.c_str(), nullptr);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pixelAt(4, 3), (Pixel{1, 2, 3, 0}));
    EXPECT_EQ(readFile(path), encoded(*image));
    EXPECT_EQ(testing::listDirectory(dir.path()), std::vector<std::string>{"picture.bmp"});
}

TEST(Save, RefusesPicturesBeyondWhatTheFormatDescribes) {
    // 40000 x 40000 x 3 bytes pass the 4 GiB a BMP's 32-bit sizes hold.
    Bitmap bitmap;
    bitmap.width = 40000;
    bitmap.height = 40000;
    std::vector<uint8_t> bytes;
    const Pixel pixel{};
    EXPECT_FALSE(encodeBmp(&pixel, bitmap, bytes));
    TempDir dir;
    EXPECT_FALSE(writeBmpFile(dir.file("big.bmp").c_str(), &pixel, bitmap));
    EXPECT_TRUE(testing::listDirectory(dir.path()).empty());
}

}  // namespace
}  // namespace tesselane
