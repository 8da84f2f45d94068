// The INI module and the settings readers on arbitrary files: no crash, and a written key reads
// back as written while the rest of the file keeps its bytes.
#include "editor/grid_model.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "silent_port.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnova;
    const std::string text(reinterpret_cast<const char*>(data), size);
    IniFile file(text);

    fuzz::SilentPort port;
    GridModel grid(port);
    for (const SettingKey& key : settingKeys()) {
        int width = 0;
        int decimals = 0;
        double value = 0.0;
        std::string buffer;
        ReadStringKey(file, key.section, key.key, buffer, 260);
        ReadBoolKey(file, key.section, key.key);
        if (ReadFormatKey(file, key.section, key.key, width, decimals)) {
            grid.SetColumnFormat(key.column, width, decimals, false);
        }
        ReadNumberKey(file, key.section, key.key, value);
    }
    file.keyNames("interferance");
    file.readInt("general", "interferance", -1);

    IniFile changed = file;
    if (changed.setValue("general", "datadir", "/fuzz/dir") &&
        changed.value("general", "datadir") != "/fuzz/dir") {
        std::abort();
    }
    if (changed.setValue("new section", "key", "v") && changed.value("new section", "key") != "v") {
        std::abort();
    }
    changed.removeKey("general", "datadir");
    return 0;
}
