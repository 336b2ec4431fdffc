#include "tools/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace tesselane::tool {
namespace {

const Operation* findOperation(const std::string& name) {
    for (const Operation* operation : allOperations()) {
        if (name == operation->name) return operation;
    }
    return nullptr;
}

bool parseInteger(const std::string& text, int64_t& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = parsed;
    return true;
}

bool parseValue(const ArgSpec& spec, const std::string& text, Value& value, std::string* why) {
    for (const NamedValue& word : spec.words) {
        if (text == word.name) {
            value.integer = word.value;
            value.real = word.value;
            return true;
        }
    }
    if (spec.kind == ArgKind::Integer) {
        int64_t parsed = 0;
        if (!parseInteger(text, parsed)) {
            *why = text + ": " + spec.name + " must be a whole number";
            if (!spec.words.empty()) {
                *why += " or one of";
                for (const NamedValue& word : spec.words) *why += std::string(" ") + word.name;
            }
            return false;
        }
        if (parsed < spec.minimum || parsed > spec.maximum) {
            std::ostringstream range;
            range << text << ": " << spec.name << " must lie in " << spec.minimum << ".."
                  << spec.maximum;
            *why = range.str();
            return false;
        }
        value.integer = static_cast<int32_t>(parsed);
        value.real = static_cast<double>(parsed);
        return true;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        *why = text + ": " + spec.name + " must be a number";
        return false;
    }
    value.real = parsed;
    return true;
}

bool isOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-' && arg != "-"; }

// The option of the latest step that has one of this name.
Step* stepWithOption(std::vector<Step>& steps, const std::string& option) {
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->operation->option != nullptr && option == step->operation->option) {
            return &*step;
        }
    }
    return nullptr;
}

bool anyOperationHasOption(const std::string& option) {
    for (const Operation* operation : allOperations()) {
        if (operation->option != nullptr && option == operation->option) return true;
    }
    return false;
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, Plan& plan, std::string* why) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            plan.help = true;
        } else if (arg == "--version") {
            plan.version = true;
        } else if (arg == "--seed") {
            int64_t seed = 0;
            if (!hasNext || !parseInteger(args[i + 1], seed) || seed < 0 || seed > UINT32_MAX) {
                *why = "--seed: needs a whole number 0..4294967295";
                return false;
            }
            plan.seed = static_cast<unsigned>(seed);
            ++i;
        } else if (arg == "--out-dir") {
            if (!hasNext || args[i + 1].empty()) {
                *why = "--out-dir: needs a folder";
                return false;
            }
            plan.outDir = args[++i];
        } else if (arg == "-j" || arg == "--jobs") {
            int64_t jobs = 0;
            if (!hasNext || !parseInteger(args[i + 1], jobs) || jobs < 1 || jobs > 1024) {
                *why = arg + ": needs a number of files at once, 1..1024";
                return false;
            }
            plan.jobs = static_cast<unsigned>(jobs);
            ++i;
        } else if (isOption(arg) && anyOperationHasOption(arg)) {
            Step* step = stepWithOption(plan.steps, arg);
            if (step == nullptr) {
                *why = arg + ": comes before any operation that takes it";
                return false;
            }
            if (!hasNext) {
                *why = arg + ": needs a value";
                return false;
            }
            if (!parseValue(step->operation->optionSpec, args[i + 1], step->values.back(), why)) {
                *why = arg + " " + *why;
                return false;
            }
            step->optionGiven = true;
            ++i;
        } else if (isOption(arg)) {
            *why = arg + ": unknown option";
            return false;
        } else if (const Operation* operation = plan.files.empty() ? findOperation(arg) : nullptr) {
            Step step{operation, {}};
            for (const ArgSpec& spec : operation->args) {
                ++i;
                if (i >= args.size()) {
                    *why = arg + ": needs " + spec.name;
                    return false;
                }
                Value value;
                if (!parseValue(spec, args[i], value, why)) {
                    *why = arg + " " + *why;
                    return false;
                }
                step.values.push_back(value);
            }
            if (operation->option != nullptr) step.values.push_back(operation->optionDefault);
            plan.steps.push_back(std::move(step));
        } else {
            plan.files.push_back(arg);
        }
    }
    if (plan.help || plan.version) return true;
    if (plan.steps.empty()) {
        *why = plan.files.empty() ? "no operation given (see --help)"
                                  : plan.files.front() + ": unknown operation (see --help)";
        return false;
    }
    if (plan.outDir) {
        if (plan.files.empty()) {
            *why = "--out-dir: needs at least one input file";
            return false;
        }
        return true;
    }
    if (plan.files.size() != 2) {
        *why = plan.files.size() < 2 ? "needs an input file and an output file"
                                     : plan.files[2] + ": unexpected argument";
        return false;
    }
    return true;
}

std::string helpText() {
    std::ostringstream out;
    out << "Usage: tesselane OPERATION [ARGS]... [OPERATION [ARGS]...]... INPUT.bmp OUTPUT.bmp\n"
           "       tesselane OPERATION [ARGS]... --out-dir FOLDER [-j N] INPUT.bmp...\n"
           "\n"
           "Reads INPUT.bmp, applies the operations in the order given, and writes OUTPUT.bmp\n"
           "as an uncompressed 24-bit BMP (alpha is not written). OUTPUT is replaced only\n"
           "when everything succeeded. With --out-dir, each INPUT is written to FOLDER under\n"
           "its own file name, up to N files at once; every file that can be done is done.\n"
           "\n"
           "Operations:\n";
    for (const Operation* operation : allOperations()) {
        std::string usage = std::string("  ") + operation->name;
        for (const ArgSpec& spec : operation->args) usage += std::string(" ") + spec.name;
        if (operation->option != nullptr) {
            usage += std::string(" [") + operation->option + " " + operation->optionSpec.name + "]";
        }
        out << usage;
        if (usage.size() < 30) {
            out << std::string(30 - usage.size(), ' ');
        } else {
            out << "\n" << std::string(30, ' ');
        }
        out << operation->summary << "\n";
        for (const ArgSpec& spec : operation->args) {
            if (spec.words.empty()) continue;
            out << std::string(32, ' ') << spec.name << ":";
            for (const NamedValue& word : spec.words) {
                out << " " << word.name << " (" << word.value << ")";
            }
            out << "\n";
        }
    }
    out << "\n"
           "Options:\n"
           "  --seed N                    seed the random generator before each file (noise\n"
           "                              is then reproducible)\n"
           "  --out-dir FOLDER            write each input to FOLDER (made if missing)\n"
           "  -j, --jobs N                with --out-dir, work on up to N files at once\n"
           "  --help                      show this text\n"
           "  --version                   show the version\n"
           "\n"
           "Exit codes:\n"
           "  0  success\n"
           "  1  an input could not be read, an output could not be written, or an\n"
           "     operation cannot apply to a picture (the message names the file); with\n"
           "     --out-dir, when any file failed\n"
           "  2  the command line is wrong (the message names the argument)\n";
    return out.str();
}

}  // namespace tesselane::tool
