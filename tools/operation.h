#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tesselane/image/image.h"

namespace tesselane::tool {

enum class ArgKind { Real, Integer };

// A word accepted in place of a number, such as "bilinear" for 1.
struct NamedValue {
    const char* name;
    int32_t value;
};

struct ArgSpec {
    const char* name;  // as --help shows it, e.g. "FACTOR"
    ArgKind kind;
    std::vector<NamedValue> words;
    // Inclusive range an Integer must lie in; Reals accept anything strtod reads.
    int32_t minimum = INT32_MIN;
    int32_t maximum = INT32_MAX;
};

// A parsed argument: Integer arguments fill both fields, Real arguments only real.
struct Value {
    double real = 0;
    int32_t integer = 0;
};

// What travels along a chain of operations.
struct ChainState {
    std::unique_ptr<Image> image;
    // Sample mode chosen on the command line; given to the picture before each operation,
    // since operations that build a new picture return it in Nearest mode.
    int32_t sampleMode = Nearest;
};

struct Operation {
    const char* name;
    std::vector<ArgSpec> args;  // positional, in order
    const char* summary;        // one line for --help
    // An optional setting written "--option VALUE" after the operation (or after the files),
    // with its default; its value follows the positional ones in run's values.
    const char* option = nullptr;
    ArgSpec optionSpec = {"", ArgKind::Integer, {}};
    Value optionDefault;
    // Applies the operation. False, with a reason in *why, when it cannot apply to this
    // picture: the tool checks what would make the library end the process.
    bool (*run)(ChainState& state, const std::vector<Value>& values, std::string* why) = nullptr;
};

// The operations of each part of the library, each list defined beside its part's tests.
const std::vector<Operation>& coreOperations();
const std::vector<Operation>& toneOperations();
const std::vector<Operation>& filterOperations();
const std::vector<Operation>& geometryOperations();

// Every operation, in the order --help lists them.
std::vector<const Operation*> allOperations();

}  // namespace tesselane::tool
