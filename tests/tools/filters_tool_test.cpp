// Runs the filter operations of the command-line tool as a user would.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tesselane/effects/filters/convolve.h"
#include "tesselane/effects/filters/edges.h"
#include "tesselane/image/image.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::ChildResult;
using testing::readFile;
using testing::TempDir;

class FilterTool : public ::testing::Test {
  protected:
    void SetUp() override {
        input_ = dir_.file("in.bmp");
        ASSERT_TRUE(testing::randomImage(41, 29, 11)->save(input_.c_str()));
    }

    // The file the library writes after applying steps to the picture as loaded from input_.
    std::string expected(const std::function<void(Image&)>& steps) {
        auto image = Image::tryLoad(input_.c_str(), nullptr);
        EXPECT_TRUE(image);
        if (!image) return "";
        steps(*image);
        const std::string path = dir_.file("expected.bmp");
        EXPECT_TRUE(image->save(path.c_str()));
        return readFile(path);
    }

    TempDir dir_;
    std::string input_;
};

TEST_F(FilterTool, EachOperationMatchesTheLibrary) {
    const struct {
        std::vector<std::string> args;
        std::function<void(Image&)> steps;
    } cases[] = {
        {{"blur", "5"}, [](Image& i) { convolveKernel(i, 5); }},
        {{"blur", "binomial3"}, [](Image& i) { convolveKernel(i, 3); }},
        {{"blur", "box"}, [](Image& i) { convolveKernel(i, 2); }},
        {{"blur", "smooth4"}, [](Image& i) { convolveKernel(i, 4); }},
        {{"blur", "-7"}, [](Image&) {}},
        {{"blur", "2147483647"}, [](Image& i) { convolveKernel(i, 5); }},
        {{"sharpen", "binomial5"}, [](Image& i) { sharpen(i, 5); }},
        {{"sharpen", "3"}, [](Image& i) { sharpen(i, 3); }},
        {{"sharpen", "1"}, [](Image&) {}},
        {{"edges"}, [](Image& i) { laplacianEdges(i); }},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        SCOPED_TRACE(args.size() > 1 ? args[0] + " " + args[1] : args[0]);
        args.push_back(input_);
        args.push_back(dir_.file("out.bmp"));
        const ChildResult run = testing::runTool(args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(readFile(dir_.file("out.bmp")) == expected(c.steps));
    }
}

TEST_F(FilterTool, ChainsInOrder) {
    const ChildResult run = testing::runTool(
        {"sharpen", "4", "blur", "3", "edges", "blur", "box", input_, dir_.file("out.bmp")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(readFile(dir_.file("out.bmp")) == expected([](Image& image) {
                    sharpen(image, 4);
                    convolveKernel(image, 3);
                    laplacianEdges(image);
                    convolveKernel(image, 2);
                }));
}

TEST_F(FilterTool, HelpListsTheOperations) {
    const ChildResult help = testing::runTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* usage : {"blur KIND", "sharpen KIND", "edges ",
                              "KIND: box (2) binomial3 (3) smooth4 (4) binomial5 (5)"}) {
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
    }
}

TEST_F(FilterTool, BadKindIsAUsageError) {
    const std::string out = dir_.file("out.bmp");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"blur", input_, out}, "blur " + input_ + ": KIND must be a whole number or one of"},
        {{"sharpen", "soft", input_, out}, "sharpen soft: KIND must be a whole number"},
        {{"blur", "2.5", input_, out}, "blur 2.5: KIND must be a whole number"},
        {{"blur", "99999999999", input_, out}, "KIND must lie in"},
        {{"edges", "3", input_, out}, "unexpected argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const ChildResult run = testing::runTool(c.args);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(testing::fileExists(out));
    }
}

}  // namespace
}  // namespace tesselane
