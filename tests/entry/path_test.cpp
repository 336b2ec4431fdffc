#include "tesselane/entry/path.h"

#include <gtest/gtest.h>

#include <string>

namespace tesselane {
namespace {

TEST(NarrowPath, ConvertsUtf16ToUtf8) {
    const struct {
        const char* what;
        std::u16string wide;
        std::string narrow;
    } cases[] = {
        {"empty", u"", ""},
        {"ASCII", u"dir/in.bmp", "dir/in.bmp"},
        {"two-byte", u"caf\u00e9.bmp", "caf\xc3\xa9.bmp"},
        {"three-byte", u"\u20ac\u6f22.bmp", "\xe2\x82\xac\xe6\xbc\xa2.bmp"},
        {"surrogate pair", u"\U0001F600.bmp", "\xf0\x9f\x98\x80.bmp"},
        {"highest code point", u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
        {"lone high surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b", ""},
        {"high surrogate at the end", std::u16string(u"a") + char16_t(0xDBFF), ""},
        {"lone low surrogate", std::u16string(u"a") + char16_t(0xDC00), ""},
        {"reversed pair", std::u16string() + char16_t(0xDC00) + char16_t(0xD800), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string buffer = "left over";
        const char* narrow = narrowPath(c.wide.c_str(), buffer);
        ASSERT_NE(narrow, nullptr);
        EXPECT_EQ(std::string(narrow), c.narrow);
    }
}

TEST(NarrowPath, LongNonAsciiPathsAreNotCutShort) {
    // Three bytes of UTF-8 for every unit: 3 x 300 bytes, more than 2 x (300 + 1).
    const std::u16string wide(300, u'\u20ac');
    std::string buffer;
    EXPECT_EQ(std::string(narrowPath(wide.c_str(), buffer)).size(), 900u);
}

TEST(NarrowPath, NullStaysNull) {
    std::string buffer;
    EXPECT_EQ(narrowPath(nullptr, buffer), nullptr);
}

}  // namespace
}  // namespace tesselane
