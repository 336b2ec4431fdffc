#include "tools/run.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tesselane::tool {
namespace {

void report(const std::string& subject, const std::string& reason) {
    std::fprintf(stderr, "tesselane: %s: %s\n", subject.c_str(), reason.c_str());
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes folder and its missing parents; false with a reason when it cannot.
bool makeFolder(const std::string& folder, std::string* why) {
#if defined(_WIN32)
    (void)folder;
    (void)why;
    return true;
#else
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            *why = std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *why = "not a folder";
        return false;
    }
    return true;
#endif
}

}  // namespace

int runFile(const Plan& plan, const std::string& input, const std::string& output) {
    if (plan.seed) std::srand(*plan.seed);
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

int runBatch(const Plan& plan) {
    const std::string folder = *plan.outDir;
    std::vector<std::string> outputs;
    std::set<std::string> names;
    for (const std::string& input : plan.files) {
        const std::string name = baseName(input);
        if (name.empty() || !names.insert(name).second) {
            report(input, "another input has the same file name, so both would write " + folder +
                              "/" + name);
            return kExitUsage;
        }
        outputs.push_back(folder + "/" + name);
    }
    std::string why;
    if (!makeFolder(folder, &why)) {
        report(folder, why);
        return kExitFailed;
    }

#if defined(_WIN32)
    int failed = 0;
    for (size_t i = 0; i < plan.files.size(); ++i) {
        failed += runFile(plan, plan.files[i], outputs[i]) != kExitOk;
    }
    return failed == 0 ? kExitOk : kExitFailed;
#else
    const bool terminal = isatty(STDERR_FILENO) == 1;
    const size_t total = plan.files.size();
    size_t next = 0;
    size_t finished = 0;
    size_t failed = 0;
    struct Child {
        size_t file;
        int errors;  // read end of the pipe carrying the child's standard error
    };
    std::map<pid_t, Child> running;

    const auto progress = [&] {
        if (!terminal) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %zu failed", finished, total, failed);
        std::fflush(stderr);
    };
    // A child's messages, shown above the progress line.
    const auto relay = [&](int errors) {
        std::string text;
        char buffer[4096];
        ssize_t got;
        while ((got = read(errors, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
            if (got > 0) text.append(buffer, static_cast<size_t>(got));
        }
        close(errors);
        if (text.empty()) return;
        if (terminal) std::fputs("\r\033[K", stderr);
        std::fputs(text.c_str(), stderr);
    };

    progress();
    while (finished < total) {
        while (running.size() < plan.jobs && next < total) {
            int pipeEnds[2];
            if (pipe(pipeEnds) != 0) {
                report(plan.files[next], std::string("cannot start: ") + std::strerror(errno));
                ++failed, ++finished, ++next;
                continue;
            }
            std::fflush(nullptr);
            const pid_t pid = fork();
            if (pid == 0) {
                close(pipeEnds[0]);
                dup2(pipeEnds[1], STDERR_FILENO);
                close(pipeEnds[1]);
                const int code = runFile(plan, plan.files[next], outputs[next]);
                std::fflush(nullptr);
                _exit(code);
            }
            close(pipeEnds[1]);
            if (pid < 0) {
                close(pipeEnds[0]);
                report(plan.files[next], std::string("cannot start: ") + std::strerror(errno));
                ++failed, ++finished, ++next;
                continue;
            }
            running[pid] = Child{next++, pipeEnds[0]};
        }
        if (running.empty()) break;
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid < 0) {
            if (errno == EINTR) continue;
            break;
        }
        const auto child = running.find(pid);
        if (child == running.end()) continue;
        relay(child->second.errors);
        if (WIFSIGNALED(status)) {
            if (terminal) std::fputs("\r\033[K", stderr);
            report(plan.files[child->second.file],
                   "stopped by signal " + std::to_string(WTERMSIG(status)));
        }
        failed += !(WIFEXITED(status) && WEXITSTATUS(status) == kExitOk);
        ++finished;
        running.erase(child);
        progress();
    }
    if (terminal) std::fputs("\r\033[K", stderr);
    return failed == 0 ? kExitOk : kExitFailed;
#endif
}

}  // namespace tesselane::tool
