#include "gui/editor/grid_widget.h"

#include "core/support/peak_records.h"
#include "core/support/scripted_port.h"
#include "editor/grid_editing.h"
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

using test::numberedPeaks;

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

    // Each Qt key reaches the model as the grid key or the character it stands for, and
    // combinations that belong to the window reach it not at all: a twin model that is given
    // the grid key directly ends in the same state.
    void qtKeysReachTheGridAsItsKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("gridKey"); // -1: a typed character, -2: nothing
        QTest::addColumn<QByteArray>("typed");
        const struct {
            const char* name;
            Qt::Key key;
            GridKey gridKey;
        } keys[] = {
            {"Left", Qt::Key_Left, GridKey::Left},
            {"Right", Qt::Key_Right, GridKey::Right},
            {"Up", Qt::Key_Up, GridKey::Up},
            {"Down", Qt::Key_Down, GridKey::Down},
            {"Return", Qt::Key_Return, GridKey::Enter},
            {"Enter", Qt::Key_Enter, GridKey::Enter},
            {"Home", Qt::Key_Home, GridKey::Home},
            {"End", Qt::Key_End, GridKey::End},
            {"Backspace", Qt::Key_Backspace, GridKey::Backspace},
            {"Insert", Qt::Key_Insert, GridKey::Insert},
            {"Delete", Qt::Key_Delete, GridKey::Delete},
            {"Escape", Qt::Key_Escape, GridKey::Escape},
            {"PageUp", Qt::Key_PageUp, GridKey::PageUp},
            {"PageDown", Qt::Key_PageDown, GridKey::PageDown},
        };
        for (const auto& row : keys) {
            QTest::newRow(row.name) << int(row.key) << int(Qt::NoModifier) << QString()
                                    << int(row.gridKey) << QByteArray();
        }
        QTest::newRow("Ctrl+Down moves") << int(Qt::Key_Down) << int(Qt::ControlModifier)
                                         << QString() << int(GridKey::Down) << QByteArray();
        QTest::newRow("Alt+Down is the window's")
            << int(Qt::Key_Down) << int(Qt::AltModifier) << QString() << -2 << QByteArray();
        QTest::newRow("digit") << int(Qt::Key_5) << int(Qt::NoModifier) << "5" << -1
                               << QByteArray("5");
        QTest::newRow("Shift+A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A" << -1
                                 << QByteArray("A");
        QTest::newRow("kana: its lead byte")
            << 0 << int(Qt::NoModifier) << "ア" << -1 << QByteArray("\x83");
        QTest::newRow("Ctrl+7") << int(Qt::Key_7) << int(Qt::ControlModifier) << "7" << -2
                                << QByteArray();
        QTest::newRow("Alt+z") << int(Qt::Key_Z) << int(Qt::AltModifier) << "z" << -2
                               << QByteArray();
        QTest::newRow("Meta+w") << int(Qt::Key_W) << int(Qt::MetaModifier) << "w" << -2
                                << QByteArray();
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "\t" << -2
                             << QByteArray();
    }
    void qtKeysReachTheGridAsItsKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, gridKey);
        QFETCH(QByteArray, typed);
        GridWidget& grid = showGrid();
        test::ScriptedPort twinPort;
        GridModel twin(twinPort);
        // Both on row 30 of 100, in the Time column, with a digit typed.
        for (GridModel* model : {&grid.model(), &twin}) {
            model->AttachPeaks(numberedPeaks(100));
            model->MoveCursor(30, kTimeColumn);
            TypeCharacter(*model, '7');
        }
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&grid, &press);
        if (gridKey >= 0) {
            PressGridKey(twin, static_cast<GridKey>(gridKey));
        }
        for (const char c : typed) {
            TypeCharacter(twin, c);
        }
        QCOMPARE(grid.model().cursorRow(), twin.cursorRow());
        QCOMPARE(grid.model().cursorColumn(), twin.cursorColumn());
        QCOMPARE(grid.model().GetRowCount(), twin.GetRowCount());
        QCOMPARE(grid.model().editBuffer().text, twin.editBuffer().text);
        QCOMPARE(grid.model().cellText(30, kTimeColumn), twin.cellText(30, kTimeColumn));
        QCOMPARE(grid.model().IsModified(), twin.IsModified());
        QCOMPARE(port_->beeps, twinPort.beeps);
        QVERIFY(grid.hasFocus());
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
        QVERIFY(grid.model().SetColumnFormat(kTimeColumn, 10, 5, false));
        PeakRecord peak{1.5, 2.0, 3.0, {}, "Ar40extra"};
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
    // The widget's column borders are the model's in character widths inside the frame, also
    // when the Num column widens for the last row number; a shown cell is the model's text.
    void bordersAndCellsFollowTheModel() {
        GridWidget& grid = showGrid();
        QCOMPARE(grid.viewport()->height(), 25 * grid.rowHeight());
        for (const int rows : {3, 100000}) {
            grid.model().AttachPeaks(numberedPeaks(rows));
            grid.model().MoveCursor(rows - 1, kElemColumn);
            QCoreApplication::processEvents();
            const auto model = grid.model().GetColumnBorders();
            for (std::size_t i = 0; i < model.size(); ++i) {
                QCOMPARE(grid.columnBorders()[i], model[i] * grid.charWidth() + grid.frameWidth());
            }
            QCOMPARE(grid.shownText(rows - 1, kNumColumn),
                     QString::fromStdString(grid.model().cellText(rows - 1, kNumColumn)));
        }
        QCOMPARE(grid.shownText(99999, kNumColumn), QString("100000"));
    }
};

QTEST_MAIN(GridWidgetTest)
#include "grid_widget_test.moc"
