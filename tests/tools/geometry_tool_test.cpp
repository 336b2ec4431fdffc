// Runs the geometric operations of the command-line tool as a user would.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tesselane/geometry/transform.h"
#include "tesselane/image/image.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::ChildResult;
using testing::readFile;
using testing::TempDir;

// A 32-bit file of width x height in one colour, alpha included.
std::string uniformBmp32(int32_t width, int32_t height, uint32_t bgra) {
    testing::BmpFields fields;
    fields.width = width;
    fields.height = height;
    fields.bitCount = 32;
    const std::vector<uint32_t> row(static_cast<size_t>(width), bgra);
    fields.pixelData =
        testing::packRows(32, std::vector<std::vector<uint32_t>>(static_cast<size_t>(height), row));
    return testing::asString(testing::buildBmp(fields));
}

class GeometryTool : public ::testing::Test {
  protected:
    void SetUp() override {
        input_ = dir_.file("in.bmp");
        ASSERT_TRUE(testing::randomImage(41, 29, 11)->save(input_.c_str()));
    }

    // The file that the library's own operations make of the input.
    std::string expected(const std::function<std::unique_ptr<Image>(Image&)>& make) {
        auto source = Image::tryLoad(input_.c_str(), nullptr);
        EXPECT_TRUE(source);
        if (!source) return "";
        const std::string path = dir_.file("expected.bmp");
        EXPECT_TRUE(make(*source)->save(path.c_str()));
        return readFile(path);
    }

    TempDir dir_;
    std::string input_;
};

