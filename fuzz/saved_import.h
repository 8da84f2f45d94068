// An imported measurement saved as the program saves it: as PKS and as DAT text.
#pragma once

#include "data/dat_format.h"
#include "data/peak_file_content.h"
#include "data/pks_format.h"

namespace tarnova::fuzz {

inline void saveImport(const PeakFileContent& file) {
    pksFileText(file.peaks, &file.note);
    datFileText(file.peaks, &file.note);
}

} // namespace tarnova::fuzz
