// The system's print queues through CUPS: whether a queue is there, where its printer cannot
// print, and handing it a finished PDF file as a job.
#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace tarnova::render {

// Whether the spooler knows a queue of this name.
bool QueueExists(const QString& queue);

// The margins (millimetres) the queue's printer leaves unprinted on paper of this size; none
// when the spooler does not say. A landscape page gets the widest of them on every side, so it
// stays printable whichever way the spooler turns it onto the sheet.
std::optional<QMarginsF> QueueMargins(const QString& queue, const QPageSize& paper,
                                      QPageLayout::Orientation orientation);

// A job option for the spooler, as "lp -o name=value" gives it.
using QueueOption = std::pair<QByteArray, QByteArray>;

// Hands the PDF file at pdfPath to the queue as a job named title. None when the spooler took
// it, else the spooler's reason.
std::optional<QString> SubmitPdf(const QString& queue, const QString& pdfPath, const QString& title,
                                 const std::vector<QueueOption>& options);

} // namespace tarnova::render
