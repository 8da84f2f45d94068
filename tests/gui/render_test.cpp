// The QPainter surface keeps a Windows device's coordinates (rectangle edges, the top of a
// text's cell, clipped texts, a dashed pen for one line), and the pictures come out whole.
#include "render/picture_output.h"
#include "render/qpainter_surface.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace tarnova;
using namespace tarnova::render;

namespace {

QImage drawn(QSize size, const std::function<void(Surface&)>& drawing) {
    return DrawImage(size, DrawingFont(), drawing);
}

bool isDark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// The rows and columns that hold dark pixels: (left, top, right, bottom), inclusive.
QRect darkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isDark(image, x, y)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

} // namespace

class RenderTest : public QObject {
    Q_OBJECT

  private slots:
    void rectangleLeavesOutItsRightAndBottomEdge() {
        const QImage image = drawn({40, 40}, [](Surface& s) { s.drawRectangle({10, 10, 20, 20}); });
        QCOMPARE(darkBounds(image), QRect(QPoint(10, 10), QPoint(19, 19)));
        QVERIFY(!isDark(image, 15, 15)); // filled with the white brush
        const QImage ellipse = drawn({40, 40}, [](Surface& s) { s.drawEllipse({10, 10, 21, 21}); });
        QVERIFY(QRect(QPoint(10, 10), QPoint(20, 20)).contains(darkBounds(ellipse)));
    }

    void textHangsFromItsCellsTop() {
        const FontMetrics metrics = PictureFontMetrics(DrawingFont());
        QVERIFY(metrics.lineHeight > 0 && metrics.averageCharWidth > 0);
        const QImage image = drawn({200, 60}, [](Surface& s) {
            QCOMPARE(s.fontMetrics(), PictureFontMetrics(DrawingFont()));
            s.drawText({5, 20}, "Agj平σ");
        });
        const QRect ink = darkBounds(image);
        QVERIFY(ink.top() >= 20);
        QVERIFY(ink.bottom() < 20 + metrics.lineHeight);
        QVERIFY(ink.left() >= 5);
    }

    void textsInRectanglesAreAlignedAndClipped() {
        const FontMetrics metrics = PictureFontMetrics(DrawingFont());
        const QImage right = drawn({200, 40}, [&](Surface& s) {
            s.drawTextInRect({0, 0, 150, metrics.lineHeight}, "12345", HorizontalAlignment::Right,
                             VerticalAlignment::Top);
        });
        const QRect ink = darkBounds(right);
        QVERIFY(ink.right() < 150);
        QVERIFY(ink.right() >= 150 - metrics.averageCharWidth);
        const QImage clipped = drawn({200, 40}, [&](Surface& s) {
            s.drawTextInRect({10, 5, 30, 5 + metrics.lineHeight}, "MMMMMMMMMMMMMMMM",
                             HorizontalAlignment::Left, VerticalAlignment::Top);
        });
        QVERIFY(
            QRect(QPoint(10, 5), QPoint(29, 4 + metrics.lineHeight)).contains(darkBounds(clipped)));
    }

    void linesAndTheDashedPenForOneLine() {
        const QImage image = drawn({100, 20}, [](Surface& s) {
            s.drawDashedLine({0, 5}, {99, 5}, 1);
            s.drawLine({0, 10}, {99, 10});
        });
        int gaps = 0;
        for (int x = 0; x < 99; ++x) {
            gaps += isDark(image, x, 5) ? 0 : 1;
            QVERIFY2(isDark(image, x, 10), "the solid pen is back");
        }
        QVERIFY(gaps >= 12); // 18 drawn, 6 left out
        // A line leaves out its last pixel.
        QVERIFY(!isDark(image, 99, 10));
    }

    void picturesAndTheirFormats() {
        QCOMPARE(PictureFormatOfPath("a/b.PNG"), std::optional(PictureFormat::Png));
        QCOMPARE(PictureFormatOfPath("b.svg"), std::optional(PictureFormat::Svg));
        QCOMPARE(PictureFormatOfPath("b.emf"), std::optional(PictureFormat::Emf));
        QCOMPARE(PictureFormatOfPath("b.emf.txt"), std::optional<PictureFormat>());
        QCOMPARE(PictureFormatOfPath("emf"), std::optional<PictureFormat>());

        const auto frame = [](Surface& s) { s.drawRectangle({0, 0, 64, 48}); };
        const QByteArray svg = DrawSvg({64, 48}, DrawingFont(), "N/D", frame);
        QVERIFY(svg.contains("viewBox=\"0 0 64 48\""));
        QVERIFY(svg.contains("<title>N/D</title>"));
        const QByteArray emf = DrawEmf({64, 48}, DrawingFont(), "N/D", frame);
        QVERIFY(emf.size() > 100);
        QCOMPARE(emf.mid(40, 4), QByteArray(" EMF"));
        const QByteArray png = DrawPng({64, 48}, DrawingFont(), frame);
        QVERIFY(png.startsWith("\x89PNG"));
    }

    void savingReplacesTheFileWhole() {
        QTemporaryDir folder;
        const std::string path = folder.filePath("graph.emf").toStdString();
        QVERIFY(SaveFileAtomically(path, "first"));
        QVERIFY(SaveFileAtomically(path, "second"));
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("second"));
        QVERIFY(!SaveFileAtomically(folder.filePath("missing/graph.emf").toStdString(), "x"));
        QVERIFY(!SaveFileAtomically(folder.path().toStdString(), "x")); // a folder is no file
    }
};

QTEST_MAIN(RenderTest)
#include "render_test.moc"
