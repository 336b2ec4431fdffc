#include "tesselane/effects/tone/adjust.h"
#include "tesselane/effects/tone/dither.h"
#include "tools/operation.h"

// None of these can end the process: they work in place and allocate nothing, and every
// argument value has a defined result, so each run function always succeeds.

namespace tesselane::tool {
namespace {

template <void (*apply)(Image&, double)>
bool runReal(ChainState& state, const std::vector<Value>& values, std::string*) {
    apply(*state.image, values[0].real);
    return true;
}

template <void (*apply)(Image&, int32_t)>
bool runInteger(ChainState& state, const std::vector<Value>& values, std::string*) {
    apply(*state.image, values[0].integer);
    return true;
}

ArgSpec real(const char* name) { return {name, ArgKind::Real, {}}; }

// Any whole number: outside 1..8 the library treats bits as 1 or 8.
ArgSpec bits() { return {"BITS", ArgKind::Integer, {}, INT32_MIN, INT32_MAX}; }

const Value kNoOption{};
const ArgSpec kNoOptionSpec{"", ArgKind::Integer, {}};

}  // namespace

const std::vector<Operation>& toneOperations() {
    static const std::vector<Operation> operations = {
        {"noise",
         {real("AMOUNT")},
         "add random noise times AMOUNT, alpha too (--seed)",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runReal<addNoise>},
        {"brightness",
         {real("FACTOR")},
         "scale every channel, alpha too, by FACTOR",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runReal<scaleBrightness>},
        {"contrast",
         {real("WEIGHT")},
         "blend from grey 123 toward the pixels by WEIGHT",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runReal<adjustContrast>},
        {"saturation",
         {real("WEIGHT")},
         "blend from each pixel's grey toward it by WEIGHT",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runReal<adjustSaturation>},
        {"channel",
         {{"CHANNEL",
           ArgKind::Integer,
           {{"red", 0}, {"green", 1}, {"blue", 2}, {"alpha", 3}},
           INT32_MIN,
           INT32_MAX}},
         "keep one channel, zero the others (alpha too)",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runInteger<isolateChannel>},
        {"posterize",
         {bits()},
         "R, G, B to BITS bits (1..8), alpha 255",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runInteger<posterize>},
        {"posterize-noise",
         {bits()},
         "posterize half pixel + half noise (--seed)",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runInteger<posterizeWithNoise>},
        {"dither-ordered",
         {bits()},
         "4x4 ordered dither of R, G, B to BITS bits",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runInteger<orderedDither>},
        {"dither-diffusion",
         {bits()},
         "Floyd-Steinberg dither to BITS bits, alpha 255",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runInteger<errorDiffusionDither>},
    };
    return operations;
}

}  // namespace tesselane::tool
