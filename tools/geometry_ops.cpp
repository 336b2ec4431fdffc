#include "tesselane/geometry/transform.h"
#include "tools/operation.h"

namespace tesselane::tool {
namespace {

// The library's try-variants return null, with the reason, where the plain operations would
// end the process; the picture is then left as it was.
bool replace(ChainState& state, std::unique_ptr<Image> result) {
    if (!result) return false;
    state.image = std::move(result);
    return true;
}

bool runSampleMode(ChainState& state, const std::vector<Value>& values, std::string*) {
    state.sampleMode = values[0].integer;
    return true;
}

bool runScale(ChainState& state, const std::vector<Value>& values, std::string* why) {
    return replace(state, tryScaleImage(*state.image, values[0].real, values[1].real, why));
}

bool runRotate(ChainState& state, const std::vector<Value>& values, std::string* why) {
    return replace(state, tryRotateImage(*state.image, values[0].real, why));
}

bool runTrim(ChainState& state, const std::vector<Value>&, std::string* why) {
    return replace(state, tryTrimWhite(*state.image, why));
}

bool runWarp(ChainState& state, const std::vector<Value>& values, std::string* why) {
    return replace(state, tryWarpImage(*state.image, values[0].integer, why));
}

}  // namespace

const std::vector<Operation>& geometryOperations() {
    const ArgSpec none{"", ArgKind::Integer, {}};
    static const std::vector<Operation> operations = {
        {"sample-mode",
         {{"MODE",
           ArgKind::Integer,
           {{"nearest", Nearest}, {"bilinear", Bilinear}, {"gaussian", Gaussian5x5}}}},
         "how later scale/rotate/warp read (default nearest)",
         nullptr,
         none,
         Value{},
         runSampleMode},
        {"scale",
         {{"SX", ArgKind::Real, {}}, {"SY", ArgKind::Real, {}}},
         "resize to trunc(width x SX) x trunc(height x SY)",
         nullptr,
         none,
         Value{},
         runScale},
        {"rotate",
         {{"DEGREES", ArgKind::Real, {}}},
         "turn counter-clockwise, trim the white margin",
         nullptr,
         none,
         Value{},
         runRotate},
        {"trim", {}, "crop away the opaque-white margin", nullptr, none, Value{}, runTrim},
        {"warp",
         {{"KIND",
           ArgKind::Integer,
           {{"sine", SineWave}, {"polar", PolarSquare}, {"polar-same", PolarSameSize}}}},
         "sine wave, or wrap into a disc (polar: 2H+1 square)",
         nullptr,
         none,
         Value{},
         runWarp},
    };
    return operations;
}

}  // namespace tesselane::tool
