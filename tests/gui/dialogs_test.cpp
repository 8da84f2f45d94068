// The dialogs, driven with real events down to what they add to the core: F1 in every dialog,
// the file dialogs, the sort, jump and format decision dialogs, "回帰計算の設定", the correction
// table editor, the data note dialogs and the options sheet. Their rules are the core's (its
// editors' tests); here the fields reach the core and come back, and TARNOVA.INI is checked.
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/result_table.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/peak_records.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "dialog_steps.h"
#include "document/data_note_editor.h"
#include "editor/grid_model.h"
#include "gui/calc/calculation_settings_dialog.h"
#include "gui/calc/correction_table_dialog.h"
#include "gui/calc/qt_calculation_port.h"
#include "gui/data/file_dialogs.h"
#include "gui/data/format_decision_dialog.h"
#include "gui/editor/data_note_dialogs.h"
#include "gui/editor/jump_dialog.h"
#include "gui/editor/main_window.h"
#include "gui/editor/qt_data_note_port.h"
#include "gui/editor/sort_dialog.h"
#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/results/report_options_dialog.h"
#include "gui/results/toggle_dialog.h"
#include "gui/settings/options_dialog.h"
#include "gui/settings/outlier_filter_fields.h"
#include "platform/load_path.h"
#include "platform/text_file.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <tuple>

using namespace tarnova;
using namespace tarnova::gui;
using test::argonPeaks;
using test::button;
using test::whenShown;

namespace {

QStringList itemTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text();
    }
    return texts;
}

std::string readFile(const QString& path) {
    return readWholeFile(QFile::encodeName(path).toStdString()).value_or("");
}

void writeFile(const QString& path, const std::string& text) {
    writeWholeFile(QFile::encodeName(path).toStdString(), text);
}

std::vector<std::string> messageTexts(const test::ScriptedPort& port) {
    std::vector<std::string> texts;
    for (const auto& message : port.messages) {
        texts.push_back(message.text);
    }
    return texts;
}

FileDialogRequest fileRequest(const QString& folder, const QString& initialName = {}) {
    FileDialogRequest request;
    request.filters = {{"DATファイル(VARDEN88互換)", "*.DAT"},
                       {"PKSファイル(ピークサーチ互換)", "*.PKS"},
                       {"すべてのファイル", "*.*"}};
    request.selectedFilter = 1;
    request.initialFolder = folder.toStdString();
    request.initialName = initialName.toStdString();
    request.fileMustExist = initialName.isEmpty();
    return request;
}

struct WindowFixture {
    test::ScriptedPort port;
    test::ScriptedFilePort files;
    GridModel grid{port};
    Settings settings;
    CalcState calculation;
    std::string printer;
    std::unique_ptr<MainWindow> window;

    WindowFixture() {
        window = std::make_unique<MainWindow>(
            MainWindowContext{grid, settings, calculation, port, files, {}, printer});
    }
};

// A calculation of the argon peaks with the dialog of the desktop, on the INI at iniPath.
struct DialogCalculation {
    test::ScriptedPort ui;
    QWidget owner;
    CalcState state;
    Settings settings;
    std::string printer;
    QtCalculationPort port{ui, &owner, state, settings, printer};
    const std::vector<PeakRecord> peaks = argonPeaks();
    CalculationEnvironment environment;

    DialogCalculation(const QString& iniPath, GeneralFlags flags)
        : environment{ui,          port, flags, 99.7, QFile::encodeName(iniPath).toStdString(),
                      std::nullopt} {}
    bool run(bool fresh = false) {
        const auto source = [this] { return std::optional(peaks); };
        return fresh ? RunNewCalculation(state, source, environment)
                     : RunCalculation(state, source, environment);
    }
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString iniPath_;

