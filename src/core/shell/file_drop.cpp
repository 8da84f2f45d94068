#include "shell/file_drop.h"

#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/user_interface_port.h"

namespace tarnova {
namespace {

constexpr std::size_t kMaxDropLoadPathLength = 327;
constexpr std::size_t kMaxReportedNameLength = 319;

void logNamed(const std::string& path, const char* format) {
    LogLine(path.size() > kMaxReportedNameLength ? std::string("Too long to report.")
                                                 : formatText(format, path.c_str()));
}

} // namespace

void ProcessDroppedFiles(const std::vector<std::string>& paths, const std::string& loadPath,
                         const FileDropHooks& hooks, UserInterfacePort& port) {
    LogLine("Start to process dropped files.");
    if (loadPath.size() > kMaxDropLoadPathLength) {
        port.showMessage("Tarnova", "Too deep tree to make load path.");
        return;
    }
    if (!paths.empty() && hooks.mayReplaceSheet && !hooks.mayReplaceSheet()) {
        return;
    }
    const std::string executable = FurtherInstanceExecutable(loadPath);
    bool first = true;
    for (const std::string& path : paths) {
        logNamed(path, "%s is dropped.");
        if (first) {
            first = false;
            if (hooks.loadFile) {
                hooks.loadFile(path);
            }
            logNamed(path, "%s: Load");
            continue;
        }
        if (hooks.startInstance) {
            hooks.startInstance(executable, path);
        }
        logNamed(path, "%s: Fork");
    }
    LogLine("Finish processing the dropped files.");
}

} // namespace tarnova
