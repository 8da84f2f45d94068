// The data-file formats and how a file's format is decided from its contents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnova {

enum class FileKind : int {
    None = 0,           // cancelled or undecidable
    Dat = 1,            // the native DAT format
    Pks = 2,            // the native PKS format
    PksThirdChoice = 3, // the third choice of the format-decision dialog, read as PKS
    Ird = 4,            // an isotope-ratio data export: refused
    MicromassDat = 10,
    MicromassAsc = 11,
};

// "DAT", "PKS", "IRD", "Micromass DAT", "Micromass ASC"; empty for None.
std::string_view fileKindName(FileKind kind);

// The kind that a file's first lines show, with the detection's run-log lines; none when
// they show none. Only the first three lines (and for the Micromass DAT mark the first 256
// bytes) are examined.
std::optional<FileKind> kindFromContent(std::string_view content);

} // namespace tarnova
