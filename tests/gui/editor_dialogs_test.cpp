#include "gui/editor/jump_dialog.h"
#include "gui/editor/sort_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tarnova;
using namespace tarnova::gui;

namespace {

QPushButton* button(QDialog& dialog, const QString& text) {
    for (QPushButton* candidate : dialog.findChildren<QPushButton*>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

// Runs steps on the dialog once its modal loop is running.
void whenShown(std::function<void()> steps) {
    QTimer::singleShot(0, std::move(steps));
}

} // namespace

class EditorDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void sortDialogControls() {
        SortDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("データの整列"));
        QComboBox* keys = dialog.keyList();
        QCOMPARE(keys->count(), 5);
        const QStringList entries{"同位体ラベル", "時刻", "ピーク", "レンジ", "ピークハイト"};
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(keys->itemText(i), entries[i]);
        }
        QCOMPARE(keys->currentIndex(), 0);
        QVERIFY(dialog.ascendingButton()->isChecked());
        QCOMPARE(dialog.ascendingButton()->text(), QString("昇順"));
        QCOMPARE(dialog.descendingButton()->text(), QString("降順"));
        QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QString("順序"));
        QVERIFY(button(dialog, "実行") && button(dialog, "ｷｬﾝｾﾙ") && button(dialog, "ヘルプ"));
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* label) { return label->text() == "キー"; }));
    }

    void sortDialogResults_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("result");
        QTest::newRow("label ascending") << 0 << false << 1;
        QTest::newRow("time descending") << 1 << true << 4;
        QTest::newRow("height descending") << 4 << true << 10;
    }

    void sortDialogResults() {
        QFETCH(int, key);
        QFETCH(bool, descending);
        QFETCH(int, result);
        SortDialog dialog;
        whenShown([&] {
            dialog.keyList()->setCurrentIndex(key);
            (descending ? dialog.descendingButton() : dialog.ascendingButton())->click();
            button(dialog, "実行")->click();
        });
        QCOMPARE(dialog.choose(), result);
    }

    void sortDialogCancelAndHelp() {
        int helpContext = 0;
        SortDialog dialog(nullptr, [&](int context) { helpContext = context; });
        whenShown([&] {
            button(dialog, "ヘルプ")->click();
            button(dialog, "ｷｬﾝｾﾙ")->click();
        });
        QCOMPARE(dialog.choose(), 0);
        QCOMPARE(helpContext, 43);
    }

    void jumpDialogStaysOpenUntilTheTextReads() {
        int helpContext = 0;
        JumpDialog dialog(nullptr, [&](int context) { helpContext = context; });
        QCOMPARE(dialog.windowTitle(), QString("カーソルの移動"));
        bool stayedOpen = false;
        whenShown([&] {
            QTest::keyClicks(dialog.destinationField(), "abc");
            button(dialog, "ジャンプ")->click();
            stayedOpen = dialog.isVisible();
            button(dialog, "ヘルプ")->click();
            dialog.destinationField()->setText(" 12 : 3");
            button(dialog, "ジャンプ")->click();
        });
        QCOMPARE(dialog.choose(), (JumpTarget{12, 3}));
        QVERIFY(stayedOpen);
        QCOMPARE(helpContext, 41);
        QCOMPARE(dialog.destinationField()->maxLength(), 1023);
    }

    void jumpDialogCancel() {
        JumpDialog dialog;
        QWidget* focused = nullptr;
        whenShown([&] {
            focused = dialog.focusWidget();
            dialog.destinationField()->setText("5");
            button(dialog, "ｷｬﾝｾﾙ")->click();
        });
        QCOMPARE(dialog.choose(), std::nullopt);
        QCOMPARE(focused, dialog.destinationField());
    }
};

QTEST_MAIN(EditorDialogsTest)
#include "editor_dialogs_test.moc"
