// tarnova-cli graph: the graph of one record of a calculation as the graph window draws it,
// saved as an EMF, SVG or PNG picture.
#include "cli/commands.h"
#include "cli/drawing_program.h"
#include "cli/offscreen_gui.h"
#include "cli/reduction.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "render/picture_output.h"
#include "render/qpainter_surface.h"
#include "results/graph.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = kGraphUsage;

constexpr int kLargestSide = 20000;

struct PictureSize {
    int width = 0;
    int height = 0;
};

// "WxH" with whole numbers from 1 to kLargestSide.
std::optional<PictureSize> parseSize(const std::string& text) {
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return std::nullopt;
    }
    const auto side = [](const char* begin, const char* end) -> std::optional<int> {
        int value = 0;
        const auto [stop, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || stop != end || value < 1 || value > kLargestSide) {
            return std::nullopt;
        }
        return value;
    };
    const auto width = side(text.data(), text.data() + cross);
    const auto height = side(text.data() + cross + 1, text.data() + text.size());
    if (!width || !height) {
        return std::nullopt;
    }
    return PictureSize{*width, *height};
}

// The record named as the IRD names it (the bytes of the file, or their UTF-8 form).
RegressionResult* findRecord(ResultTable& results, const std::optional<std::string>& name) {
    if (results.empty()) {
        return nullptr;
    }
    if (!name) {
        return &results.front();
    }
    for (RegressionResult& record : results) {
        if (record.sheetName == *name || cp932ToUtf8(record.sheetName) == *name) {
            return &record;
        }
    }
    return nullptr;
}

} // namespace

int runGraphCommand(const Arguments& arguments) {
    std::optional<std::string> recordName;
    std::optional<PictureSize> size;
    std::optional<std::string> output;
    const auto ownOption = [&](const Arguments& all, std::size_t& i) {
        const std::string& option = all[i];
        if (option != "--record" && option != "--size" && option != "--output") {
            return OwnOption::NotMine;
        }
        if (const auto problem = optionProblem(all, i, true, false)) {
            reportUsageProblem(*problem);
            return OwnOption::Invalid;
        }
        const std::string& value = all[++i];
        if (option == "--record") {
            recordName = value;
        } else if (option == "--output") {
            output = value;
        } else {
            size = parseSize(value);
            if (!size) {
                reportUsageProblem("--size " + value + " is no WxH of 1 to 20000 pixels each");
                return OwnOption::Invalid;
            }
        }
        return OwnOption::Taken;
    };
    const std::optional<ReductionOptions> options = parseReductionArguments(arguments, ownOption);
    if (options && !output) {
        reportUsageProblem("--output is missing");
    }
    if (!options || !output || outputNamesInput(*output, inputFiles(options->sheet))) {
        return usageError(kUsage);
    }
    const std::optional<render::PictureFormat> format = render::PictureFormatOfPath(*output);
    if (!format) {
        std::cerr << "tarnova-cli graph: " << *output << " names no .emf, .svg or .png file\n";
        return usageError(kUsage);
    }

    const OffscreenGui gui;

    Reduction reduction;
    if (const int failure = reduction.run(*options, kUsage); failure != 0) {
        return failure;
    }
    RegressionResult* record = findRecord(*reduction.state.results, recordName);
    if (record == nullptr) {
        std::cerr << "tarnova-cli graph: " << recordName.value_or("")
                  << " is not a record of the calculation\n";
        return usageError(kUsage);
    }

    const QFont font = render::DrawingFont();
    const FontMetrics metrics = render::PictureFontMetrics(font);
    const PictureSize picture =
        size.value_or(PictureSize{kGraphWindowWidthUnits * metrics.averageCharWidth,
                                  kGraphWindowHeightUnits * metrics.lineHeight});
    const ResultFlags resultFlags = reduction.sheet.settings.resultFlags;
    const QByteArray bytes = render::DrawPicture(
        *format, QSize(picture.width, picture.height), font,
        QString::fromStdString(cp932ToUtf8(record->sheetName)), [&](Surface& surface) {
            DrawGraphWindow(surface, {0, 0, picture.width, picture.height}, *record, resultFlags,
                            std::nullopt, nullptr, nullptr);
        });
    std::error_code error = std::make_error_code(std::errc::io_error);
    if (bytes.isEmpty() || !render::SaveFileAtomically(*output, bytes, &error)) {
        reduction.sheet.ui.showMessage(
            "Tarnova",
            formatText("%sに書き込めませんでした(%s)。", output->c_str(), error.message().c_str()));
        return 1;
    }
    return 0;
}

} // namespace tarnova::cli
