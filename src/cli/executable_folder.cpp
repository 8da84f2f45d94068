#include "cli/commands.h"
#include "shell/load_path.h"

namespace tarnova::cli {

std::string executableFolder() {
    return LoadPathOf(ExecutablePath());
}

} // namespace tarnova::cli
