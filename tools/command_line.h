#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/operation.h"

namespace tesselane::tool {

// Exit codes, as --help lists them.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a file could not be read or written, or an operation refused
constexpr int kExitUsage = 2;   // the command line itself is wrong

struct Step {
    const Operation* operation;
    std::vector<Value> values;  // positional arguments, then the option's value if it has one
    bool optionGiven = false;
};

struct Plan {
    std::vector<Step> steps;
    // INPUT OUTPUT, or with outDir every input.
    std::vector<std::string> files;
    std::optional<std::string> outDir;
    unsigned jobs = 1;
    std::optional<unsigned> seed;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. On a mistake returns false with a one-line
// reason naming the argument in *why.
bool parseCommandLine(const std::vector<std::string>& args, Plan& plan, std::string* why);

// The text of --help.
std::string helpText();

}  // namespace tesselane::tool
