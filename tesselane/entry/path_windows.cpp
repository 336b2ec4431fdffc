#include "tesselane/entry/path.h"

#include <windows.h>

#include <climits>
#include <cwchar>

namespace tesselane {

const char* narrowPath(const TesselanePathChar* path, std::string& buffer) {
    buffer.clear();
    if (path == nullptr) return nullptr;
    const size_t length = std::wcslen(path);
    // Two bytes per character and the terminator: enough for every ANSI code page, the
    // double-byte ones included.
    buffer.resize(2 * (length + 1));
    buffer[0] = '\0';
    // Only a path of over a thousand million characters could exceed what the call takes.
    const int capacity =
        buffer.size() < static_cast<size_t>(INT_MAX) ? static_cast<int>(buffer.size()) : INT_MAX;
    // A character the code page lacks becomes its default character; a failed conversion
    // leaves the cleared first byte, an empty path.
    WideCharToMultiByte(CP_ACP, 0, path, -1, &buffer[0], capacity, nullptr, nullptr);
    return buffer.c_str();
}

}  // namespace tesselane
