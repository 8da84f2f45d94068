#include "render/pdf_job_surface.h"

#include "render/picture_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <system_error>

namespace tarnova::render {

QFont PrintingFont(int dotsPerInch) {
    constexpr double kPointSize = 10.0;
    QFont font;
    font.setFamilies({"IPAGothic", "IPAexGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP",
                      "TakaoGothic", "VL Gothic"});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(static_cast<int>(std::lround(kPointSize * dotsPerInch / 72.0)));
    return font;
}

int PrintedLineWidth(int dotsPerInch) {
    constexpr double kThinnestPoints = 0.25;
    return std::max(1, static_cast<int>(std::ceil(kThinnestPoints * dotsPerInch / 72.0)));
}

PdfDelivery DeliverToFile(const std::string& path) {
    return [path](const QString& pdfPath, const QString&) -> std::optional<QString> {
        QFile pdf(pdfPath);
        if (!pdf.open(QIODevice::ReadOnly)) {
            return pdf.errorString();
        }
        std::error_code error;
        if (!SaveFileAtomically(path, pdf.readAll(), &error)) {
            return QString("%1 cannot be written (%2)")
                .arg(QString::fromStdString(path), QString::fromStdString(error.message()));
        }
        return std::nullopt;
    };
}

PdfDelivery DeliverToQueue(const QString& queue, std::vector<QueueOption> options) {
    return [queue, options = std::move(options)](const QString& pdfPath, const QString& title) {
        return SubmitPdf(queue, pdfPath, title, options);
    };
}

PdfJobSurface::PdfJobSurface(QString printerName, PdfDelivery delivery)
    : printerName_(std::move(printerName)), delivery_(std::move(delivery)) {
    // A file in memory, or else an unnamed one in the temporary folder.
    file_ = ::memfd_create("tarnova-print", MFD_CLOEXEC);
    if (file_ < 0) {
        file_ = ::open(QFile::encodeName(QDir::tempPath()).constData(),
                       O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    }
}

PdfJobSurface::~PdfJobSurface() {
    surface_.reset();
    if (painter_.isActive()) {
        painter_.end();
    }
    if (file_ >= 0) {
        ::close(file_);
    }
}

QString PdfJobSurface::pdfPath() const {
    return file_ >= 0 ? QString("/proc/self/fd/%1").arg(file_) : QString();
}

std::string PdfJobSurface::printerName() const {
    return printerName_.toStdString();
}

PageMetrics PdfJobSurface::pageMetrics() const {
    if (device_ == nullptr) {
        return {};
    }
    const QRectF millimetres = device_->pageLayout().paintRect(QPageLayout::Millimeter);
    return {millimetres.width(), millimetres.height(), device_->width(), device_->height()};
}

Surface& PdfJobSurface::surface() {
    return *surface_;
}

bool PdfJobSurface::startDocument(const std::string& title) {
    if (device_ == nullptr || pdfPath().isEmpty()) {
        return fail("no temporary file for the pages");
    }
    title_ = QString::fromStdString(title);
    nameDocument(title_);
    if (!painter_.begin(device_)) {
        return fail("the pages cannot be written");
    }
    const int dotsPerInch = device_->logicalDpiY();
    painter_.setFont(PrintingFont(dotsPerInch));
    // A fresh printer's tools: a solid black pen of the thinnest printed line, a white brush.
    const int lineWidth = PrintedLineWidth(dotsPerInch);
    painter_.setPen(QPen(Qt::black, lineWidth));
    painter_.setBrush(Qt::white);
    surface_ = std::make_unique<QPainterSurface>(painter_, lineWidth);
    return true;
}

bool PdfJobSurface::startPage() {
    // The first page begins with the document.
    if (pages_ > 0 && !device_->newPage()) {
        return fail("a new page cannot be begun");
    }
    ++pages_;
    return true;
}

bool PdfJobSurface::endDocument() {
    surface_.reset();
    if (!painter_.end()) {
        return fail("the pages cannot be written");
    }
    if (QFileInfo(pdfPath()).size() == 0) {
        return fail("the pages cannot be written");
    }
    if (const std::optional<QString> refusal = delivery_(pdfPath(), title_)) {
        return fail(*refusal);
    }
    return true;
}

std::string PdfJobSurface::failure() const {
    return failure_.toStdString();
}

bool PdfJobSurface::fail(const QString& reason) {
    failure_ = reason;
    return false;
}

PdfWriterJobSurface::PdfWriterJobSurface(const QString& printerName, PdfDelivery delivery)
    : PdfJobSurface(printerName, std::move(delivery)) {}

std::unique_ptr<PdfWriterJobSurface> PdfWriterJobSurface::create(const QString& printerName,
                                                                 const QPageLayout& layout,
                                                                 int dotsPerInch,
                                                                 PdfDelivery delivery) {
    std::unique_ptr<PdfWriterJobSurface> job(
        new PdfWriterJobSurface(printerName, std::move(delivery)));
    if (job->pdfPath().isEmpty()) {
        return nullptr;
    }
    job->writer_ = std::make_unique<QPdfWriter>(job->pdfPath());
    job->writer_->setResolution(dotsPerInch);
    job->writer_->setPageLayout(layout);
    job->writer_->setCreator("Tarnova");
    job->attach(*job->writer_);
    return job;
}

} // namespace tarnova::render
