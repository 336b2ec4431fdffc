#include "tesselane/effects/patchwork/patchwork.h"
#include "tools/operation.h"

namespace tesselane::tool {
namespace {

bool runPatchwork(ChainState& state, const std::vector<Value>& values, std::string*) {
    state.image = makePatchwork(*state.image, values[0].integer);
    return true;
}

bool runCrop(ChainState& state, const std::vector<Value>& values, std::string* why) {
    const Image& image = *state.image;
    const int32_t x = values[0].integer;
    const int32_t y = values[1].integer;
    const int32_t w = values[2].integer;
    const int32_t h = values[3].integer;
    if (x > image.width - w || y > image.height - h) {
        *why = "the region passes the picture's " + std::to_string(image.width) + "x" +
               std::to_string(image.height);
        return false;
    }
    state.image = image.crop(x, y, w, h);
    return true;
}

}  // namespace

const std::vector<Operation>& coreOperations() {
    static const std::vector<Operation> operations = {
        {"patchwork",
         {},
         "diagonal patchwork of diamond tiles, each showing some channels",
         "--tile",
         {"N", ArgKind::Integer, {}, 1, INT32_MAX},
         Value{20, 20},
         runPatchwork},
        {"crop",
         {{"X", ArgKind::Integer, {}, 0, INT32_MAX},
          {"Y", ArgKind::Integer, {}, 0, INT32_MAX},
          {"W", ArgKind::Integer, {}, 1, INT32_MAX},
          {"H", ArgKind::Integer, {}, 1, INT32_MAX}},
         "the W x H region whose top-left pixel is (X, Y)",
         nullptr,
         {"", ArgKind::Integer, {}},
         Value{},
         runCrop},
    };
    return operations;
}

}  // namespace tesselane::tool