  private slots:
    void initTestCase() {
        // No print queue at all: the "PDF file" entry is the only printer.
        qputenv("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
    }
    void init() {
        iniPath_ = folder_.filePath("TARNOVA.INI");
        QFile::remove(iniPath_);
        setLoadPath(QFile::encodeName(folder_.path() + "/").toStdString());
        ReleaseDataNote();
    }

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

    // The sort dialog's key and direction come back as the number the core decodes; the jump
    // dialog stays open until its text reads as a cell.
    void sortAndJumpDialogsReturnTheirChoice() {
        const struct {
            int key;
            bool descending;
            int result;
        } sorts[] = {{0, false, 1}, {1, true, 4}, {4, true, 10}};
        for (const auto& sort : sorts) {
            SortDialog dialog;
            whenShown([&dialog, sort] {
                dialog.keyList()->setCurrentIndex(sort.key);
                (sort.descending ? dialog.descendingButton() : dialog.ascendingButton())->click();
                button(dialog, "実行")->click();
            });
            QCOMPARE(dialog.choose(), sort.result);
        }

        JumpDialog jump;
        bool stayedOpen = false;
        whenShown([&] {
            QTest::keyClicks(jump.destinationField(), "abc");
            button(jump, "ジャンプ")->click();
            stayedOpen = jump.isVisible();
            jump.destinationField()->setText(" 12 : 3");
            button(jump, "ジャンプ")->click();
        });
        QCOMPARE(jump.choose(), (JumpTarget{12, 3}));
        QVERIFY(stayedOpen);
        whenShown([&jump] { button(jump, "ｷｬﾝｾﾙ")->click(); });
        QCOMPARE(jump.choose(), std::nullopt);
    }

    // The open dialog offers the request's filters, starts in its folder and returns the path
    // chosen with its filter; the save dialog adds no extension and asks nothing about an
    // existing file; a name given is preselected with its filter; the title goes to the
    // owner's window.
    void fileDialogsFollowTheRequest() {
        QTemporaryDir folder;
        QtFilePort port(nullptr);
        const auto open = port.makeFileDialog(fileRequest(folder.path()), false);
        QCOMPARE(open->nameFilters(), (QStringList{
                                          "DATファイル(VARDEN88互換) (*.[Dd][Aa][Tt])",
                                          "PKSファイル(ピークサーチ互換) (*.[Pp][Kk][Ss])",
                                          "すべてのファイル (*)",
                                      }));
        QCOMPARE(open->selectedNameFilter(), QString("PKSファイル(ピークサーチ互換)"));
        QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(QDir(open->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        const QString file = folder.filePath("d.pks");
        QFile(file).open(QIODevice::WriteOnly);
        whenShown<QFileDialog>([&](QFileDialog& shown) {
            shown.selectFile(file);
            static_cast<QDialog&>(shown).accept();
        });
        const FileDialogResult opened = port.chooseOpenFile(fileRequest(folder.path()));
        QCOMPARE(int(opened.status), int(FileDialogResult::Status::Chosen));
        QCOMPARE(QString::fromStdString(opened.path), file);
        QCOMPARE(opened.filterIndex, std::size_t{1});
        whenShown<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
        QCOMPARE(int(port.chooseOpenFile(fileRequest(folder.path())).status),
                 int(FileDialogResult::Status::Cancelled));

        const FileDialogRequest request = fileRequest(folder.path(), folder.path() + "/*.DAT");
        const auto save = port.makeFileDialog(request, true);
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->defaultSuffix(), QString());
        QVERIFY(save->testOption(QFileDialog::DontConfirmOverwrite));
        whenShown<QFileDialog>([&](QFileDialog& shown) {
            shown.selectNameFilter(shown.nameFilters()[0]);
            shown.selectFile(folder.filePath("sample"));
            static_cast<QDialog&>(shown).accept();
        });
        const FileDialogResult saved = port.chooseSaveFile(request);
        QCOMPARE(QString::fromStdString(saved.path), folder.filePath("sample"));
        QCOMPARE(saved.filterIndex, std::size_t{0});
        const auto named = port.makeFileDialog(fileRequest({}, folder.filePath("old.PKS")), true);
        QCOMPARE(QFileInfo(named->selectedFiles().value(0)).fileName(), QString("old.PKS"));

        QWidget window;
        QtFilePort owned(new QWidget(&window));
        owned.setWindowTitle("Tarnova - サンプル.pks");
        QCOMPARE(window.windowTitle(), QString("Tarnova - サンプル.pks"));
    }

    // The format decision dialog shows the file's text as code page 932, gives back untouched
    // bytes unchanged (also those that are no code page 932 text) and an edit in code page 932
    // with the file's own line ends; Cancel decides nothing.
    void formatDecisionKeepsUntouchedBytesAndWritesEdits() {
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

        const std::string katakana = "\"\x83\x54\x83\x93\x83\x76\x83\x8b\",\"A\"\r\n1,2\r\n";
        FormatDecisionDialog dialog(nullptr, "/data/サンプル.txt", katakana);
        QCOMPARE(dialog.textField()->toPlainText(), QString("\"サンプル\",\"A\"\n1,2\n"));
        dialog.textField()->setPlainText("\"サンプル\",\"B\"\n1,2\n");
        QCOMPARE(QByteArray::fromStdString(dialog.contents()),
                 QByteArray("\"\x83\x54\x83\x93\x83\x76\x83\x8b\",\"B\"\r\n1,2\r\n"));
    }

    // "回帰計算の設定" through the calculation: its lists from the peaks and the INI, its
    // refusal, "プリンタ" choosing the printer of the run, "回帰法" opening at the INI's method,
    // and the records made from what was chosen. Cancel leaves no calculation.
    void calculationSettingsDialogStartsTheCalculation() {
        writeFile(iniPath_, "[general]\r\ninterferance=2\r\n[interferance]\r\nAtm=1\r\n"
                            "Blank=1\r\n[Atm]\r\nitem1=Ar40,Ar36,1\r\n"
                            "[regression]\r\nmethod=mean\r\n");
        DialogCalculation calculation(iniPath_, GeneralFlag::ShowGraph | GeneralFlag::Conf95);
        bool stayedOpen = false;
        whenShown<CalculationSettingsDialog>([&](CalculationSettingsDialog& dialog) {
            QCOMPARE(itemTexts(dialog.numeratorList()), QStringList({"Ar36", "Ar38", "Ar40"}));
            QCOMPARE(dialog.correctionSetList()->count(), 2);
            QVERIFY(!dialog.correctionSetList()->isEnabled());
            button(dialog, "開始")->click(); // nothing chosen
            stayedOpen = dialog.isVisible();

            QWidget* selectionParent = nullptr;
            whenShown<PrinterSelectionDialog>([&](PrinterSelectionDialog& selection) {
                selectionParent = selection.parentWidget();
                button(selection, "OK")->click();
            });
            button(dialog, "プリンタ")->click();
            QVERIFY(selectionParent == &dialog);
            QCOMPARE(calculation.printer, std::string(kPdfFileEntry));

            dialog.allNumeratorsBox()->click();
            QVERIFY(!dialog.numeratorList()->isEnabled());
            dialog.allNumeratorsBox()->click();
            QCOMPARE(dialog.fitMethodList()->currentText(), QString("平均"));
            dialog.fitMethodList()->setCurrentIndex(1);
            dialog.correctBox()->click();
            dialog.correctionSetList()->setCurrentIndex(0);
            for (QListWidget* list : {dialog.numeratorList(), dialog.denominatorList()}) {
                const int row = list == dialog.numeratorList() ? 2 : 0;
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(row)).center());
            }
            button(dialog, "開始")->click();
        });
        QVERIFY(calculation.run());
        QVERIFY(stayedOpen);
        QCOMPARE(messageTexts(calculation.ui).size(), 2u); // the refusal, the printer chosen
        CalcState& state = calculation.state;
        QCOMPARE(state.resultCount(), 1);
        QCOMPARE(QString::fromStdString((*state.results)[0].sheetName), QString("Ar40/Ar36"));
        QCOMPARE((*state.results)[0].fitMethod, 1u);
        QCOMPARE(state.correctionSet, std::optional<std::string>("Atm"));
        QCOMPARE(state.calcFlags & (CalcFlag::Conf95 | CalcFlag::ShowGraph | CalcFlag::Correct),
                 CalcFlag::Conf95 | CalcFlag::ShowGraph | CalcFlag::Correct);

        ReleaseCalculation(state, &calculation.port);
        whenShown<QDialog>([](QDialog& dialog) { button(dialog, "ｷｬﾝｾﾙ")->click(); });
        QVERIFY(!calculation.run());
        QVERIFY(state.calcFlags.none());
    }

