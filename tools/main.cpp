// tesselane: applies a chain of the library's operations to a BMP file.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/command_line.h"

namespace tesselane::tool {
namespace {

void report(const std::string& subject, const std::string& reason) {
    std::fprintf(stderr, "tesselane: %s: %s\n", subject.c_str(), reason.c_str());
}

int runChain(const Plan& plan, const std::string& input, const std::string& output) {
    std::string why;
    ChainState state;
    state.image = Image::tryLoad(input.c_str(), &why);
    if (!state.image) {
        report(input, why);
        return kExitFailed;
    }
    for (const Step& step : plan.steps) {
        state.image->setSampleMode(state.sampleMode);
        if (!step.operation->run(state, step.values, &why)) {
            report(input, std::string(step.operation->name) + ": " + why);
            return kExitFailed;
        }
    }
    if (!state.image->save(output.c_str())) {
        report(output, "cannot write the file");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace
}  // namespace tesselane::tool

int main(int argc, char** argv) {
    using namespace tesselane::tool;
    const std::vector<std::string> args(argv + 1, argv + argc);
    Plan plan;
    std::string why;
    if (!parseCommandLine(args, plan, &why)) {
        std::fprintf(stderr, "tesselane: %s\n", why.c_str());
        return kExitUsage;
    }
    if (plan.help) {
        std::fputs(helpText().c_str(), stdout);
        return kExitOk;
    }
    if (plan.version) {
        std::printf("tesselane %s\n", TESSELANE_VERSION);
        return kExitOk;
    }
    if (plan.seed) std::srand(*plan.seed);
    return runChain(plan, plan.files[0], plan.files[1]);
}
