// tarnova-cli: batch use of the Tarnova core.
#include "cli/commands.h"
#include "cli/reduction.h"

#include <array>
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
    Command{"info", "tarnova-cli info FILE [--ini INI] [--format dat|pks|asc|mmdat] [--exact]",
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
                return command.run(Arguments(argv + 2, argv + argc));
            }
        }
    }
    std::cerr << "usage:\n";
    for (const auto& command : kCommands) {
        std::cerr << "  " << command.usage << '\n';
    }
    return 2;
}