    // With one correction set in the INI, a click on "妨害イオンを補正する" offers that set, and
    // "開始" corrects with it; the next calculation opens with the box ticked on that set.
    void tickingCorrectionsChoosesTheOnlySet() {
        writeFile(iniPath_, "[general]\r\ninterferance=1\r\n[interferance]\r\nAtm=1\r\n"
                            "[Atm]\r\nitem1=Ar40,Ar36,1\r\n");
        DialogCalculation calculation(iniPath_, {});
        QString offered;
        whenShown<CalculationSettingsDialog>([&offered](CalculationSettingsDialog& dialog) {
            QTest::mouseClick(dialog.correctBox(), Qt::LeftButton, {},
                              QPoint(4, dialog.correctBox()->height() / 2));
            offered = dialog.correctionSetList()->currentText();
            dialog.abundanceList()->item(0)->setSelected(true);
            QTest::mouseClick(button(dialog, "開始"), Qt::LeftButton);
        });
        QVERIFY(calculation.run(true));
        QCOMPARE(offered, QString("Atm"));
        QCOMPARE(calculation.state.correctionSet, std::optional<std::string>("Atm"));

        bool reopened = false;
        whenShown<CalculationSettingsDialog>([&reopened](CalculationSettingsDialog& dialog) {
            reopened = dialog.correctBox()->isChecked() &&
                       dialog.correctionSetList()->currentText() == "Atm" &&
                       dialog.abundanceList()->item(0)->isSelected();
            dialog.reject();
        });
        calculation.run(true);
        QVERIFY(reopened);
    }

