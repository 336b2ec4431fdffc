#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tesselane/image/bmp.h"
#include "tests/support/sha256.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::readFile;
using testing::sha256Hex;

// One row of the corpus manifest, by column name.
using ManifestRow = std::map<std::string, std::string>;

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t')) cells.push_back(cell);
    if (!line.empty() && line.back() == '\t') cells.emplace_back();
    return cells;
}

// The manifest's rows, or none when the corpus is not there.
std::vector<ManifestRow> readManifest(const std::string& directory) {
    std::ifstream in(directory + "/manifest.tsv");
    std::vector<ManifestRow> rows;
    std::string line;
    if (!std::getline(in, line)) return rows;
    const std::vector<std::string> names = splitTabs(line);
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const std::vector<std::string> cells = splitTabs(line);
        ManifestRow row;
        for (size_t i = 0; i < names.size() && i < cells.size(); ++i) row[names[i]] = cells[i];
        rows.push_back(row);
    }
    return rows;
}

// SHA-256 of the picture's R, G, B bytes, top row first.
std::string rgbHash(const BmpPicture& picture) {
    const size_t count =
        static_cast<size_t>(picture.bitmap.width) * static_cast<size_t>(picture.bitmap.height);
    std::vector<uint8_t> rgb;
    rgb.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        rgb.push_back(picture.pixels[i].r);
        rgb.push_back(picture.pixels[i].g);
        rgb.push_back(picture.pixels[i].b);
    }
    return sha256Hex(rgb.data(), rgb.size());
}

class BmpConformance : public ::testing::Test {
  protected:
    void SetUp() override {
        rows_ = readManifest(directory_);
        if (rows_.empty()) GTEST_SKIP() << "no BMP corpus at " << directory_;
    }

    std::string path(const ManifestRow& row) const { return directory_ + "/" + row.at("path"); }

    const std::string directory_ = TESSELANE_BMPSUITE_DIR;
    std::vector<ManifestRow> rows_;
};

// Files Pillow 9.4 reads unlike both ImageMagick and the same picture stored uncompressed
// (g/pal4rle.bmp holds g/pal4.bmp's picture, yet Pillow's hashes differ); ImageMagick's
// reading is the reference there.
const char* const kPillowMisreads[] = {"g/pal4rle.bmp"};

bool pillowMisreads(const std::string& path) {
    for (const char* misread : kPillowMisreads) {
        if (path == misread) return true;
    }
    return false;
}

TEST_F(BmpConformance, GoodFilesMatchIndependentDecoders) {
    int checked = 0;
    for (const ManifestRow& row : rows_) {
        if (row.at("category") != "g") continue;
        SCOPED_TRACE(row.at("path"));
        // Pillow's RGB where it reads the file, ImageMagick's where it does not.
        const bool pillowRead = row.at("pillow") == "ok" && !pillowMisreads(row.at("path"));
        const std::string expected =
            pillowRead ? row.at("pillow_rgb_sha256") : row.at("im_rgb_sha256");
        ASSERT_EQ(expected.size(), 64u) << "no reference hash in the manifest";
        BmpPicture picture;
        std::string why;
        ASSERT_EQ(readBmpFile(path(row).c_str(), picture, &why), BmpStatus::Ok) << why;
        EXPECT_EQ(picture.bitmap.width, std::stoi(row.at("width")));
        EXPECT_EQ(picture.bitmap.height, std::abs(std::stoi(row.at("height"))));
        EXPECT_EQ(picture.bitmap.bitDepth, std::stoi(row.at("bpp")));
        EXPECT_EQ(rgbHash(picture), expected) << (pillowRead ? "Pillow" : "ImageMagick");
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

// Questionable and bad files may be read or refused but never crash (run under the
// sanitizers); the file and memory readers agree on each. Lists what happened to each q/
// file.
TEST_F(BmpConformance, OtherFilesAreReadOrRefusedCleanly) {
    std::ostringstream report;
    for (const ManifestRow& row : rows_) {
        const std::string& category = row.at("category");
        if (category == "g") continue;
        SCOPED_TRACE(row.at("path"));
        BmpPicture fromFile;
        std::string why;
        const BmpStatus status = readBmpFile(path(row).c_str(), fromFile, &why);
        EXPECT_NE(status, BmpStatus::Unreadable) << why;

        const std::string bytes = readFile(path(row));
        BmpPicture fromMemory;
        std::string memoryWhy;
        const BmpStatus memoryStatus = readBmpMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                     bytes.size(), fromMemory, &memoryWhy);
        EXPECT_EQ(memoryStatus, status);
        EXPECT_EQ(memoryWhy, why);

        std::string outcome;
        if (status == BmpStatus::Ok) {
            ASSERT_NE(fromFile.pixels, nullptr);
            ASSERT_NE(fromMemory.pixels, nullptr);
            const std::string hash = rgbHash(fromFile);
            EXPECT_EQ(rgbHash(fromMemory), hash);
            outcome = "loaded";
            if (row.at("pillow") == "ok") {
                outcome += hash == row.at("pillow_rgb_sha256") ? ", RGB as Pillow"
                                                               : ", RGB differs from Pillow";
            } else if (row.at("im_rgb_sha256").size() == 64) {
                outcome += hash == row.at("im_rgb_sha256") ? ", RGB as ImageMagick"
                                                           : ", RGB differs from ImageMagick";
            }
        } else {
            EXPECT_EQ(fromFile.pixels, nullptr);
            EXPECT_FALSE(why.empty());
            outcome = "refused: " + why;
        }
        report << "  " << row.at("path") << ": " << outcome << "\n";
    }
    std::cout << "Questionable and bad corpus files:\n" << report.str();
    RecordProperty("outcomes", report.str());
}

// Every corpus file cut short, byte by byte through its headers and at spaced points
// through its pixels, is read or refused without a crash, as the whole file is.
TEST_F(BmpConformance, CutFilesFailCleanly) {
    for (const ManifestRow& row : rows_) {
        SCOPED_TRACE(row.at("path"));
        const std::string bytes = readFile(path(row));
        ASSERT_FALSE(bytes.empty());
        std::vector<size_t> lengths;
        for (size_t length = 0; length < bytes.size() && length < 1200; ++length) {
            lengths.push_back(length);
        }
        for (size_t step = 1; step < 32; ++step) lengths.push_back(bytes.size() * step / 32);
        for (size_t length : lengths) {
            BmpPicture picture;
            std::string why;
            const BmpStatus status = readBmpMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                   length, picture, &why);
            if (status == BmpStatus::Ok) {
                EXPECT_NE(picture.pixels, nullptr);
            } else {
                EXPECT_EQ(picture.pixels, nullptr) << length;
                EXPECT_FALSE(why.empty()) << length;
            }
        }
    }
}

}  // namespace
}  // namespace tesselane
