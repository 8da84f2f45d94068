// tarnova-cli: batch use of the Tarnova core.
#include "cli/commands.h"
#include "cli/reduction.h"

#include "platform/text_format.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace tarnova::cli {

// Subcommands, each in its own <name>_command.cpp.
int runSettingsCommand(const Arguments& arguments);
int runInfoCommand(const Arguments& arguments);
int runConvertCommand(const Arguments& arguments);
int runReduceCommand(const Arguments& arguments);
int runGraphCommand(const Arguments& arguments);
int runCorrectionCommand(const Arguments& arguments);
int runReportCommand(const Arguments& arguments);

namespace {

constexpr std::array kCommands{
    Command{"settings", "tarnova-cli settings [--ini PATH] [--save PATH]", runSettingsCommand},
    Command{"info", "tarnova-cli info FILE [--ini INI] [--format dat|pks|asc|mmdat]",
            runInfoCommand},
    Command{"convert",
            "tarnova-cli convert FILE OUT --to dat|pks [--ini INI] [--format dat|pks|asc|mmdat] "
            "[--leave-out]",
            runConvertCommand},
    Command{"reduce",
            "tarnova-cli reduce FILE " TARNOVA_REDUCTION_USAGE
            " [--output-flags LIST] [--output OUT]",
            runReduceCommand},
    Command{"graph",
            "tarnova-cli graph FILE " TARNOVA_REDUCTION_USAGE
            " [--record NAME] [--size WxH] --output OUT.emf|OUT.svg|OUT.png",
            runGraphCommand},
    Command{"correction",
            "tarnova-cli correction SETNAME [CORRECTED,INTERFERING,FACTOR]... [--ini PATH]",
            runCorrectionCommand},
    Command{"report",
            "tarnova-cli report FILE " TARNOVA_REDUCTION_USAGE
            " [--paper a4|letter] [--landscape] --output OUT.pdf|--printer QUEUE",
            runReportCommand},
};

} // namespace

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

} // namespace tarnova::cli

int main(int argc, char** argv) {
    using namespace tarnova::cli;
    if (argc >= 2) {
        for (const auto& command : kCommands) {
            if (std::strcmp(argv[1], command.name) == 0) {
                return finishStandardOutput(command.run(Arguments(argv + 2, argv + argc)));
            }
        }
    }
    std::cerr << "usage:\n";
    for (const auto& command : kCommands) {
        std::cerr << "  " << command.usage << '\n';
    }
    return 2;
}
