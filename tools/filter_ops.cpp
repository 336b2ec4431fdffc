#include "tesselane/effects/filters/convolve.h"
#include "tesselane/effects/filters/edges.h"
#include "tools/operation.h"

// blur and sharpen work in place and allocate nothing, and every KIND has a defined result.
// edges holds two rows of the picture while it works; short of memory for those the library
// would end the process, as it would when loading a picture of that size fails.

namespace tesselane::tool {
namespace {

template <void (*apply)(Image&, int32_t)>
bool runKind(ChainState& state, const std::vector<Value>& values, std::string*) {
    apply(*state.image, values[0].integer);
    return true;
}

bool runEdges(ChainState& state, const std::vector<Value>&, std::string*) {
    laplacianEdges(*state.image);
    return true;
}

// Any whole number: 1 or less means no smoothing, above 5 the binomial 5x5.
ArgSpec kind() {
    return {"KIND",
            ArgKind::Integer,
            {{"box", 2}, {"binomial3", 3}, {"smooth4", 4}, {"binomial5", 5}},
            INT32_MIN,
            INT32_MAX};
}

const Value kNoOption{};
const ArgSpec kNoOptionSpec{"", ArgKind::Integer, {}};

}  // namespace

const std::vector<Operation>& filterOperations() {
    static const std::vector<Operation> operations = {
        {"blur",
         {kind()},
         "5x5 kernel smoothing (<=1 none, 5+ binomial5), alpha 255",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runKind<convolveKernel>},
        {"sharpen",
         {kind()},
         "1.5 x pixel - 0.5 x its KIND smoothing, alpha 1.5A-127",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runKind<sharpen>},
        {"edges",
         {},
         "8-neighbour Laplacian modulo 256, black frame, alpha 0",
         nullptr,
         kNoOptionSpec,
         kNoOption,
         runEdges},
    };
    return operations;
}

}  // namespace tesselane::tool
