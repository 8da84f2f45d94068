// Print jobs drawn with QPainter into a PDF file and then handed on: to a file the user named,
// or to a print queue of the spooler, which is told the job's title as its name. Every step
// that fails says why, so a refused page or job is never taken for a printed one.
#pragma once

#include "render/print_queue.h"
#include "render/qpainter_surface.h"
#include "results/printer_port.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QPagedPaintDevice;

namespace tarnova::render {

// The font of printed pages: 10 points of a Gothic face that holds the Japanese texts of the
// sheets (IPAGothic, or another Japanese Gothic face where it is missing), sized in the
// device's own pixels so that a painter scaled to the device does not scale it twice.
QFont PrintingFont(int dotsPerInch);

// The width of printed lines in device pixels: at least a quarter point, however fine the
// device, so that frames, fitted lines and bands stay visible; one pixel on coarse devices.
int PrintedLineWidth(int dotsPerInch);

// What happens to the finished PDF file: none when it arrived, else why not.
using PdfDelivery =
    std::function<std::optional<QString>(const QString& pdfPath, const QString& title)>;
// Saves the PDF at path (the file system's bytes, as given) in one step: the old file stays
// whole when the new one cannot be written, and the refusal names the system's reason.
PdfDelivery DeliverToFile(const std::string& path);
// Hands the PDF to the queue with options.
PdfDelivery DeliverToQueue(const QString& queue, std::vector<QueueOption> options);

// A job drawn on a paged device that writes a temporary PDF file, then delivered. The file has
// no name in any folder, so nothing is left behind however the program ends.
class PdfJobSurface : public PrinterSurface {
  public:
    ~PdfJobSurface() override;

    std::string printerName() const override;
    PageMetrics pageMetrics() const override;
    Surface& surface() override;
    bool startDocument(const std::string& title) override;
    bool startPage() override;
    bool endPage() override { return true; }
    bool endDocument() override;
    std::string failure() const override;

  protected:
    PdfJobSurface(QString printerName, PdfDelivery delivery);

    // The path by which the device writes the temporary file (a name under /proc/self/fd);
    // empty when it could not be made.
    QString pdfPath() const;
    // The device the pages are drawn on; the subclass owns it and attaches it once.
    void attach(QPagedPaintDevice& device) { device_ = &device; }
    // Names the document (the PDF's title) before its first page.
    virtual void nameDocument(const QString& title) = 0;

  private:
    bool fail(const QString& reason);

    QString printerName_;
    PdfDelivery delivery_;
    QPagedPaintDevice* device_ = nullptr;
    int file_ = -1; // the temporary file's descriptor
    QPainter painter_;
    std::unique_ptr<QPainterSurface> surface_;
    QString title_;
    int pages_ = 0;
    QString failure_;
};

// A job written by QPdfWriter at dotsPerInch with layout: tarnova-cli's report.
class PdfWriterJobSurface final : public PdfJobSurface {
  public:
    // None when the temporary file cannot be made.
    static std::unique_ptr<PdfWriterJobSurface> create(const QString& printerName,
                                                       const QPageLayout& layout, int dotsPerInch,
                                                       PdfDelivery delivery);

  protected:
    void nameDocument(const QString& title) override { writer_->setTitle(title); }

  private:
    PdfWriterJobSurface(const QString& printerName, PdfDelivery delivery);

    std::unique_ptr<QPdfWriter> writer_;
};

// The resolution of printed PDF pages, as a high-resolution printer has it.
inline constexpr int kPrintDotsPerInch = 1200;

} // namespace tarnova::render
