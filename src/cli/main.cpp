// tarnova-cli: batch use of the Tarnova core. It links neither Qt nor CUPS; the commands that
// draw are handed to the drawing program (drawing_program.h).
#include "cli/batch_reduction.h"
#include "cli/commands.h"
#include "cli/drawing_program.h"
#include "cli/reduction.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iostream>

namespace tarnova::cli {

// Subcommands, each in its own <name>_command.cpp.
int runSettingsCommand(const Arguments& arguments);
int runInfoCommand(const Arguments& arguments);
int runConvertCommand(const Arguments& arguments);
int runReduceCommand(const Arguments& arguments);
int runCorrectionCommand(const Arguments& arguments);
int runExcludeCommand(const Arguments& arguments);
int runExclusionsCommand(const Arguments& arguments);

namespace {

// A command without a function draws: the drawing program runs it (its --help too, which needs
// no drawing, is answered here).
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
    Command{"graph", kGraphUsage, nullptr},
    Command{"correction",
            "tarnova-cli correction SETNAME [CORRECTED,INTERFERING,FACTOR]... [--ini PATH]",
            runCorrectionCommand},
    Command{"report", kReportUsage, nullptr},
    Command{"exclusions", "tarnova-cli exclusions FILE " TARNOVA_REDUCTION_USAGE,
            runExclusionsCommand},
};

} // namespace

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
            if (std::strcmp(argv[1], command.name) != 0) {
                continue;
            }
            const Arguments arguments(argv + 2, argv + argc);
            if (command.run == nullptr &&
                std::find(arguments.begin(), arguments.end(), "--help") == arguments.end()) {
                return RunDrawingProgram(argv);
            }
            return runCommand(command, argc, argv);
        }
    }
    printUsages(std::cerr);
    return 2;
}
