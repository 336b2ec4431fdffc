// Every seed of the fuzzers and every input that ever made one fail is read again here, so
// the ordinary suite (and its sanitizer build) keeps them passing.

#include <gtest/gtest.h>

#include <string>

#include "tesselane/image/bmp.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

TEST(FuzzCorpus, EveryKeptInputIsReadOrRefusedCleanly) {
    int files = 0;
    for (const char* folder :
         {"/fuzz/corpus/bmp", "/fuzz/regressions/bmp_read", "/fuzz/regressions/module"}) {
        const std::string path = std::string(TESSELANE_SOURCE_DIR) + folder;
        for (const std::string& name : testing::listDirectory(path)) {
            if (name[0] == '.') continue;
            SCOPED_TRACE(path + "/" + name);
            const std::string bytes = testing::readFile(path + "/" + name);
            BmpPicture picture;
            std::string why;
            const BmpStatus status = readBmpMemory(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                   bytes.size(), picture, &why);
            EXPECT_EQ(status == BmpStatus::Ok, static_cast<bool>(picture.pixels)) << why;
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace tesselane
