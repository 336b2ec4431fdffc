#pragma once

#include <cfloat>
#include <cstdint>

namespace tesselane {

// Results are defined bit for bit by double and float arithmetic rounded as written. A
// compiler that evaluates in wider precision (x87 without SSE2 maths) would give others.
static_assert(FLT_EVAL_METHOD == 0,
              "build with SSE2 maths (-mfpmath=sse) or on a target "
              "whose floating point evaluates in its own precision");

// The one way a real becomes a 32-bit integer in this library. Toward zero; a value beyond
// the int32_t range (infinities included) clamps to INT32_MIN or INT32_MAX by its sign, and
// NaN gives 0.
int32_t truncToInt32(double value);

// floor(value) as an int32_t, clamped and NaN-safe as truncToInt32.
int32_t floorToInt32(double value);

}  // namespace tesselane
