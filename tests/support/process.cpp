#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace tesselane::testing {
namespace {

// Output goes to files rather than pipes so that a chatty child cannot block on a full pipe.
ChildResult runForked(const std::function<void()>& child) {
    TempDir dir;
    const std::string outPath = dir.file("out");
    const std::string errPath = dir.file("err");
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        close(out);
        close(err);
        child();
        _exit(127);
    }
    ChildResult result;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

}  // namespace

ChildResult runInChild(const std::function<int()>& body) {
    return runForked([&] {
        const int code = body();
        std::fflush(nullptr);
        _exit(code);
    });
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args) {
    return runForked([&] {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
    });
}

ChildResult runTool(const std::vector<std::string>& args) {
#if defined(TESSELANE_TOOL_PATH)
    return runProgram(TESSELANE_TOOL_PATH, args);
#else
    (void)args;
    return ChildResult{};
#endif
}

}  // namespace tesselane::testing
