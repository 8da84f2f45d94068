// tarnova-cli-draw: the commands of tarnova-cli that draw with Qt (graph, report), started by
// tarnova-cli with its own arguments and its own path as argv[0].
#include "cli/commands.h"
#include "cli/drawing_program.h"
#include "platform/load_path.h"

#include <array>
#include <cstring>
#include <iostream>

namespace tarnova::cli {

int runGraphCommand(const Arguments& arguments);
int runReportCommand(const Arguments& arguments);

namespace {

constexpr std::array kDrawingCommands{
    Command{"graph", kGraphUsage, runGraphCommand},
    Command{"report", kReportUsage, runReportCommand},
};

} // namespace
} // namespace tarnova::cli

int main(int argc, char** argv) {
    using namespace tarnova;
    // TARNOVA.INI and the help belong to the tarnova-cli that started this program.
    if (argc >= 1 && argv[0][0] == '/') {
        setLoadPath(LoadPathOf(argv[0]));
    }
    if (argc >= 2) {
        for (const auto& command : cli::kDrawingCommands) {
            if (std::strcmp(argv[1], command.name) == 0) {
                return cli::runCommand(command, argc, argv);
            }
        }
    }
    std::cerr << "usage: tarnova-cli graph|report ...\n";
    return 2;
}
