// Runs the command-line tool as a user would.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tesselane/effects/patchwork/patchwork.h"
#include "tesselane/image/image.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::ChildResult;
using testing::readFile;
using testing::TempDir;

// What the library makes of the picture in `input` through makePatchwork, as a file.
std::string expectedPatchwork(const std::string& input, int32_t tile, const TempDir& dir) {
    auto source = Image::tryLoad(input.c_str(), nullptr);
    EXPECT_TRUE(source);
    const std::string path = dir.file("expected.bmp");
    EXPECT_TRUE(makePatchwork(*source, tile)->save(path.c_str()));
    return readFile(path);
}

class Tool : public ::testing::Test {
  protected:
    void SetUp() override {
        input_ = dir_.file("in.bmp");
        ASSERT_TRUE(testing::randomImage(53, 37, 5)->save(input_.c_str()));
    }
    TempDir dir_;
    std::string input_;
};

TEST_F(Tool, PatchworkMatchesTheLibrary) {
    const struct {
        std::vector<std::string> args;
        int32_t tile;
    } cases[] = {
        {{"patchwork", "IN", "OUT"}, 20},
        {{"patchwork", "--tile", "7", "IN", "OUT"}, 7},
        {{"patchwork", "IN", "OUT", "--tile", "3"}, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        for (const std::string& arg : c.args) {
            args.push_back(arg == "IN" ? input_ : arg == "OUT" ? dir_.file("out.bmp") : arg);
        }
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args[2]);
        const ChildResult run = testing::runTool(args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(readFile(dir_.file("out.bmp")) == expectedPatchwork(input_, c.tile, dir_));
    }
}

TEST_F(Tool, ChainsOperationsInOrder) {
    const ChildResult run = testing::runTool(
        {"crop", "3", "4", "30", "20", "patchwork", "--tile", "5", input_, dir_.file("out.bmp")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    auto source = Image::tryLoad(input_.c_str(), nullptr);
    ASSERT_TRUE(source->crop(3, 4, 30, 20)->save(dir_.file("cropped.bmp").c_str()));
    EXPECT_TRUE(readFile(dir_.file("out.bmp")) ==
                expectedPatchwork(dir_.file("cropped.bmp"), 5, dir_));
}

TEST_F(Tool, HelpAndVersion) {
    const ChildResult help = testing::runTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("patchwork [--tile N]"), std::string::npos);
    EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
    const ChildResult version = testing::runTool({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("tesselane ", 0), 0u);
}

TEST_F(Tool, FailuresNameTheCulpritAndLeaveNoOutput) {
    const std::string out = dir_.file("out.bmp");
    const std::string text = dir_.file("text.bmp");
    ASSERT_TRUE(testing::writeFile(text, "hello"));
    ASSERT_EQ(mkdir(dir_.file("folder").c_str(), 0755), 0);
    const struct {
        std::vector<std::string> args;
        int exitStatus;
        std::string message;  // a part of the one line on standard error
    } cases[] = {
        {{}, 2, "no operation given"},
        {{input_, out}, 2, "unknown operation"},
        {{"shatter", input_, out}, 2, "shatter: unknown operation"},
        {{"patchwork"}, 2, "needs an input file and an output file"},
        {{"patchwork", input_}, 2, "needs an input file and an output file"},
        {{"patchwork", input_, out, "extra"}, 2, "extra: unexpected argument"},
        {{"patchwork", "--tile", "abc", input_, out}, 2, "--tile abc: N must be a whole number"},
        {{"patchwork", "--tile", "0", input_, out}, 2, "--tile 0: N must lie in 1.."},
        {{"patchwork", "--tile", "99999999999", input_, out}, 2, "N must lie in"},
        {{"patchwork", input_, out, "--tile"}, 2, "--tile: needs a value"},
        {{"--tile", "4", "patchwork", input_, out}, 2, "--tile: comes before any operation"},
        {{"patchwork", "--frobnicate", input_, out}, 2, "--frobnicate: unknown option"},
        {{"crop", "1", "2", "3", input_, out}, 2, "crop"},
        {{"crop", "0", "0", "-5", "5", input_, out}, 2, "W must lie in 1.."},
        {{"--seed", "-1", "patchwork", input_, out}, 2, "--seed"},
        {{"patchwork", dir_.file("missing.bmp"), out}, 1, "missing.bmp: no such file"},
        {{"patchwork", text, out}, 1, "text.bmp: not a BMP file"},
        {{"patchwork", dir_.file("folder"), out}, 1, "folder: "},
        {{"patchwork", input_, dir_.file("folder")}, 1, "folder: cannot write"},
        {{"patchwork", input_, dir_.file("no/out.bmp")}, 1, "no/out.bmp: cannot write"},
        {{"crop", "50", "0", "10", "10", input_, out}, 1, "crop: the region passes"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        const ChildResult run = testing::runTool(c.args);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.rfind("tesselane: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(testing::fileExists(out));
    }
}

TEST_F(Tool, FailedRunLeavesAnEarlierOutputAsItWas) {
    const std::string out = dir_.file("out.bmp");
    ASSERT_TRUE(testing::writeFile(out, "earlier"));
    const ChildResult run = testing::runTool({"patchwork", dir_.file("missing.bmp"), out});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(readFile(out), "earlier");
}

}  // namespace
}  // namespace tesselane
