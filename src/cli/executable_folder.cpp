#include "cli/commands.h"
#include "platform/load_path.h"

namespace tarnova::cli {

std::string executableFolder() {
    return LoadPathOf(ExecutablePath());
}

} // namespace tarnova::cli
