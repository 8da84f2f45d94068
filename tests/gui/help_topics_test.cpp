// The help topics against the windows they explain: each topic names the buttons, fields and
// commands by the labels the program shows.
#include "dialog_steps.h"
#include "gui/calc/calculation_settings_dialog.h"
#include "gui/result_calculation.h"
#include "gui/results/exclusions_dialog.h"
#include "gui/results/test_dialogs.h"
#include "platform/load_path.h"
#include "results/exclusion_list.h"
#include "shell/help_document.h"

#include <QAction>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tarnova;
using test::Calculation;

namespace {

// The text of help topic context, tags left in.
QString topic(int context) {
    QFile file(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP");
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const HelpDocument document(file.readAll().toStdString());
    return QString::fromStdString(document.topicPage(HelpContextTopic(context)).value_or(""));
}

// A menu label as the user reads it: without its mnemonic mark.
QString shown(const QAction* action) {
    return action->text().remove('&');
}

} // namespace

class HelpTopicsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { setLoadPath("/nonexistent/"); }

    // The topics of the result and graph windows explain the point commands by their menu
    // labels, clicking and right-clicking a point, and the figures in parentheses.
    void resultAndGraphTopicsExplainThePointCommands() {
        Calculation calculation;
        for (gui::ResultViewWindow* window :
             {static_cast<gui::ResultViewWindow*>(calculation.result()),
              static_cast<gui::ResultViewWindow*>(calculation.graph())}) {
            const QString text = topic(window == calculation.result() ? 44 : 45);
            QVERIFY(!text.isEmpty());
            for (const int command : {gui::kViewToggle, gui::kViewEnableAll, gui::kViewUpdateAll,
                                      gui::kViewRedoCalculation, gui::kViewUndo, gui::kViewRedo,
                                      gui::kViewExclusions}) {
                QVERIFY2(text.contains(shown(window->action(command))),
                         qPrintable(shown(window->action(command))));
            }
            QVERIFY(text.contains("右クリック"));
            QVERIFY(text.contains("クリック"));
        }
        // What the sheet writes in parentheses.
        const QString result = topic(44);
        for (const char* figure : {"Limit(95)", "Limit(67)", "(F=", "F(p)", "(t=", "t(p)"}) {
            QVERIFY2(result.contains(figure), figure);
        }
        // The graph's read-out above the plot.
        QVERIFY(topic(45).contains("(時刻, 値)"));
    }

    // The settings topic names the start button as the dialog labels it.
    void settingsTopicNamesTheStartButton() {
        CalculationSettingsForm form;
        form.labels = {"Ar36", "Ar40"};
        form.numerators = {false, true};
        form.denominators = {true, false};
        form.abundances = {false, false};
        gui::CalculationSettingsDialog dialog(
            nullptr, form, [](CalculationSettingsForm&) { return true; }, [](int) {}, {});
        QString start;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                start = button->text();
            }
        }
        QVERIFY(!start.isEmpty());
        QVERIFY2(topic(40).contains("「" + start + "」"), qPrintable(start));
        QVERIFY(!topic(40).contains("「OK」"));
    }

    // The Exclusions topic names the dialog's buttons and the reasons its list shows.
    void exclusionsTopicNamesTheButtonsAndReasons() {
        const CalcState nothing;
        gui::ExclusionsDialog dialog(nothing, nullptr, nullptr, [](int) {});
        const QString text = topic(144);
        QVERIFY(text.contains(dialog.windowTitle()));
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() != "ヘルプ") {
                QVERIFY2(text.contains("「" + button->text() + "」"), qPrintable(button->text()));
            }
        }
        for (const ExclusionReason reason :
             {ExclusionReason::Hand, ExclusionReason::Filter, ExclusionReason::Correction}) {
            QVERIFY(text.contains(QString::fromUtf8(ReasonLabel(reason))));
            QVERIFY(text.contains(QString::fromUtf8(ExclusionReasonName(reason))));
        }
    }

    // The correlation test's topic says the level is typed into the dialog's own field.
    void correlationTopicSaysTheDialogAsksForTheLevel() {
        RegressionResult record;
        record.activeCount = 8;
        record.tOfR = 1.5;
        gui::SheetTestDialog dialog(gui::SheetTest::Correlation, record, nullptr, [](int) {});
        const auto* form = dialog.findChild<QFormLayout*>();
        QVERIFY(form != nullptr);
        auto* label = qobject_cast<QLabel*>(form->itemAt(0, QFormLayout::LabelRole)->widget());
        QVERIFY(label != nullptr);
        const QString text = topic(54);
        QVERIFY2(text.contains("「" + label->text() + "」"), qPrintable(label->text()));
        QVERIFY(text.contains("「" + dialog.recalculateButton()->text() + "」"));
        QVERIFY(!text.contains("検定水準はオプション"));
    }
};

QTEST_MAIN(HelpTopicsTest)
#include "help_topics_test.moc"