    // The correction editor's fields reach the editor and its saves the INI; with unsaved
    // changes the set list and OK ask first, and "No" keeps everything as it is.
    void correctionEditorRegistersSavesAndAsks() {
        writeFile(iniPath_, "[general]\r\ninterferance=1\r\n[interferance]\r\nKr=2\r\n[Kr]\r\n"
                            "item1=Kr84,Ar36,1\r\nitem2=Kr86,Ar36,2\r\n");
        test::ScriptedPort ui;
        CorrectionTableDialog dialog(nullptr, QFile::encodeName(iniPath_).toStdString(), ui);
        dialog.show();
        emit dialog.setField()->activated(0);
        QCOMPARE(itemTexts(dialog.entryList()), QStringList({"Kr84,Ar36,1", "Kr86,Ar36,2"}));
        dialog.entryList()->item(1)->setSelected(true);
        button(dialog, "削除")->click();
        QTest::keyClicks(dialog.correctedField()->lineEdit(), "Ar40");
        QTest::keyClicks(dialog.interferingField()->lineEdit(), "Ar36");
        dialog.factorField()->setText("295.5");
        button(dialog, "登録")->click();
        QCOMPARE(itemTexts(dialog.entryList()), QStringList({"Ar40,Ar36,295.5", "Kr84,Ar36,1"}));

        ui.answers = {Answer::No};
        dialog.setField()->showPopup();
        QVERIFY(!dialog.setField()->view()->isVisible());
        ui.answers = {Answer::No};
        button(dialog, "OK")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(ui.messages.size(), 2u);

        dialog.setField()->setEditText("Kr");
        button(dialog, "設定を保存")->click();
        const std::string saved = readFile(iniPath_);
        QVERIFY(saved.find("item1=Ar40,Ar36,295.5\r\nitem2=Kr84,Ar36,1\r\n") != std::string::npos);
        QCOMPARE(saved.find("Kr86"), std::string::npos);
        button(dialog, "OK")->click(); // saved: no question
        QVERIFY(!dialog.isVisible());
    }

