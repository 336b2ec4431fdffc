#pragma once

#include <string>

#include "tesselane/entry/entry.h"

namespace tesselane {

// The narrow form of a zero-terminated UTF-16 path, as the file layer takes it. Null gives
// null; the text lives in buffer.
// - Linux and other POSIX systems (path.cpp): UTF-8, the encoding of file names there; text
//   that is not valid UTF-16 (an unpaired surrogate) gives the empty path.
// - Windows (path_windows.cpp): the ANSI code page, through WideCharToMultiByte into a buffer
//   of 2 x (length + 1) bytes; characters the code page lacks become its default character,
//   and a conversion that writes nothing leaves the empty path.
const char* narrowPath(const TesselanePathChar* path, std::string& buffer);

}  // namespace tesselane
