#include "cli/commands.h"

namespace tarnova::cli {

int runSettingsCommand(const Arguments& /*arguments*/) {
    return usageError("tarnova-cli settings [--ini PATH] [--save PATH]");
}

} // namespace tarnova::cli
