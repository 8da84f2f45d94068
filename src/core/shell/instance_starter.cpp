#include "shell/instance_starter.h"

namespace tarnova {

std::string FurtherInstanceExecutable(const std::string& loadPath) {
    return loadPath + "tarnova";
}

} // namespace tarnova
