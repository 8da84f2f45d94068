// The PKS format (peak-search compatible): tagged comments ("tag","text"), then one line per
// peak with the time in hundredths, the peak value and a quoted label.
#pragma once

#include "data/peak_file_content.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Scans a peak line " %ld , %LE , \"%[^\"]\"" and returns the number of values converted, as
// scanf counts them (3 for a whole peak line).
int scanPksPeakLine(std::string_view line, long& hundredths, double& value, std::string& label);

// Reads a PKS file's content: the rows of the file, an empty line giving an empty row. None
// without a header line, without a peak line, or when a line does not scan.
std::optional<PeakFileContent> parsePksFile(std::string_view content);

// Reads the file at path. On success the file's data note (PKS form, no path) has become
// currentDataNote; on failure nothing changes. Shows no messages.
std::optional<std::vector<PeakRecord>> ReadPksFile(const std::string& path);

// The time written for a peak: whole hundredths, fractions of a hundredth cut off, but never
// a hundredth lost to floating-point error (0.29 gives 29, 12.567 gives 1256).
long pksHundredths(double time);

// The text of a PKS file: the header from note (defaults when there is none; a DAT note's
// fields, then its comments), then one line for each peak with a label.
std::string pksFileText(const std::vector<PeakRecord>& peaks, const DataNote* note);

// Writes peaks with the header of currentDataNote; false when the file cannot be written.
// Shows no messages.
bool WritePksFile(const std::string& path, const std::vector<PeakRecord>& peaks, bool addEndOfFile);
// The same with the header of note (none: the default header).
bool WritePksFile(const std::string& path, const std::vector<PeakRecord>& peaks,
                  const DataNote* note, bool addEndOfFile);

} // namespace tarnova
