#include "render/picture_output.h"

#include "platform/emf_surface.h"
#include "platform/text_file.h"
#include "render/qpainter_surface.h"

#include <QBuffer>
#include <QFontInfo>
#include <QPainter>
#include <QSvgGenerator>

namespace tarnova::render {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kDotsPerMeter = 3780; // 96 dpi

// A 96-dpi device: pictures are measured and laid out as on the screen.
QImage canvas(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::white);
    return image;
}

// A fresh Windows device's tools: a solid black pen of width 1, a white brush.
void drawWith(QPainter& painter, const QFont& font, const Drawing& drawing) {
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    QPainterSurface surface(painter);
    drawing(surface);
}

// The font of a metafile as Qt resolves it on a 96-dpi device.
class QtFontMeasure final : public EmfFontMeasure {
  public:
    QtFontMeasure(const QFont& font, QPaintDevice& device) : font_(font), metrics_(font, &device) {}

    std::u16string faceName() const override { return font_.family().toStdU16String(); }
    FontMetrics metrics() const override {
        return {metrics_.height(), metrics_.averageCharWidth()};
    }
    int weight() const override { return font_.bold() ? 700 : 400; }
    std::vector<std::int32_t> advances(std::u16string_view text) const override {
        std::vector<std::int32_t> result;
        result.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto unit = static_cast<char16_t>(text[i]);
            const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                              QChar::isLowSurrogate(static_cast<char16_t>(text[i + 1]));
            const QString character = QString::fromUtf16(text.data() + i, pair ? 2 : 1);
            result.push_back(metrics_.horizontalAdvance(character));
            if (pair) {
                result.push_back(0);
                ++i;
            }
        }
        return result;
    }

  private:
    QFontInfo font_;
    QFontMetrics metrics_;
};

} // namespace

FontMetrics PictureFontMetrics(const QFont& font) {
    QImage reference = canvas(QSize(1, 1));
    return MetricsOf(font, &reference);
}

std::optional<PictureFormat> PictureFormatOfPath(std::string_view path) {
    const std::string_view extension = fileExtension(path);
    if (equalsIgnoringCase(extension, "emf")) {
        return PictureFormat::Emf;
    }
    if (equalsIgnoringCase(extension, "svg")) {
        return PictureFormat::Svg;
    }
    if (equalsIgnoringCase(extension, "png")) {
        return PictureFormat::Png;
    }
    return std::nullopt;
}

QByteArray DrawEmf(QSize size, const QFont& font, const QString& title, const Drawing& drawing) {
    QImage reference = canvas(QSize(1, 1));
    const QtFontMeasure measure(font, reference);
    EmfSurface surface(measure, {0, 0, size.width(), size.height()}, "Tarnova",
                       title.toStdString());
    drawing(surface);
    const std::string bytes = surface.finish();
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

QByteArray DrawSvg(QSize size, const QFont& font, const QString& title, const Drawing& drawing) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(kDotsPerInch);
    generator.setTitle(title);
    generator.setDescription("Tarnova");
    QPainter painter(&generator);
    drawWith(painter, font, drawing);
    painter.end();
    return bytes;
}

QImage DrawImage(QSize size, const QFont& font, const Drawing& drawing) {
    QImage image = canvas(size);
    QPainter painter(&image);
    drawWith(painter, font, drawing);
    painter.end();
    return image;
}

QByteArray DrawPng(QSize size, const QFont& font, const Drawing& drawing) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    DrawImage(size, font, drawing).save(&buffer, "PNG");
    return bytes;
}

QByteArray DrawPicture(PictureFormat format, QSize size, const QFont& font, const QString& title,
                       const Drawing& drawing) {
    switch (format) {
    case PictureFormat::Emf:
        return DrawEmf(size, font, title, drawing);
    case PictureFormat::Svg:
        return DrawSvg(size, font, title, drawing);
    case PictureFormat::Png:
        return DrawPng(size, font, drawing);
    }
    return {};
}

bool SaveFileAtomically(const std::string& path, const QByteArray& bytes, std::error_code* error) {
    return writeWholeFile(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

} // namespace tarnova::render
