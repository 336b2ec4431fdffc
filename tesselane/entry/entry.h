/* The loadable module's one exported function, callable from C and C++. */
#ifndef TESSELANE_ENTRY_ENTRY_H
#define TESSELANE_ENTRY_ENTRY_H

#include <stdint.h>

#if defined(_WIN32)
#include <wchar.h>
typedef wchar_t TesselanePathChar; /* UTF-16 on Windows */
#elif defined(__cplusplus)
typedef char16_t TesselanePathChar;
#else
#include <uchar.h>
typedef char16_t TesselanePathChar;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the BMP file at inputPath, builds its diagonal patchwork with tiles of 20 pixels and
 * writes it to outputPath as an uncompressed 24-bit BMP. Both paths are zero-terminated
 * UTF-16. Returns 999 whenever it returns, whether or not the output could be written. An
 * input that cannot be loaded prints "Error loading image: " and the path on standard output
 * and ends the process with exit code -1. */
int32_t Tesselane(const TesselanePathChar* inputPath, const TesselanePathChar* outputPath);

#ifdef __cplusplus
}
#endif

#endif
