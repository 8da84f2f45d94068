// What loading and saving tests work with: a folder, the ports, a grid, the settings, and a
// data note released before and after.
#pragma once

#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "core/support/test_peaks.h"
#include "document/load_peak_file.h"
#include "editor/grid_model.h"
#include "settings/settings.h"

#include <filesystem>
#include <string>

namespace tarnova::test {

struct SheetSession {
    TempFolder folder;
    ScriptedPort ui;
    ScriptedFilePort files;
    GridModel grid{ui};
    Settings settings;

    SheetSession() { ReleaseDataNote(); }
    ~SheetSession() { ReleaseDataNote(); }
    SheetSession(const SheetSession&) = delete;
    SheetSession& operator=(const SheetSession&) = delete;

    // A copy of a sample in the folder, under another name.
    std::string copySample(const std::string& name, const std::string& as) {
        std::filesystem::copy_file(samplePath(name), folder.path(as));
        return folder.path(as);
    }
    LoadResult load(const std::string& path, FileKind preset = FileKind::None) {
        return LoadPeakFile(ui, files, grid, settings, path, preset);
    }
};

} // namespace tarnova::test
