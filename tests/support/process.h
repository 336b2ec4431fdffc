#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tesselane::testing {

// What a child process left behind.
struct ChildResult {
    int exitStatus = -1;  // exit status 0..255, or -1 when it did not exit normally
    int signal = 0;       // the signal that ended it, if any
    std::string out;      // its standard output
    std::string err;      // its standard error
};

// Runs body in a forked child with standard output and error captured; the child exits with
// body's result.
ChildResult runInChild(const std::function<int()>& body);

// Runs a program with arguments (no shell) and captures its output.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args);

// Runs the command-line tool with arguments, as a user would.
ChildResult runTool(const std::vector<std::string>& args);

}  // namespace tesselane::testing