TEST_F(GeometryTool, OperationsMatchTheLibrary) {
    const auto in = [](Image& source, int32_t mode) -> Image& {
        source.setSampleMode(mode);
        return source;
    };
    const struct {
        std::vector<std::string> operations;
        std::function<std::unique_ptr<Image>(Image&)> make;
    } cases[] = {
        {{"scale", "2", "0.5"}, [](Image& s) { return scaleImage(s, 2.0, 0.5); }},
        {{"scale", "1.3", "1.7"}, [](Image& s) { return scaleImage(s, 1.3, 1.7); }},
        {{"rotate", "30"}, [](Image& s) { return rotateImage(s, 30.0); }},
        {{"rotate", "-90"}, [](Image& s) { return rotateImage(s, -90.0); }},
        {{"trim"}, [](Image& s) { return trimWhite(s); }},
        {{"warp", "sine"}, [](Image& s) { return warpImage(s, SineWave); }},
        {{"warp", "polar"}, [](Image& s) { return warpImage(s, PolarSquare); }},
        {{"warp", "polar-same"}, [](Image& s) { return warpImage(s, PolarSameSize); }},
        {{"warp", "2"}, [](Image& s) { return warpImage(s, PolarSameSize); }},
        {{"warp", "9"}, [](Image& s) { return warpImage(s, 9); }},
        {{"sample-mode", "bilinear", "scale", "1.5", "1.5"},
         [&](Image& s) { return scaleImage(in(s, Bilinear), 1.5, 1.5); }},
        {{"sample-mode", "gaussian", "rotate", "12.5"},
         [&](Image& s) { return rotateImage(in(s, Gaussian5x5), 12.5); }},
        {{"sample-mode", "1", "warp", "polar"},
         [&](Image& s) { return warpImage(in(s, Bilinear), PolarSquare); }},
        // The mode holds for every geometric operation after it: the rotation's result reaches
        // the scale in Gaussian5x5 mode too.
        {{"sample-mode", "gaussian", "rotate", "20", "scale", "0.5", "0.5"},
         [&](Image& s) {
             auto turned = rotateImage(in(s, Gaussian5x5), 20.0);
             return scaleImage(in(*turned, Gaussian5x5), 0.5, 0.5);
         }},
        {{"sample-mode", "bilinear", "sample-mode", "nearest", "scale", "2", "2"},
         [&](Image& s) { return scaleImage(in(s, Nearest), 2.0, 2.0); }},
        // Any other mode samples opaque black.
        {{"sample-mode", "7", "warp", "sine"},
         [&](Image& s) { return warpImage(in(s, 7), SineWave); }},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.operations;
        std::string line;
        for (const std::string& arg : args) line += arg + " ";
        SCOPED_TRACE(line);
        args.push_back(input_);
        args.push_back(dir_.file("out.bmp"));
        const ChildResult run = testing::runTool(args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(readFile(dir_.file("out.bmp")) == expected(c.make));
    }
}

TEST_F(GeometryTool, RefusesWhatWouldEndTheProcess) {
    // Opaque white all over: a 32-bit file keeps its alpha of 255.
    const std::string white = dir_.file("white.bmp");
    ASSERT_TRUE(testing::writeFile(white, uniformBmp32(6, 4, 0xFFFFFFFFu)));
    const std::string out = dir_.file("out.bmp");
    const struct {
        std::vector<std::string> args;
        std::string message;  // a part of the one line on standard error
    } cases[] = {
        {{"trim", white, out}, "trim: the picture is opaque white all over"},
        {{"rotate", "45", white, out}, "rotate: "},
        {{"rotate", "nan", input_, out}, "rotate: "},
        {{"scale", "0.01", "1", input_, out}, "scale: the new size is below 1"},
        {{"scale", "0", "0", input_, out}, "scale: the new size is below 1"},
        {{"scale", "-2", "1", input_, out}, "scale: "},
        {{"scale", "inf", "1", input_, out}, "scale: the new size passes"},
        {{"scale", "1e9", "1e9", input_, out}, "scale: the new size passes"},
        {{"scale", "nan", "1", input_, out}, "scale: "},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        const ChildResult run = testing::runTool(c.args);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.rfind("tesselane: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        EXPECT_EQ(run.out, "") << "the library did not end the process";
        EXPECT_FALSE(testing::fileExists(out));
    }
}

TEST_F(GeometryTool, WhiteWithinAPictureIsTrimmed) {
    // 24-bit files load with alpha 0, so nothing in them is opaque white; a 32-bit file
    // whose opaque-white frame surrounds a transparent-white inside trims to that inside.
    testing::BmpFields fields;
    fields.width = 4;
    fields.height = 3;
    fields.bitCount = 32;
    const uint32_t w = 0xFFFFFFFFu;
    const uint32_t clear = 0x00FFFFFFu;
    fields.pixelData = testing::packRows(32, {{w, w, w, w}, {w, clear, clear, w}, {w, w, w, w}});
    const std::string framed = dir_.file("framed.bmp");
    ASSERT_TRUE(testing::writeFile(framed, testing::asString(testing::buildBmp(fields))));
    const ChildResult run = testing::runTool({"trim", framed, dir_.file("out.bmp")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto result = Image::tryLoad(dir_.file("out.bmp").c_str(), nullptr);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->width, 2);
    EXPECT_EQ(result->height, 1);
}

TEST_F(GeometryTool, CommandLineMistakes) {
    const std::string out = dir_.file("out.bmp");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"sample-mode", "fuzzy", input_, out}, "MODE must be a whole number or one of"},
        {{"warp", "twirl", input_, out}, "KIND must be a whole number or one of"},
        {{"scale", "2", input_, out}, "SY must be a number"},
        {{"rotate", "ten", input_, out}, "DEGREES must be a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const ChildResult run = testing::runTool(c.args);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(testing::fileExists(out));
    }
}

TEST_F(GeometryTool, HelpListsTheOperations) {
    const ChildResult help = testing::runTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* usage :
         {"sample-mode MODE", "scale SX SY", "rotate DEGREES", "trim ", "warp KIND",
          "nearest (0) bilinear (1) gaussian (2)", "sine (0) polar (1) polar-same (2)"}) {
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
    }
}

}  // namespace
}  // namespace tesselane
