#pragma once

#include <string>

#include "tools/command_line.h"

namespace tesselane::tool {

// Loads input, applies the plan's steps and saves to output. Failures are reported on
// standard error as one line naming the file; returns an exit code.
int runFile(const Plan& plan, const std::string& input, const std::string& output);

// Every input of the plan into plan.outDir, up to plan.jobs at a time, each in a process of
// its own (so each file sees the generator exactly as a single run does). Finishes every
// file it can; a progress line is kept on standard error when it is a terminal.
int runBatch(const Plan& plan);

}  // namespace tesselane::tool
