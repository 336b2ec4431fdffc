// Loads the module the way a host does and calls its one exported function.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tesselane/effects/patchwork/patchwork.h"
#include "tesselane/entry/entry.h"
#include "tesselane/image/image.h"
#include "tests/support/images.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using EntryPoint = int32_t (*)(const char16_t*, const char16_t*);
using testing::readFile;
using testing::TempDir;

class Module : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(TESSELANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        entry_ = reinterpret_cast<EntryPoint>(dlsym(handle_, "Tesselane"));
        ASSERT_NE(entry_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) dlclose(handle_);
    }

    // A 24-bit picture on disk, and what the module should make of it.
    static std::string writeSource(const std::string& path, int32_t w, int32_t h) {
        auto source = testing::randomImage(w, h, 77);
        EXPECT_TRUE(source->save(path.c_str()));
        auto loaded = Image::tryLoad(path.c_str(), nullptr);
        EXPECT_TRUE(loaded);
        auto expected = makePatchwork(*loaded, 20);
        const std::string expectedPath = path + ".expected";
        EXPECT_TRUE(expected->save(expectedPath.c_str()));
        return readFile(expectedPath);
    }

    static std::u16string utf16(const std::string& ascii) {
        return std::u16string(ascii.begin(), ascii.end());
    }

    void* handle_ = nullptr;
    EntryPoint entry_ = nullptr;
};

TEST_F(Module, ExportsOnlyTesselane) {
    const std::string command = std::string("nm -D --defined-only ") + TESSELANE_MODULE_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        symbols += text.substr(text.find_last_of(' ') + 1);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, "Tesselane\n");
}

TEST_F(Module, WritesThePatchworkAndReturns999) {
    TempDir dir;
    const std::string expected = writeSource(dir.file("in.bmp"), 97, 61);
    EXPECT_EQ(entry_(utf16(dir.file("in.bmp")).c_str(), utf16(dir.file("out.bmp")).c_str()), 999);
    EXPECT_TRUE(readFile(dir.file("out.bmp")) == expected);
}

TEST_F(Module, TakesNonAsciiPaths) {
    TempDir dir;
    // "Ünïcødé €漢 😀" in UTF-8, the name the file system sees.
    const std::string name =
        "\xc3\x9cn\xc3\xaf\x63\xc3\xb8\x64\xc3\xa9 \xe2\x82\xac\xe6\xbc\xa2 "
        "\xf0\x9f\x98\x80";
    const std::string expected = writeSource(dir.file(name + ".bmp"), 40, 30);
    const std::u16string wideName = u"\u00dcn\u00efc\u00f8d\u00e9 \u20ac\u6f22 \U0001F600";
    const std::u16string in = utf16(dir.path() + "/") + wideName + u".bmp";
    const std::u16string out = utf16(dir.path() + "/") + wideName + u" out.bmp";
    EXPECT_EQ(entry_(in.c_str(), out.c_str()), 999);
    EXPECT_TRUE(readFile(dir.file(name + " out.bmp")) == expected);
}

TEST_F(Module, UnwritableOutputStillReturns999) {
    TempDir dir;
    writeSource(dir.file("in.bmp"), 8, 8);
    EXPECT_EQ(entry_(utf16(dir.file("in.bmp")).c_str(), utf16(dir.file("no/out.bmp")).c_str()),
              999);
    EXPECT_EQ(entry_(utf16(dir.file("in.bmp")).c_str(), nullptr), 999);
    EXPECT_FALSE(testing::fileExists(dir.file("no")));
}

TEST_F(Module, UnloadableInputEndsTheHostWithItsMessage) {
    TempDir dir;
    ASSERT_TRUE(testing::writeFile(dir.file("text.bmp"), "not a picture"));
    const std::u16string lone = std::u16string(u"x") + char16_t(0xD800);
    const struct {
        const char* what;
        std::u16string path;
        bool null;
        std::string message;
    } cases[] = {
        {"missing file", utf16(dir.file("missing.bmp")), false,
         "Error loading image: " + dir.file("missing.bmp")},
        {"not a BMP", utf16(dir.file("text.bmp")), false,
         "Error loading image: " + dir.file("text.bmp")},
        {"non-ASCII name", u"/nonexistent/\u20ac.bmp", false,
         "Error loading image: /nonexistent/\xe2\x82\xac.bmp"},
        {"not valid UTF-16", lone, false, "Error loading image: "},
        {"null path", u"", true, "Error loading image: (null)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto child = testing::runInChild([&] {
            entry_(c.null ? nullptr : c.path.c_str(), utf16(dir.file("out.bmp")).c_str());
            return 0;  // not reached
        });
        EXPECT_EQ(child.exitStatus, 255);
        EXPECT_EQ(child.out, c.message);
        EXPECT_FALSE(testing::fileExists(dir.file("out.bmp")));
    }
}

}  // namespace
}  // namespace tesselane
