#include "data/micromass_dat.h"

#include "data/peak_value_split.h"
#include "platform/codepage.h"
#include "platform/text_file.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarnova {
namespace {

constexpr std::string_view kCaption = "Check";
constexpr std::size_t kHeaderSize = 46;
constexpr std::size_t kDateOffset = 1;
constexpr std::size_t kDateSize = 21;
constexpr std::size_t kIdOffset = 22;
constexpr std::size_t kIdSize = 8;
constexpr std::size_t kItemCountOffset = 30;
constexpr std::size_t kCycleCountOffset = 38;
constexpr std::size_t kItemSize = 13;
constexpr std::size_t kLabelSize = 5;
constexpr std::size_t kSampleSize = 16;

// A little-endian IEEE 754 double at offset.
double doubleAt(std::string_view bytes, std::size_t offset) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[offset + i]))
                << (8 * i);
    }
    return std::bit_cast<double>(bits);
}

// A header text: its field, up to the first zero byte.
std::string_view headerText(std::string_view bytes, std::size_t offset, std::size_t size) {
    const std::string_view field = bytes.substr(offset, size);
    return field.substr(0, field.find('\0'));
}

// An item's label: white space is removed from the end of its five bytes back to the first
// other byte (a zero byte stops it too), and the label ends at its first zero byte.
std::string itemLabel(std::string_view item) {
    std::string_view label = item.substr(0, kLabelSize);
    while (!label.empty() && std::isspace(static_cast<unsigned char>(label.back())) != 0) {
        label.remove_suffix(1);
    }
    return std::string(label.substr(0, label.find('\0')));
}

} // namespace

std::optional<PeakFileContent> parseMicromassDat(std::string_view bytes, UserInterfacePort& ui) {
    if (bytes.size() < kHeaderSize) {
        ui.showMessage(kCaption, "Header error(short)");
        return std::nullopt;
    }
    const double announcedItems = doubleAt(bytes, kItemCountOffset);
    const double announcedCycles = doubleAt(bytes, kCycleCountOffset);
    if (!(announcedItems >= 1.0)) {
        ui.showMessage(kCaption, "Header error");
        return std::nullopt;
    }
    std::string_view rest = bytes.substr(kHeaderSize);
    const std::size_t itemsHeld = rest.size() / kItemSize;
    if (announcedItems >= static_cast<double>(itemsHeld) + 1.0) {
        ui.showMessage(kCaption, "Too small number of peak item.");
        return std::nullopt;
    }
    const auto items = static_cast<std::size_t>(std::trunc(announcedItems));
    const std::string_view table = rest.substr(0, items * kItemSize);
    rest.remove_prefix(table.size());

    // A negative or undefined number of cycles leaves nothing that could be allocated.
    if (!(announcedCycles > -1.0)) {
        ui.showMessage(kCaption, "Fail to get heap block.");
        return std::nullopt;
    }
    const std::size_t cyclesHeld = rest.size() / kSampleSize / items;
    if (announcedCycles >= static_cast<double>(cyclesHeld) + 1.0) {
        return std::nullopt;
    }
    const auto cycles = static_cast<std::size_t>(std::trunc(announcedCycles));

    std::vector<std::string> labels;
    labels.reserve(items);
    for (std::size_t item = 0; item < items; ++item) {
        labels.push_back(itemLabel(table.substr(item * kItemSize, kItemSize)));
    }

    PeakFileContent file;
    file.peaks.reserve(items * cycles);
    for (std::size_t sample = 0; sample < items * cycles; ++sample) {
        const std::size_t offset = sample * kSampleSize;
        PeakRecord& peak = file.peaks.emplace_back();
        peak.elem = cutCp932(labels[sample % items], kMaxLabelLength);
        peak.time = doubleAt(rest, offset + 8);
        const HeightAndRange split = splitMicromassValue(doubleAt(rest, offset));
        peak.height = split.height;
        peak.range = split.range;
    }

    file.note.form = DataNoteForm::Pks;
    file.note.tags.push_back({"Date:", std::string(headerText(bytes, kDateOffset, kDateSize))});
    file.note.tags.push_back({"ID:", std::string(headerText(bytes, kIdOffset, kIdSize))});
    return file;
}

std::optional<std::vector<PeakRecord>> ReadMicromassDat(const std::string& path,
                                                        UserInterfacePort& ui) {
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return installPeakFile(parseMicromassDat(*bytes, ui));
}

} // namespace tarnova