    // The DAT note dialog edits a copy: a refused number keeps it open, the fields reach the
    // note in code page 932, untouched numbers keep every digit, and Cancel keeps the note.
    void datNoteDialogEditsACopy() {
        DataNote note;
        note.spikeVolume = 1.23456789e-8;
        note.name = "AS-12";
        InstallDataNote(note);
        test::ScriptedPort ui;
        QtDataNotePort port(nullptr);
        bool stayedOpen = false;
        whenShown<QDialog>([&](QDialog& dialog) {
            auto& dat = static_cast<DatNoteDialog&>(dialog);
            QCOMPARE(dat.field(3)->text(), QString("1.2346E-008"));
            dat.field(0)->setText("試料 AS-13");
            dat.field(2)->setText("-3");
            button(dat, "OK")->click();
            stayedOpen = dat.isVisible();
            dat.field(2)->setText("12");
            button(dat, "OK")->click();
        });
        QVERIFY(EditDataNote(port, ui, {}));
        QVERIFY(stayedOpen);
        QCOMPARE(messageTexts(ui).size(), 1u);
        QCOMPARE(currentDataNote()->name, std::string("\x8e\x8e\x97\xbf AS-13"));
        QCOMPARE(currentDataNote()->spikeId, 12);
        QCOMPARE(currentDataNote()->spikeVolume, 1.23456789e-8);

        whenShown<QDialog>([](QDialog& dialog) {
            static_cast<DatNoteDialog&>(dialog).field(0)->setText("changed");
            button(dialog, "ｷｬﾝｾﾙ")->click();
        });
        QVERIFY(!EditDataNote(port, ui, {}));
        QCOMPARE(currentDataNote()->name, std::string("\x8e\x8e\x97\xbf AS-13"));
    }

    // In the PKS note dialog, typing "Da" and opening the list selects Date; a text no tag
    // begins with asks; Enter presses OK, never a button of the dialog's body.
    void pksNoteDialogFollowsTheTypedTagAndEnterPressesOk() {
        test::ScriptedPort ui;
        std::vector<TaggedComment> comments{{"Sample", "a"}, {"Date", "b"}};
        PksNoteEditor editor(comments, ui, false);
        editor.open();
        PksNoteDialog dialog(nullptr, editor, {});
        dialog.show();
        dialog.tagField()->setEditText("Da");
        dialog.tagField()->showPopup();
        QCOMPARE(dialog.tagField()->currentIndex(), 1);
        dialog.tagField()->hidePopup();
        dialog.tagField()->setEditText("X");
        ui.answers = {Answer::No};
        dialog.tagField()->showPopup();
        QVERIFY(!dialog.tagField()->view()->isVisible());
        QCOMPARE(dialog.tagField()->currentIndex(), 2);
        QTest::keyClick(dialog.tagField()->lineEdit(), Qt::Key_Return);
        QCOMPARE(dialog.tagField()->count(), 3);
        QCOMPARE(comments.size(), 3u);
        QVERIFY(!dialog.isVisible());
    }

    // The commands open their dialogs; a new note confirmed twice becomes the note.
    void commandsOpenTheirDialogs() {
        WindowFixture fixture;
        QStringList opened;
        for (const int command : {kCommandCorrectionTable, kCommandOption, kCommandDataNote}) {
            whenShown<QDialog>([&opened](QDialog& dialog) {
                opened << dialog.objectName();
                dialog.reject();
            });
            fixture.window->runCommand(command);
        }
        QCOMPARE(opened, QStringList({"correctiontableeditor", "optionsheet", "noteformdialog"}));
        whenShown<QDialog>([](QDialog& form) {
            button(form, "OK")->click();
            whenShown<QDialog>([](QDialog& dat) { button(dat, "OK")->click(); });
        });
        fixture.window->runCommand(kCommandDataNote);
        QVERIFY(currentDataNote().has_value());
        QVERIFY(fixture.port.messages.empty());
    }

