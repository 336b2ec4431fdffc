#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tesselane/effects/tone/adjust.h"
#include "tesselane/effects/tone/dither.h"
#include "tests/support/images.h"
#include "tests/support/temp_dir.h"

// The tone and dithering operations through the command-line tool, run as a user would.

namespace tesselane {
namespace {

using testing::readFile;
using testing::TempDir;

// Runs the tool with the words given (each quoted for the shell); its exit code, or -1.
int runTool(const std::vector<std::string>& words) {
    std::string command = std::string("'") + TESSELANE_TOOL_PATH + "'";
    for (const std::string& word : words) command += " '" + word + "'";
    command += " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 13 x 7 picture of random colours written as a BMP (alpha does not reach the file).
std::string writeInput(const TempDir& dir) {
    const std::string path = dir.file("in.bmp");
    auto image = testing::randomImage(13, 7, 5);
    EXPECT_TRUE(image->save(path.c_str()));
    return path;
}

// The file that the library calls give for the input, after srand(seed).
std::string libraryResult(const TempDir& dir, const std::string& input, unsigned seed,
                          const std::function<void(Image&)>& chain) {
    std::string why;
    auto image = Image::tryLoad(input.c_str(), &why);
    EXPECT_TRUE(image != nullptr) << why;
    if (image == nullptr) return "";
    std::srand(seed);
    chain(*image);
    const std::string path = dir.file("expected.bmp");
    EXPECT_TRUE(image->save(path.c_str()));
    return readFile(path);
}

TEST(ToneTool, ChainsGiveTheLibraryResult) {
    struct Case {
        std::vector<std::string> words;
        std::function<void(Image&)> chain;
    };
    const Case cases[] = {
        {{"brightness", "1.3", "contrast", "1.5", "saturation", "0.7", "posterize", "3"},
         [](Image& i) {
             scaleBrightness(i, 1.3);
             adjustContrast(i, 1.5);
             adjustSaturation(i, 0.7);
             posterize(i, 3);
         }},
        {{"noise", "0.4", "posterize-noise", "3", "dither-diffusion", "2"},
         [](Image& i) {
             addNoise(i, 0.4);
             posterizeWithNoise(i, 3);
             errorDiffusionDither(i, 2);
         }},
        {{"contrast", "0.6", "dither-ordered", "1", "channel", "green"},
         [](Image& i) {
             adjustContrast(i, 0.6);
             orderedDither(i, 1);
             isolateChannel(i, 1);
         }},
        {{"channel", "2", "brightness", "-1e300", "noise", "inf"},
         [](Image& i) {
             isolateChannel(i, 2);
             scaleBrightness(i, -1e300);
             addNoise(i, std::numeric_limits<double>::infinity());
         }},
        {{"saturation", "nan", "posterize", "0", "dither-ordered", "99", "channel", "-7"},
         [](Image& i) {
             adjustSaturation(i, std::numeric_limits<double>::quiet_NaN());
             posterize(i, 0);
             orderedDither(i, 99);
             isolateChannel(i, -7);
         }},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& word : c.words) line += word + " ";
        SCOPED_TRACE(line);
        TempDir dir;
        const std::string input = writeInput(dir);
        const std::string output = dir.file("out.bmp");
        std::vector<std::string> words = {"--seed", "7"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        words.push_back(input);
        words.push_back(output);
        ASSERT_EQ(runTool(words), 0);
        const std::string expected = libraryResult(dir, input, 7, c.chain);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(readFile(output) == expected) << "the files differ";
    }
}

TEST(ToneTool, SeedMakesNoiseReproducible) {
    TempDir dir;
    const std::string input = writeInput(dir);
    const auto run = [&](const std::string& seed, const std::string& name) {
        EXPECT_EQ(runTool({"--seed", seed, "noise", "0.8", "posterize-noise", "4", input,
                           dir.file(name)}),
                  0);
        return readFile(dir.file(name));
    };
    const std::string first = run("12", "a.bmp");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first == run("12", "b.bmp")) << "same seed, different files";
    EXPECT_FALSE(first == run("13", "c.bmp")) << "different seeds, same file";
}

TEST(ToneTool, ChannelNamesMatchNumbers) {
    TempDir dir;
    const std::string input = writeInput(dir);
    const char* names[] = {"red", "green", "blue", "alpha"};
    for (int channel = 0; channel < 4; ++channel) {
        SCOPED_TRACE(names[channel]);
        ASSERT_EQ(runTool({"channel", names[channel], input, dir.file("named.bmp")}), 0);
        ASSERT_EQ(runTool({"channel", std::to_string(channel), input, dir.file("number.bmp")}), 0);
        EXPECT_TRUE(readFile(dir.file("named.bmp")) == readFile(dir.file("number.bmp")));
    }
}

TEST(ToneTool, RejectsArgumentsThatAreNotNumbers) {
    TempDir dir;
    const std::string input = writeInput(dir);
    const std::vector<std::vector<std::string>> lines = {
        {"brightness", "bright", input, dir.file("out.bmp")},
        {"channel", "purple", input, dir.file("out.bmp")},
        {"posterize", "2.5", input, dir.file("out.bmp")},
        {"dither-diffusion", "99999999999", input, dir.file("out.bmp")},
        {"noise", input, dir.file("out.bmp")},
    };
    for (const auto& words : lines) {
        SCOPED_TRACE(words[0] + " " + words[1]);
        EXPECT_EQ(runTool(words), 2);
    }
}

TEST(ToneTool, HelpListsEveryOperation) {
    TempDir dir;
    const std::string help = dir.file("help.txt");
    const std::string command =
        std::string("'") + TESSELANE_TOOL_PATH + "' --help > '" + help + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string text = readFile(help);
    for (const char* name :
         {"noise AMOUNT", "brightness FACTOR", "contrast WEIGHT", "saturation WEIGHT",
          "channel CHANNEL", "posterize BITS", "posterize-noise BITS", "dither-ordered BITS",
          "dither-diffusion BITS"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace tesselane
