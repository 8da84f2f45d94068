#include "render/print_queue.h"

#include <QSizeF>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tarnova::render {
namespace {

struct DestinationRelease {
    void operator()(cups_dest_t* destination) const { cupsFreeDests(1, destination); }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationRelease>;

struct InfoRelease {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using DestinationInfo = std::unique_ptr<cups_dinfo_t, InfoRelease>;

Destination destinationOf(const QString& queue) {
    return Destination(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toLocal8Bit().constData(), nullptr));
}

} // namespace

bool QueueExists(const QString& queue) {
    return !queue.isEmpty() && destinationOf(queue) != nullptr;
}

std::optional<QMarginsF> QueueMargins(const QString& queue, const QPageSize& paper,
                                      QPageLayout::Orientation orientation) {
    const Destination destination = destinationOf(queue);
    if (!destination) {
        return std::nullopt;
    }
    const DestinationInfo info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, destination.get()));
    if (!info) {
        return std::nullopt;
    }
    // CUPS measures media in hundredths of a millimetre.
    const QSizeF size = paper.size(QPageSize::Millimeter);
    cups_size_t media{};
    if (cupsGetDestMediaBySize(CUPS_HTTP_DEFAULT, destination.get(), info.get(),
                               static_cast<int>(std::lround(size.width() * 100.0)),
                               static_cast<int>(std::lround(size.height() * 100.0)),
                               CUPS_MEDIA_FLAGS_DEFAULT, &media) == 0) {
        return std::nullopt;
    }
    QMarginsF margins(media.left / 100.0, media.top / 100.0, media.right / 100.0,
                      media.bottom / 100.0);
    if (orientation == QPageLayout::Landscape) {
        const double widest =
            std::max({margins.left(), margins.top(), margins.right(), margins.bottom()});
        margins = QMarginsF(widest, widest, widest, widest);
    }
    return margins;
}

std::optional<QString> SubmitPdf(const QString& queue, const QString& pdfPath, const QString& title,
                                 const std::vector<QueueOption>& options) {
    std::vector<cups_option_t> cupsOptions;
    cupsOptions.reserve(options.size());
    for (const QueueOption& option : options) {
        cupsOptions.push_back({const_cast<char*>(option.first.constData()),
                               const_cast<char*>(option.second.constData())});
    }
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.toLocal8Bit().constData(),
                                   pdfPath.toLocal8Bit().constData(), title.toUtf8().constData(),
                                   static_cast<int>(cupsOptions.size()),
                                   cupsOptions.empty() ? nullptr : cupsOptions.data());
    if (job == 0) {
        return QString::fromUtf8(cupsLastErrorString());
    }
    return std::nullopt;
}

} // namespace tarnova::render
