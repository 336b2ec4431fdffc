// The tool on many files at once: --out-dir and -j.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tesselane/image/image.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using testing::ChildResult;
using testing::readFile;
using testing::TempDir;

class Batch : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int k = 0; k < 5; ++k) {
            inputs_.push_back(dir_.file("in" + std::to_string(k) + ".bmp"));
            ASSERT_TRUE(testing::randomImage(30 + k, 20 + 3 * k, static_cast<uint32_t>(k))
                            ->save(inputs_.back().c_str()));
        }
    }
    // What a single run makes of one input.
    std::string single(const std::vector<std::string>& operations, const std::string& input) {
        std::vector<std::string> args = operations;
        args.push_back(input);
        args.push_back(dir_.file("single.bmp"));
        EXPECT_EQ(testing::runTool(args).exitStatus, 0);
        return readFile(dir_.file("single.bmp"));
    }
    TempDir dir_;
    std::vector<std::string> inputs_;
};

TEST_F(Batch, WritesEveryInputLikeASingleRunWhateverTheJobs) {
    for (const char* jobs : {"1", "3", "8"}) {
        SCOPED_TRACE(jobs);
        const std::string out = dir_.file(std::string("out-") + jobs + "/nested");
        std::vector<std::string> args = {"patchwork", "--tile", "6", "--out-dir", out, "-j", jobs};
        args.insert(args.end(), inputs_.begin(), inputs_.end());
        const ChildResult run = testing::runTool(args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");  // nothing extra when standard error is not a terminal
        for (size_t k = 0; k < inputs_.size(); ++k) {
            const std::string name = "in" + std::to_string(k) + ".bmp";
            EXPECT_TRUE(readFile(out + "/" + name) ==
                        single({"patchwork", "--tile", "6"}, inputs_[k]))
                << name;
        }
    }
}

TEST_F(Batch, FinishesEveryFileItCanAndReportsEachFailure) {
    ASSERT_TRUE(testing::writeFile(dir_.file("bad.bmp"), "not a picture"));
    const std::string out = dir_.file("out");
    const ChildResult run =
        testing::runTool({"patchwork", "--out-dir", out, "-j", "2", inputs_[0],
                          dir_.file("bad.bmp"), dir_.file("missing.bmp"), inputs_[1]});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("bad.bmp: not a BMP file\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("missing.bmp: no such file\n"), std::string::npos) << run.err;
    EXPECT_EQ(testing::listDirectory(out), (std::vector<std::string>{"in0.bmp", "in1.bmp"}));
}

TEST_F(Batch, RefusesTwoInputsThatWouldWriteTheSameFile) {
    ASSERT_EQ(system(("mkdir -p " + dir_.file("other")).c_str()), 0);
    ASSERT_TRUE(testing::writeFile(dir_.file("other/in0.bmp"), readFile(inputs_[0])));
    const ChildResult run = testing::runTool(
        {"patchwork", "--out-dir", dir_.file("out"), inputs_[0], dir_.file("other/in0.bmp")});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("same file name"), std::string::npos) << run.err;
    EXPECT_FALSE(testing::fileExists(dir_.file("out")));
}

TEST_F(Batch, ShowsProgressOnATerminal) {
    if (system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
    // Under emulation the tool runs through the emulator, as the other tests run it.
    const char* emulator = std::getenv("TESSELANE_TEST_EMULATOR");
    std::string command =
        (emulator != nullptr && *emulator != '\0' ? std::string(emulator) + " " : "") +
        TESSELANE_TOOL_PATH + " patchwork --out-dir " + dir_.file("out");
    for (const std::string& input : inputs_) command += " " + input;
    // script(1) runs the command on a pseudo-terminal and copies what it shows to stdout.
    const ChildResult run = testing::runProgram("/usr/bin/script", {"-qec", command, "/dev/null"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.out.find("[5/5]"), std::string::npos) << run.out;
}

TEST_F(Batch, ArgumentErrors) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"patchwork", "--out-dir"}, "--out-dir: needs a folder"},
        {{"patchwork", "--out-dir", "x"}, "--out-dir: needs at least one input file"},
        {{"patchwork", "-j", "0", "--out-dir", "x", "a.bmp"}, "-j: needs a number"},
        {{"patchwork", "--jobs", "many", "--out-dir", "x", "a.bmp"}, "--jobs: needs a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const ChildResult run = testing::runTool(c.args);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace tesselane
