#include "gui/editor/grid_widget.h"

#include "core/support/scripted_port.h"
#include "platform/text_format.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <clocale>
#include <memory>
#include <vector>

using namespace tarnova;
using tarnova::gui::GridWidget;

namespace {

std::vector<PeakRecord> numberedPeaks(int count) {
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < count; ++i) {
        PeakRecord peak;
        peak.elem = i % 2 == 0 ? "Ar40" : "Ar36";
        peak.time = i;
        peak.height = 1.5;
        peak.range = 10.0;
        peaks.push_back(peak);
    }
    return peaks;
}

} // namespace

class GridWidgetTest : public QObject {
    Q_OBJECT
  private:
    std::unique_ptr<test::ScriptedPort> port_;
    std::unique_ptr<GridModel> model_;
    std::unique_ptr<GridWidget> grid_;

    // A shown grid of exactly 25 rows, with the focus.
    GridWidget& showGrid() {
        grid_->resize(grid_->sizeHint());
        grid_->show();
        grid_->activateWindow();
        grid_->setFocus();
        if (!QTest::qWaitForWindowExposed(grid_.get())) {
            qWarning("grid not exposed");
        }
        return *grid_;
    }
    // Rows repainted by the events that action leaves behind.
    template <typename Action> long long paintedRowsAfter(Action action) {
        QCoreApplication::processEvents();
        grid_->resetPaintedRows();
        action();
        QCoreApplication::processEvents();
        return grid_->paintedRows();
    }

  private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void init() {
        port_ = std::make_unique<test::ScriptedPort>();
        model_ = std::make_unique<GridModel>(*port_);
        grid_ = std::make_unique<GridWidget>(*model_);
    }
    void cleanup() {
        grid_.reset();
        model_.reset();
    }

    void typing_data() {
        QTest::addColumn<int>("rightMoves");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("backspaces");
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<int>("beeps");

        QTest::newRow("label") << 0 << "Ar40" << 0 << "   Ar40" << 0;
        QTest::newRow("label signs dropped") << 0 << "-Ar/4 0" << 0 << "   Ar40" << 0;
        QTest::newRow("label kana") << 0 << "アr" << 0 << "      r" << 0;
        QTest::newRow("time backspaces") << 1 << "12.5" << 2 << "01.00000" << 0;
        QTest::newRow("time no sign") << 1 << "-1e" << 0 << "01.00000" << 2;
        QTest::newRow("height") << 2 << "3.25" << 0 << "3.250" << 0;
        QTest::newRow("range") << 3 << "12.5" << 0 << "12.5000" << 0;
    }

    void typing() {
        QFETCH(int, rightMoves);
        QFETCH(QString, keys);
        QFETCH(int, backspaces);
        QFETCH(QString, buffer);
        QFETCH(int, beeps);
        GridWidget& grid = showGrid();
        QCOMPARE(grid.model().SetColumnFormat(kTimeColumn, 8, 5, false), 1);
        grid.model().NewSheet();
        for (int i = 0; i < rightMoves; ++i) {
            QTest::keyClick(&grid, Qt::Key_Right);
        }
        for (const QChar character : keys) {
            if (character.unicode() < 0x80) {
                QTest::keyClick(&grid, character.toLatin1());
                continue;
            }
            // Characters beyond ASCII come as text, as an input method gives them.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
            QApplication::sendEvent(&grid, &press);
        }
        for (int i = 0; i < backspaces; ++i) {
            QTest::keyClick(&grid, Qt::Key_Backspace);
        }
        QCOMPARE(QString::fromStdString(grid.model().editBuffer().text), buffer);
        QCOMPARE(port_->beeps, beeps);
        // Enter stores the cell and moves on.
        QTest::keyClick(&grid, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(grid.model().cellText(0, kElemColumn + rightMoves)),
                 buffer);
        QCOMPARE(grid.model().IsModified(), kSheetModified);
    }

