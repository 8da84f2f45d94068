#include "data/peak_sheet.h"

namespace tarnova {

std::string DataNote::fileName() const {
    if (!path) {
        return {};
    }
    const auto slash = path->rfind('/');
    return slash == std::string::npos ? *path : path->substr(slash + 1);
}

std::optional<DataNote>& currentDataNote() {
    thread_local std::optional<DataNote> note;
    return note;
}

void ReleaseDataNote() {
    currentDataNote().reset();
}

void InstallDataNote(DataNote note) {
    currentDataNote() = std::move(note);
}

} // namespace tarnova