    // Options page 2 through the main window: the grid takes the new widths at OK, Save
    // Option writes them and keeps the other sections byte for byte.
    void optionsSheetChangesTheGridAndSaveOptionWritesIt() {
        const std::string sets = "[interferance]\r\nAR=1\r\n[AR]\r\nitem1=Ar40,Ar36,295.5\r\n";
        writeFile(iniPath_, sets);
        WindowFixture fixture;
        fixture.grid.AttachPeaks({PeakRecord{1.5, 2.0, 1.0, {}, "Ar40"}});
        const int widthBefore = fixture.window->width();
        whenShown<QDialog>([&](QDialog& dialog) {
            auto& sheet = static_cast<OptionsDialog&>(dialog);
            sheet.pages()->setCurrentIndex(1);
            sheet.decimalsField(kTimeColumn)->setText("2");
            sheet.widthField(kElemColumn)->setText("12");
            sheet.pages()->setCurrentIndex(3);
            button(sheet, "OK")->click();
        });
        fixture.window->runCommand(kCommandOption);
        QCOMPARE(fixture.grid.cellText(0, kTimeColumn), std::string("00001.50"));
        QVERIFY(fixture.window->width() > widthBefore);
        fixture.window->runCommand(kCommandSaveOption);
        const std::string saved = readFile(iniPath_);
        QVERIFY(saved.starts_with(sets));
        QVERIFY(saved.find("time=8.2\r\n") != std::string::npos);
        QVERIFY(saved.find("elem=12\r\n") != std::string::npos);
        QVERIFY(fixture.port.messages.empty());
    }

    // The regression page's outlier filter: Save Option writes it; the settings dialog of a new
    // calculation opens with the calculation's filter, and the filter chosen there runs.
    void outlierFilterFromTheOptionsToTheCalculation() {
        writeFile(iniPath_, "[regression]\r\nchklevel=99.700000\r\n");
        WindowFixture fixture;
        whenShown<QDialog>([](QDialog& dialog) {
            auto& sheet = static_cast<OptionsDialog&>(dialog);
            sheet.pages()->setCurrentIndex(2);
            OutlierFilterFields& fields = *sheet.filterFields();
            QVERIFY(!fields.factorField()->isEnabled());
            fields.ruleList()->setCurrentIndex(1);
            QVERIFY(fields.factorField()->isEnabled());
            fields.factorField()->setValue(2.5);
            fields.iterationsField()->setValue(3);
            button(sheet, "OK")->click();
        });
        fixture.window->runCommand(kCommandOption);
        QCOMPARE(fixture.settings.outlierFilter, (OutlierFilter{OutlierRule::Sigma, 2.5, 3}));
        fixture.window->runCommand(kCommandSaveOption);
        QCOMPARE(ReadProfileString(QFile::encodeName(iniPath_).toStdString(), "regression",
                                   "filter", "", 80),
                 std::string("sigma:2.5:3"));

        DialogCalculation calculation(iniPath_, {});
        calculation.state.outlierFilter = {.rule = OutlierRule::Chauvenet};
        whenShown<CalculationSettingsDialog>([](CalculationSettingsDialog& dialog) {
            OutlierFilterFields& fields = *dialog.outlierFilterFields();
            QCOMPARE(fields.ruleList()->currentIndex(), 2);
            fields.ruleList()->setCurrentIndex(1);
            fields.factorField()->setValue(3.0);
            dialog.allAbundancesBox()->click();
            button(dialog, "開始")->click();
        });
        QVERIFY(calculation.run());
        QCOMPARE(calculation.state.outlierFilter, (OutlierFilter{OutlierRule::Sigma, 3.0, 1}));
        ReleaseCalculation(calculation.state, &calculation.port);
    }

