// The DAT format (VARDEN88-compatible): a fixed header with the DAT form of the data note,
// then one line per peak with a numeric label, time, height and range.
#pragma once

#include "data/peak_file_content.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Reads a DAT file's content; none when a line is missing or does not scan.
std::optional<PeakFileContent> parseDatFile(std::string_view content);

// Reads the file at path. On success the file's data note (DAT form, no path) has become
// currentDataNote; on failure nothing changes. Shows no messages.
std::optional<std::vector<PeakRecord>> ReadDatFile(const std::string& path);

// Why a DAT file cannot hold a peak: its label does not begin with a (nonzero) mass number,
// or its number comes after the 50 distinct numbers a file holds.
enum class DatRefusal { None, NoMassNumber, TooManyLabels };
// The refusal of each peak, in order.
std::vector<DatRefusal> datRefusals(const std::vector<PeakRecord>& peaks);

// The text of a DAT file for the peaks it can hold (see datRefusals), with the header from
// note (defaults when there is none); none when it can hold no peak.
std::optional<std::string> datFileText(const std::vector<PeakRecord>& peaks, const DataNote* note);

// Writes peaks with the header of currentDataNote; false when the text cannot be made (see
// datFileText) or the file cannot be written. Shows no messages.
bool WriteDatFile(const std::string& path, const std::vector<PeakRecord>& peaks, bool addEndOfFile);

} // namespace tarnova
