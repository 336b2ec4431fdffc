// The module keeps no state between calls: eight threads calling it at once on different
// files must write exactly what one thread writes.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/images.h"
#include "tests/support/temp_dir.h"

namespace tesselane {
namespace {

using EntryPoint = int32_t (*)(const char16_t*, const char16_t*);

std::u16string utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

TEST(ModuleConcurrency, EightThreadsWriteWhatOneThreadWrites) {
    void* handle = dlopen(TESSELANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "Tesselane"));
    ASSERT_NE(entry, nullptr);

    constexpr int kThreads = 8;
    testing::TempDir dir;
    std::vector<std::string> inputs;
    std::vector<std::string> expected;
    for (int k = 0; k < kThreads; ++k) {
        inputs.push_back(dir.file("in" + std::to_string(k) + ".bmp"));
        // Different sizes and contents, large enough that the calls overlap.
        ASSERT_TRUE(testing::randomImage(300 + 37 * k, 200 + 23 * k, static_cast<uint32_t>(k))
                        ->save(inputs.back().c_str()));
        const std::string single = dir.file("single" + std::to_string(k) + ".bmp");
        ASSERT_EQ(entry(utf16(inputs[k]).c_str(), utf16(single).c_str()), 999);
        expected.push_back(testing::readFile(single));
    }
    for (int round = 0; round < 3; ++round) {
        std::vector<int32_t> results(kThreads, 0);
        std::vector<std::thread> threads;
        for (int k = 0; k < kThreads; ++k) {
            threads.emplace_back([&, k] {
                const std::string output = dir.file("out" + std::to_string(k) + ".bmp");
                results[k] = entry(utf16(inputs[k]).c_str(), utf16(output).c_str());
            });
        }
        for (std::thread& thread : threads) thread.join();
        for (int k = 0; k < kThreads; ++k) {
            EXPECT_EQ(results[k], 999);
            EXPECT_TRUE(testing::readFile(dir.file("out" + std::to_string(k) + ".bmp")) ==
                        expected[k])
                << "thread " << k << ", round " << round;
        }
    }
    dlclose(handle);
}

}  // namespace
}  // namespace tesselane