    void keysMoveTheCursorAndGrowTheTable() {
        GridWidget& grid = showGrid();
        QTest::keyClick(&grid, Qt::Key_Left);
        QCOMPARE(port_->beeps, 1);
        QTest::keyClick(&grid, Qt::Key_End);
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(&grid, Qt::Key_Right);
        }
        QCOMPARE(grid.model().cursorColumn(), int(kRangeColumn));
        QTest::keyClick(&grid, Qt::Key_Enter);
        QCOMPARE(grid.model().GetRowCount(), 50);
        QCOMPARE(grid.verticalScrollBar()->value(), 2);
        QVERIFY(grid.verticalScrollBar()->isEnabled());
        QTest::keyClick(&grid, Qt::Key_Home);
        QCOMPARE(grid.model().cursorRow(), 0);
        QCOMPARE(grid.model().topRow(), 0);
        QTest::keyClick(&grid, Qt::Key_Insert);
        QCOMPARE(grid.model().GetRowCount(), 51);
        QTest::keyClick(&grid, Qt::Key_Delete);
        QCOMPARE(grid.model().GetRowCount(), 51);
        // Tab stays in the grid and is no character of a cell.
        QTest::keyClick(&grid, Qt::Key_Tab);
        QVERIFY(grid.hasFocus());
        QCOMPARE(grid.model().editBuffer().text, std::string(7, ' '));
    }

    void keyCombinationsTypeNothing() {
        GridWidget& grid = showGrid();
        // Alt with a letter that is no menu mnemonic, Ctrl or Meta with a digit: the key
        // events carry the character, but a cell takes only plain typing.
        const std::pair<char, Qt::KeyboardModifiers> combinations[] = {
            {'z', Qt::AltModifier}, {'7', Qt::ControlModifier}, {'w', Qt::MetaModifier}};
        for (const auto& [character, modifiers] : combinations) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, modifiers, QString(QChar(character)));
            QApplication::sendEvent(&grid, &press);
        }
        QCOMPARE(grid.model().editBuffer().text, std::string(7, ' '));
        QCOMPARE(grid.model().IsModified(), 0u);
        QCOMPARE(port_->beeps, 0);
        // Alt with a cursor key is the window's, not the grid's; Ctrl with one moves.
        QTest::keyClick(&grid, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(grid.model().cursorRow(), 0);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(grid.model().cursorRow(), 1);
        // Shift still types capitals.
        QTest::keyClick(&grid, 'A', Qt::ShiftModifier);
        QCOMPARE(grid.model().editBuffer().text, std::string("      A"));
    }

    void scrollingByLinePageAndThumb() {
        GridWidget& grid = showGrid();
        QScrollBar* bar = grid.verticalScrollBar();
        QVERIFY(!bar->isEnabled()); // 25 empty rows cannot scroll
        grid.model().AttachPeaks(numberedPeaks(10));
        QVERIFY(!bar->isEnabled());
        grid.model().AttachPeaks(numberedPeaks(100));
        QVERIFY(bar->isEnabled());
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), 76); // the last first row is 75
        QCOMPARE(bar->pageStep(), 25);
        const auto top = [&] { return grid.model().topRow(); };

        // Each step and the top row after it; the bar's value is one more. A page down near
        // the end stops where the view ends with the last row.
        const std::pair<QAbstractSlider::SliderAction, int> steps[] = {
            {QAbstractSlider::SliderSingleStepSub, 0}, {QAbstractSlider::SliderSingleStepAdd, 1},
            {QAbstractSlider::SliderPageStepAdd, 26},  {QAbstractSlider::SliderPageStepAdd, 51},
            {QAbstractSlider::SliderPageStepAdd, 75},  {QAbstractSlider::SliderSingleStepAdd, 75},
            {QAbstractSlider::SliderPageStepSub, 50}};
        for (const auto& [action, expected] : steps) {
            bar->triggerAction(action);
            QCOMPARE(top(), expected);
            QCOMPARE(bar->value(), expected + 1);
        }

        // Dragging the thumb moves the view as it goes.
        bar->setSliderDown(true);
        bar->setSliderPosition(31);
        QCOMPARE(top(), 30);
        bar->setSliderPosition(71);
        QCOMPARE(top(), 70);
        bar->setSliderDown(false);
        QCOMPARE(top(), 70);
        QCOMPARE(bar->value(), 71);
    }

    void escapeAndPageKeys() {
        GridWidget& grid = showGrid();
        grid.model().AttachPeaks(numberedPeaks(100));
        QTest::keyClick(&grid, Qt::Key_Right);
        QTest::keyClicks(&grid, "7");
        QCOMPARE(grid.model().editBuffer().text, std::string("00007.00"));
        QTest::keyClick(&grid, Qt::Key_Escape);
        QCOMPARE(grid.model().editBuffer().text, std::string("00000.00"));
        QCOMPARE(grid.model().IsModified(), 0u);
        QTest::keyClick(&grid, Qt::Key_PageDown);
        QCOMPARE(grid.model().cursorRow(), 25);
        QCOMPARE(grid.model().topRow(), 25);
        QCOMPARE(grid.verticalScrollBar()->value(), 26);
        QTest::keyClick(&grid, Qt::Key_PageUp);
        QCOMPARE(grid.model().cursorRow(), 0);
        QCOMPARE(grid.model().cursorColumn(), int(kTimeColumn));
    }

    // A value or label wider than its cell is marked, never cut into another value.
    void overflowingCellsAreMarked_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("value");
        // "#": only "#" marks, as many as fit; "#?": the whole text, or only marks where it
        // does not fit in the cell's pixels
        QTest::addColumn<QString>("shown");
        QTest::newRow("time fits") << int(kTimeColumn) << 1234.5 << "1234.50000";
        QTest::newRow("time one wider") << int(kTimeColumn) << 12345.25 << "12345.25000";
        QTest::newRow("time 10000.02") << int(kTimeColumn) << 10000.02 << "#?";
        QTest::newRow("time 1234567.89") << int(kTimeColumn) << 1234567.89 << "#";
        QTest::newRow("range 1E+12") << int(kRangeColumn) << 1e12 << "#";
        QTest::newRow("range fits") << int(kRangeColumn) << 0.25 << "00.2500";
        QTest::newRow("label") << int(kElemColumn) << 0.0 << QString(QChar(0x2026));
    }
    void overflowingCellsAreMarked() {
        QFETCH(int, column);
        QFETCH(double, value);
        QFETCH(QString, shown);
        GridWidget& grid = showGrid();
        QCOMPARE(grid.model().SetColumnFormat(kTimeColumn, 10, 5, false), 1);
        PeakRecord peak{1.5, 2.0, 3.0, 0, "Ar40extra"};
        if (column == kTimeColumn) {
            peak.time = value;
        } else if (column == kRangeColumn) {
            peak.range = value;
        }
        grid.model().AttachPeaks({peak, peak});
        grid.model().MoveCursor(1, column);
        const int width = grid.model().GetColumnFormat(column);
        for (const int row : {0, 1}) { // the cursor's cell too
            const QString drawn = grid.shownText(row, column);
            if (shown == "#?" && drawn == "10000.02000") {
                continue;
            }
            if (shown.startsWith("#")) {
                QVERIFY2(drawn.size() >= width && drawn.count('#') == drawn.size(),
                         qPrintable(drawn));
            } else if (shown == QString(QChar(0x2026))) {
                QVERIFY2(drawn.startsWith("Ar40") && drawn.endsWith(shown), qPrintable(drawn));
            } else {
                QCOMPARE(drawn, shown);
            }
        }
        // The cell keeps its whole text.
        QCOMPARE(grid.model().cellText(0, kTimeColumn).size(),
                 formatFixed(peak.time, 10, 5, true).size());
    }

    void wheelMovesTheView() {
        GridWidget& grid = showGrid();
        grid.model().AttachPeaks(numberedPeaks(100));
        const QPoint at(20, 20);
        const auto turn = [&](int degrees) {
            QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), {}, QPoint(0, degrees * 8),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid.viewport(), &wheel);
        };
        turn(-15); // one notch towards the user
        QVERIFY(grid.model().topRow() > 0);
        QCOMPARE(grid.verticalScrollBar()->value(), grid.model().topRow() + 1);
        for (int i = 0; i < 100; ++i) {
            turn(-15);
        }
        QCOMPARE(grid.model().topRow(), 75);
        turn(15);
        QVERIFY(grid.model().topRow() < 75);
    }

    void scrollingRepaintsOnlyWhatItUncovers() {
        GridWidget& grid = showGrid();
        grid.model().AttachPeaks(numberedPeaks(100));
        QScrollBar* bar = grid.verticalScrollBar();
        QVERIFY(paintedRowsAfter(
                    [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }) <= 2);
        QVERIFY(paintedRowsAfter(
                    [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }) <= 2);
        QVERIFY(paintedRowsAfter([&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }) >=
                25);
        // A cursor move repaints the two rows it touches; typing the one it is in.
        grid.model().MoveCursor(30, kElemColumn);
        QCOMPARE(paintedRowsAfter([&] { QTest::keyClick(&grid, Qt::Key_Down); }), 2LL);
        QCOMPARE(paintedRowsAfter([&] { QTest::keyClick(&grid, Qt::Key_A); }), 1LL);
        // Moving below the view scrolls by one row.
        grid.model().MoveCursor(25 + grid.model().topRow() - 1, kElemColumn);
        const int before = grid.model().topRow();
        QVERIFY(paintedRowsAfter([&] { QTest::keyClick(&grid, Qt::Key_Down); }) <= 3);
        QCOMPARE(grid.model().topRow(), before + 1);
    }

    void mouseSelectsACell() {
        GridWidget& grid = showGrid();
        grid.model().AttachPeaks(numberedPeaks(100));
        grid.model().MoveCursor(60, kElemColumn);
        const int top = grid.model().topRow();
        const std::array<int, 5> x = grid.model().GetColumnBorders(grid.charWidth());
        const int cy = grid.rowHeight();
        QWidget* cells = grid.viewport();

        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[2] + 3, 3 * cy + cy / 2));
        QCOMPARE(grid.model().cursorRow(), top + 3);
        QCOMPARE(grid.model().cursorColumn(), int(kHeightColumn));
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[0] + 1, 1));
        QCOMPARE(grid.model().cursorRow(), top);
        QCOMPARE(grid.model().cursorColumn(), int(kElemColumn));
        // Num and Peak do not take the cursor, nor does the right button.
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[0] - 2, 5 * cy + 2));
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[4] + 5, 5 * cy + 2));
        QTest::mouseClick(cells, Qt::RightButton, {}, QPoint(x[1] + 5, 5 * cy + 2));
        QCOMPARE(grid.model().cursorRow(), top);
        QCOMPARE(grid.model().cursorColumn(), int(kElemColumn));
    }

    void cursorCellIsInvertedAndShowsTheBuffer() {
        GridWidget& grid = showGrid();
        grid.model().AttachPeaks(numberedPeaks(3));
        QTest::keyClick(&grid, Qt::Key_Down);
        QTest::keyClick(&grid, Qt::Key_Right);
        QTest::keyClicks(&grid, ".");
        QTest::keyClicks(&grid, "9");
        QCOMPARE(grid.model().displayText(1, kTimeColumn), std::string("00001.90"));
        QCOMPARE(grid.model().cellText(1, kTimeColumn), std::string("00001.00"));
        const QImage image = grid.viewport()->grab().toImage();
        const std::array<int, 5> x = grid.model().GetColumnBorders(grid.charWidth());
        const int cy = grid.rowHeight();
        const QColor base = grid.palette().color(QPalette::Base);
        // The cursor cell's corner is in the text colour, a cell beside it in the background.
        QCOMPARE(image.pixelColor(x[1] + 2, cy + 1), grid.palette().color(QPalette::Text));
        QCOMPARE(image.pixelColor(x[2] + 2, cy + 1), base);
        QCOMPARE(image.pixelColor(x[1] + 2, 1), base);
    }

    // The Num column widens to the digits of the last row, and narrows again.
    void rowNumbersShowWhole() {
        GridWidget& grid = showGrid();
        const int cx = grid.charWidth();
        const int frame = grid.frameWidth();
        grid.model().AttachPeaks(numberedPeaks(100000));
        grid.model().MoveCursor(99999, kElemColumn);
        QCoreApplication::processEvents();
        QCOMPARE(grid.shownText(99999, kNumColumn), QString("100000"));
        QCOMPARE(grid.shownText(99998, kNumColumn), QString("99999"));
        QCOMPARE(grid.shownText(9998, kNumColumn), QString("9999"));
        QCOMPARE(grid.shownText(99999, kElemColumn), QString("   Ar36"));
        QCOMPARE(grid.columnBorders()[0], 7 * cx + frame);
        QCOMPARE(grid.columnBorders()[4], 38 * cx + frame);
        grid.model().AttachPeaks(numberedPeaks(3));
        QCOMPARE(grid.shownText(2, kNumColumn), QString("0003"));
        QCOMPARE(grid.columnBorders()[0], 5 * cx + frame);
    }

    void layoutUnitsAndBorders() {
        GridWidget& grid = showGrid();
        const int cx = grid.charWidth();
        const int frame = grid.frameWidth();
        const std::array<int, 5> expected{5 * cx + frame, 13 * cx + frame, 22 * cx + frame,
                                          28 * cx + frame, 36 * cx + frame};
        QCOMPARE(grid.columnBorders(), expected);
        QCOMPARE(grid.viewport()->height(), 25 * grid.rowHeight());
    }
};

QTEST_MAIN(GridWidgetTest)
#include "grid_widget_test.moc"
