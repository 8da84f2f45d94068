#include "platform/load_path.h"

#include <filesystem>
#include <system_error>

namespace tarnova {
namespace {
std::string& loadPathStorage() {
    static std::string path;
    return path;
}
} // namespace

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string LoadPathOf(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

const std::string& loadPath() {
    return loadPathStorage();
}

void setLoadPath(std::string path) {
    loadPathStorage() = std::move(path);
}

} // namespace tarnova
