#include "tesselane/entry/path.h"

#include <cstdint>

namespace tesselane {
namespace {

void appendUtf8(uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool isHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

const char* narrowPath(const TesselanePathChar* path, std::string& buffer) {
    buffer.clear();
    if (path == nullptr) return nullptr;
    size_t length = 0;
    while (path[length] != 0) ++length;
    // UTF-8 needs at most 3 bytes per UTF-16 unit (a surrogate pair's 4 bytes cover 2 units).
    buffer.reserve(3 * length + 1);
    for (size_t i = 0; i < length; ++i) {
        const uint32_t unit = static_cast<uint16_t>(path[i]);
        uint32_t codePoint = unit;
        if (isHighSurrogate(unit)) {
            const uint32_t next = i + 1 < length ? static_cast<uint16_t>(path[i + 1]) : 0;
            if (!isLowSurrogate(next)) {
                buffer.clear();
                return buffer.c_str();
            }
            codePoint = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if (isLowSurrogate(unit)) {
            buffer.clear();
            return buffer.c_str();
        }
        appendUtf8(codePoint, buffer);
    }
    return buffer.c_str();
}

}  // namespace tesselane
