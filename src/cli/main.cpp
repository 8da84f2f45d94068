// tarnova-cli: batch use of the Tarnova core.
#include "cli/batch_reduction.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/reduction.h"

#include "platform/text_format.h"

#include <sys/stat.h>

#include <algorithm>
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
int runExcludeCommand(const Arguments& arguments);
int runExclusionsCommand(const Arguments& arguments);

namespace {

constexpr std::array kCommands{
    Command{"settings", "tarnova-cli settings [--ini PATH] [--save PATH]", runSettingsCommand},
    Command{"info", "tarnova-cli info FILE [--ini INI] [--format dat|pks|asc|mmdat] [--exact]",
            runInfoCommand},
    Command{"convert",
            "tarnova-cli convert FILE OUT --to dat|pks [--ini INI] [--format dat|pks|asc|mmdat] "
            "[--leave-out]",
            runConvertCommand},
    Command{"exclude",
            "tarnova-cli exclude FILE [LABEL@TIME]... [--clear] [--ini INI] "
            "[--format dat|pks|asc|mmdat]",
            runExcludeCommand},
    Command{"reduce",
            "tarnova-cli reduce FILE|FOLDER... " TARNOVA_REDUCTION_USAGE
            " [--output-flags LIST] [--output OUT] " TARNOVA_BATCH_USAGE,
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
    Command{"exclusions", "tarnova-cli exclusions FILE " TARNOVA_REDUCTION_USAGE,
            runExclusionsCommand},
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

namespace {

void printUsages(std::ostream& stream) {
    stream << "usage:\n";
    for (const auto& command : tarnova::cli::kCommands) {
        stream << "  " << command.usage << '\n';
    }
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarnova::cli;
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsages(std::cout);
        std::cout << "  tarnova-cli --help | --version\n\n"
                     "tarnova-cli SUBCOMMAND --help prints the options of a subcommand; the manual "
                     "page tarnova-cli(1) describes them all.\n";
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "tarnova-cli " TARNOVA_VERSION "\n";
        return 0;
    }
    if (argc >= 2) {
        for (const auto& command : kCommands) {
            if (std::strcmp(argv[1], command.name) == 0) {
                const Arguments arguments(argv + 2, argv + argc);
                if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
                    std::cout << "usage: " << command.usage << "\n\n"
                              << commandOptionsHelp(command.name);
                    return finishStandardOutput(0);
                }
                return finishStandardOutput(command.run(arguments));
            }
        }
    }
    printUsages(std::cerr);
    return 2;
}
