// The sort and jump dialogs, the file dialogs and the format decision dialog; F1 in every
// dialog with a help button.
#include "calc/result_table.h"
#include "core/support/scripted_port.h"
#include "dialog_steps.h"
#include "gui/calc/calculation_settings_dialog.h"
#include "gui/data/file_dialogs.h"
#include "gui/data/format_decision_dialog.h"
#include "gui/editor/data_note_dialogs.h"
#include "gui/editor/jump_dialog.h"
#include "gui/editor/sort_dialog.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/results/report_options_dialog.h"
#include "gui/results/toggle_dialog.h"
#include "gui/settings/options_dialog.h"
#include "settings/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tarnova;
using namespace tarnova::gui;
using tarnova::test::button;
using tarnova::test::whenShown;

namespace {

const char* const kDatFilter = "DATファイル(VARDEN88互換)";
const char* const kPksFilter = "PKSファイル(ピークサーチ互換)";

FileDialogRequest openRequest(const QString& folder) {
    FileDialogRequest request;
    request.filters = {{kDatFilter, "*.DAT"}, {kPksFilter, "*.PKS"}, {"すべてのファイル", "*.*"}};
    request.selectedFilter = 1;
    request.initialFolder = folder.toStdString();
    request.fileMustExist = true;
    return request;
}

FileDialogRequest saveRequest(std::size_t selectedFilter, const QString& initialName) {
    FileDialogRequest request;
    request.filters = {{kDatFilter, "*.DAT"}, {kPksFilter, "*.PKS"}};
    request.selectedFilter = selectedFilter;
    request.initialName = initialName.toStdString();
    return request;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    // F1 pressed in a dialog (a real key event on the active dialog) opens the dialog's help,
    // as its "ヘルプ" button does; the options sheet opens the help of the page on top.
    void f1OpensTheHelpOfEveryDialog() {
        using Help = std::function<void(int)>;
        test::ScriptedPort ui;
        Settings settings;
        CalculationSettingsForm form;
        form.labels = {"Ar36", "Ar40"};
        RegressionResult record;
        record.points.emplace(3);
        struct Row {
            const char* name;
            std::function<QDialog*(const Help&)> make;
            int context;
        };
        const Row rows[] = {
            {"settings",
             [&form](const Help& help) {
                 return new CalculationSettingsDialog(
                     nullptr, form, [](CalculationSettingsForm&) { return true; }, help, {});
             },
             40},
            {"jump", [](const Help& help) { return new JumpDialog(nullptr, help); }, 41},
            {"sort", [](const Help& help) { return new SortDialog(nullptr, help); }, 43},
            {"toggle",
             [&record](const Help& help) { return new ToggleDialog(record, nullptr, help); }, 143},
            {"printer",
             [](const Help& help) { return new PrinterSelectionDialog({"PDF file"}, 0, {}, help); },
             76},
            {"report", [](const Help& help) { return new ReportOptionsDialog({}, help); }, 218},
            {"note form", [](const Help& help) { return new NoteFormDialog(nullptr, help); }, 120},
            {"options",
             [&](const Help& help) {
                 return new OptionsDialog(nullptr, settings, kBuiltInColumnFormats, ui, help);
             },
             42},
        };
        for (const Row& row : rows) {
            int opened = 0;
            std::unique_ptr<QDialog> dialog(row.make([&opened](int context) { opened = context; }));
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QTest::keyClick(dialog.get(), Qt::Key_F1);
            // The button is pressed as by a click of the mouse, which lasts a moment.
            QTRY_VERIFY2(opened == row.context, row.name);
        }
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

    void openDialogOffersTheThreeFiltersAndReturnsThePathChosen() {
        QTemporaryDir folder;
        QtFilePort port(nullptr);
        const auto dialog = port.makeFileDialog(openRequest(folder.path()), false);
        QCOMPARE(dialog->nameFilters(), (QStringList{
                                            "DATファイル(VARDEN88互換) (*.[Dd][Aa][Tt])",
                                            "PKSファイル(ピークサーチ互換) (*.[Pp][Kk][Ss])",
                                            "すべてのファイル (*)",
                                        }));
        QCOMPARE(dialog->selectedNameFilter(), QString(kPksFilter));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        QVERIFY(dialog->testOption(QFileDialog::HideNameFilterDetails));

        // The path chosen comes back with its filter; a cancel chooses nothing.
        const QString file = folder.filePath("d.pks");
        QFile(file).open(QIODevice::WriteOnly);
        whenShown<QFileDialog>([&](QFileDialog& shown) {
            shown.selectFile(file);
            static_cast<QDialog&>(shown).accept();
        });
        const FileDialogResult result = port.chooseOpenFile(openRequest(folder.path()));
        QCOMPARE(int(result.status), int(FileDialogResult::Status::Chosen));
        QCOMPARE(QString::fromStdString(result.path), file);
        QCOMPARE(result.filterIndex, std::size_t{1});

        whenShown<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
        QCOMPARE(int(port.chooseOpenFile(openRequest(folder.path())).status),
                 int(FileDialogResult::Status::Cancelled));
    }

    void saveDialogReportsTheFilterAndAddsNoExtension() {
        QTemporaryDir folder;
        QtFilePort port(nullptr);
        const FileDialogRequest request = saveRequest(0, folder.path() + "/*.DAT");
        const auto dialog = port.makeFileDialog(request, true);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->defaultSuffix(), QString());
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        QVERIFY(dialog->selectedFiles().isEmpty() ||
                QFileInfo(dialog->selectedFiles().constFirst()).isDir());

        whenShown<QFileDialog>([&](QFileDialog& shown) {
            shown.selectNameFilter(shown.nameFilters()[1]);
            shown.selectFile(folder.filePath("sample"));
            static_cast<QDialog&>(shown).accept();
        });
        const FileDialogResult result = port.chooseSaveFile(request);
        QCOMPARE(int(result.status), int(FileDialogResult::Status::Chosen));
        QCOMPARE(QString::fromStdString(result.path), folder.filePath("sample"));
        QCOMPARE(result.filterIndex, std::size_t{1});

        // A name given is preselected with its filter.
        const auto named = port.makeFileDialog(saveRequest(1, folder.filePath("old.PKS")), true);
        QCOMPARE(QFileInfo(named->selectedFiles().value(0)).fileName(), QString("old.PKS"));
        QCOMPARE(named->selectedNameFilter(), QString(kPksFilter));
    }

    void formatDecisionKeepsUntouchedBytesOrIsCancelled() {
        // Bytes that are no code page 932 text, and a zero byte, must come back unchanged.
        const std::string content("\"S\",\"x\"\r\n\x82\xa0\xff\x00"
                                  "1,2\r\n",
                                  15);
        QtFilePort port(nullptr);
        whenShown<QDialog>([](QDialog& shown) {
            auto& dialog = static_cast<FormatDecisionDialog&>(shown);
            dialog.choice(2)->click();
            static_cast<QDialog&>(dialog).accept();
        });
        const FormatDecision decision = port.decideFormat({"/data/x.txt", content});
        QCOMPARE(int(decision.status), int(FormatDecision::Status::Accepted));
        QCOMPARE(int(decision.choice), int(FormatChoice::Pks));
        QVERIFY(decision.content == content);

        whenShown<QDialog>([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(int(port.decideFormat({"/data/x.txt", "abc"}).status),
                 int(FormatDecision::Status::Cancelled));
    }

    void formatDecisionDialogPresetsAndEditedText() {
        const std::string content = "\"\x83\x54\x83\x93\x83\x76\x83\x8b\",\"A\"\r\n1,2\r\n";
        FormatDecisionDialog dialog(nullptr, "/data/サンプル.txt", content);
        QVERIFY(dialog.choice(1)->isChecked());
        QCOMPARE(dialog.focusWidget(), dialog.choice(1));
        QVERIFY(dialog.pathField()->isReadOnly());
        QCOMPARE(dialog.pathField()->text(), QString("/data/サンプル.txt"));
        QCOMPARE(dialog.textField()->toPlainText(), QString("\"サンプル\",\"A\"\n1,2\n"));
        QCOMPARE(dialog.chosenFormat(), 1);
        dialog.choice(3)->click();
        QCOMPARE(dialog.chosenFormat(), 3);

        // An edit is written back as code page 932 with the file's own line ends.
        dialog.textField()->setPlainText("\"サンプル\",\"B\"\n1,2\n");
        QCOMPARE(QByteArray::fromStdString(dialog.contents()),
                 QByteArray("\"\x83\x54\x83\x93\x83\x76\x83\x8b\",\"B\"\r\n1,2\r\n"));
    }

    void titleGoesToTheOwnersWindow() {
        QWidget window;
        auto* child = new QWidget(&window);
        QtFilePort port(child);
        port.setWindowTitle("Tarnova - サンプル.pks");
        QCOMPARE(window.windowTitle(), QString("Tarnova - サンプル.pks"));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
