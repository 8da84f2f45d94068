// What every subcommand of tarnova-cli shares: naming problems of the command line, the check
// that an output is not an input, and the end of standard output.
#include "cli/command_help.h"
#include "cli/commands.h"

#include "platform/text_format.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace tarnova::cli {

void reportUsageProblem(const std::string& problem) {
    std::cerr << "tarnova-cli: " << problem << '\n';
}

std::optional<std::string> optionProblem(const Arguments& arguments, std::size_t index, bool known,
                                         bool repeated, bool needsValue) {
    const std::string& option = arguments[index];
    if (!known) {
        return "unknown option " + option;
    }
    if (repeated) {
        return option + " is given twice";
    }
    if (needsValue && index + 1 >= arguments.size()) {
        return option + " needs a value";
    }
    return std::nullopt;
}

std::optional<Arguments> takeFlag(const Arguments& arguments, std::string_view flag, bool& given) {
    Arguments rest;
    given = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != flag) {
            rest.push_back(arguments[i]);
            continue;
        }
        if (const auto problem = optionProblem(arguments, i, true, given, false)) {
            reportUsageProblem(*problem);
            return std::nullopt;
        }
        given = true;
    }
    return rest;
}

bool outputNamesInput(const std::string& output, const std::vector<std::string>& inputs) {
    struct stat written {};
    if (::stat(output.c_str(), &written) != 0) {
        return false; // a new file
    }
    for (const std::string& input : inputs) {
        struct stat read {};
        if (::stat(input.c_str(), &read) == 0 && read.st_dev == written.st_dev &&
            read.st_ino == written.st_ino) {
            reportUsageProblem("the output " + output + " is the input " + input +
                               ", which writing would replace");
            return true;
        }
    }
    return false;
}

// Standard output goes through a buffer: a write that fails (a full device) may show only when
// the buffer is flushed at the end. A command that succeeded then fails.
int finishStandardOutput(int status) {
    // A write that failed before keeps its reason in errno: nothing after it wrote.
    const bool failedBefore = !std::cout || std::ferror(stdout) != 0;
    const int earlier = errno;
    errno = 0;
    std::cout.flush();
    const bool failed = failedBefore || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!failed) {
        return status;
    }
    const int reason = failedBefore && earlier != 0 ? earlier : errno != 0 ? errno : EIO;
    std::cerr << "Tarnova: "
              << formatText("%sに書き込めませんでした(%s)。", "標準出力", std::strerror(reason))
              << '\n';
    return status == 0 ? 1 : status;
}

int usageError(const char* usage) {
    std::cerr << "usage: " << usage << '\n';
    return 2;
}

int runCommand(const Command& command, int argc, char** argv) {
    const Arguments arguments(argv + 2, argv + argc);
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        std::cout << "usage: " << command.usage << "\n\n" << commandOptionsHelp(command.name);
        return finishStandardOutput(0);
    }
    return finishStandardOutput(command.run(arguments));
}

} // namespace tarnova::cli
