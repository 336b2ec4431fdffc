#pragma once

#include <string>

#include "tesselane/entry/entry.h"

namespace tesselane {

// The narrow form of a zero-terminated UTF-16 path, as the file layer takes it: UTF-8, the
// encoding of file names here. Null gives null; text that is not valid UTF-16 (an unpaired
// surrogate) gives the empty path. The text lives in buffer.
const char* narrowPath(const TesselanePathChar* path, std::string& buffer);

}  // namespace tesselane