    // Cancel after changing three pages changes nothing. OK with a wrong pair: one message,
    // and the sheet stays open on the field; once it is mended OK takes it. Leaving the page
    // with a wrong pair says so on leaving, and the OK after it once more.
    void optionsSheetCancelAndRefusals() {
        WindowFixture fixture;
        const Settings before = fixture.settings;
        const ColumnFormats formats = fixture.grid.columnFormats();
        whenShown<QDialog>([](QDialog& dialog) {
            auto& sheet = static_cast<OptionsDialog&>(dialog);
            sheet.flagButtons(OptionsPage::General)[0]->click();
            sheet.pages()->setCurrentIndex(2);
            sheet.flagButtons(OptionsPage::Regression)[0]->click();
            sheet.pages()->setCurrentIndex(1);
            sheet.widthField(kPeakColumn)->setText("20");
            button(sheet, "ｷｬﾝｾﾙ")->click();
        });
        fixture.window->runCommand(kCommandOption);
        QVERIFY(fixture.settings == before);
        QVERIFY(fixture.grid.columnFormats() == formats);

        const std::string wrong = "指定されたパラメーターに誤りがあります。変更を無視ます。";
        for (const bool leaveFirst : {false, true}) {
            const std::size_t messagesAtOk = leaveFirst ? 2 : 1;
            fixture.port.messages.clear();
            bool stayedOnField = false;
            whenShown<QDialog>([&](QDialog& dialog) {
                auto& sheet = static_cast<OptionsDialog&>(dialog);
                sheet.pages()->setCurrentIndex(1);
                sheet.widthField(kTimeColumn)->setText("6");
                sheet.decimalsField(kTimeColumn)->setText("5");
                if (leaveFirst) {
                    sheet.pages()->setCurrentIndex(3);
                }
                QTest::mouseClick(button(sheet, "OK"), Qt::LeftButton);
                stayedOnField = sheet.isVisible() && sheet.pages()->currentIndex() == 1 &&
                                sheet.focusWidget() == sheet.widthField(kTimeColumn) &&
                                fixture.port.messages.size() == messagesAtOk;
                sheet.widthField(kTimeColumn)->setText("7");
                QTest::mouseClick(button(sheet, "OK"), Qt::LeftButton);
            });
            fixture.window->runCommand(kCommandOption);
            QVERIFY(stayedOnField);
            QCOMPARE(messageTexts(fixture.port), std::vector<std::string>(messagesAtOk, wrong));
            QCOMPARE(fixture.grid.columnFormat(kTimeColumn), (ColumnFormat{7, 5}));
        }
    }

    // The general page's folder browser starts in the data folder and its choice, with the
    // arrangement clicked, reaches the settings taken over.
    void optionsGeneralPageAndFolderBrowser() {
        Settings settings;
        settings.dataDirectory = folder_.path().toStdString() + "/";
        settings.generalFlags |= GeneralFlag::ArrangeVertical;
        test::ScriptedPort ui;
        ColumnFormats formats = kBuiltInColumnFormats;
        OptionsDialog sheet(nullptr, settings, formats, ui, {});
        QVERIFY(sheet.arrangementButton(WindowArrangement::Stacked)->isChecked());
        QDir(folder_.path()).mkdir("peaks");
        whenShown<QFileDialog>([&](QFileDialog& browser) {
            QCOMPARE(QDir(browser.directory()).canonicalPath(),
                     QDir(folder_.path()).canonicalPath());
            browser.selectFile(folder_.filePath("peaks"));
            static_cast<QDialog&>(browser).accept();
        });
        sheet.browseButton()->click();
        sheet.arrangementButton(WindowArrangement::SideBySide)->click();
        sheet.accept();
        Settings taken = settings;
        TakeOverOptions(sheet.sheet().workingCopy(), taken);
        QCOMPARE(taken.dataDirectory, folder_.filePath("peaks").toStdString() + "/");
        QVERIFY((taken.generalFlags &
                 (GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical)) ==
                GeneralFlags(GeneralFlag::ArrangeHorizontal));
    }

    // A folder that cannot take the file: Save Option says so with the path.
    void saveOptionReportsAFailedWrite() {
        writeFile(folder_.filePath("missing"), "a plain file where the folder would be");
        setLoadPath(QFile::encodeName(folder_.filePath("missing") + "/").toStdString());
        WindowFixture fixture;
        fixture.window->runCommand(kCommandSaveOption);
        QCOMPARE(messageTexts(fixture.port),
                 std::vector<std::string>{
                     "設定を" +
                     QFile::encodeName(folder_.filePath("missing/TARNOVA.INI")).toStdString() +
                     "に保存できませんでした(Not a directory)。"});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
