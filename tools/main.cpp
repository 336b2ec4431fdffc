// tesselane: applies a chain of the library's operations to BMP files.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/run.h"

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
    if (plan.outDir) return runBatch(plan);
    return runFile(plan, plan.files[0], plan.files[1]);
}
