// The dialogs of the calculation and the options: "回帰計算の設定", the correction table
// editor, the data note dialogs and viewer, and the options sheet, driven with real events; the
// core state and TARNOVA.INI are checked afterwards.
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
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
#include "gui/editor/data_note_dialogs.h"
#include "gui/editor/main_window.h"
#include "gui/editor/qt_data_note_port.h"
#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/settings/options_dialog.h"
#include "gui/settings/outlier_filter_fields.h"
#include "platform/load_path.h"
#include "platform/text_file.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

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

QStringList itemTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
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

} // namespace

class SettingsDialogsTest : public QObject {
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

    // The regression settings dialog through the calculation: its lists, its refusal and the
    // records made from what was chosen.
    void calculationSettingsDialogStartsTheCalculation() {
        writeFile(iniPath_, "[general]\r\ninterferance=2\r\n[interferance]\r\nAtm=1\r\n"
                            "Blank=1\r\n[Atm]\r\nitem1=Ar40,Ar36,1\r\n"
                            "[regression]\r\nmethod=mean\r\n");
        test::ScriptedPort ui;
        QWidget owner;
        CalcState state;
        const Settings settings;
        std::string printer;
        QtCalculationPort port(ui, &owner, state, settings, printer);
        const std::vector<PeakRecord> peaks = argonPeaks();
        const CalculationEnvironment environment{ui,
                                                 port,
                                                 GeneralFlag::ShowGraph | GeneralFlag::Conf95,
                                                 99.7,
                                                 QFile::encodeName(iniPath_).toStdString(),
                                                 std::nullopt};
        bool stayedOpen = false;
        whenShown<QDialog>([&](QDialog& shown) {
            auto& dialog = static_cast<CalculationSettingsDialog&>(shown);
            const QStringList labels{"Ar36", "Ar38", "Ar40"};
            QCOMPARE(itemTexts(dialog.numeratorList()), labels);
            QCOMPARE(itemTexts(dialog.denominatorList()), labels);
            QCOMPARE(itemTexts(dialog.abundanceList()), labels);
            QCOMPARE(itemTexts(dialog.correctionSetList()), QStringList({"Atm", "Blank"}));
            QVERIFY(!dialog.correctionSetList()->isEnabled());
            for (const char* label : {"95%", "68%", "不偏標準偏差", "標準偏差"}) {
                const auto radios = dialog.findChildren<QRadioButton*>();
                QVERIFY(std::any_of(radios.begin(), radios.end(), [&](QRadioButton* radio) {
                    return radio->text() == label &&
                           radio->isChecked() == (label == std::string("95%") ||
                                                  label == std::string("不偏標準偏差"));
                }));
            }
            QVERIFY(button(dialog, "プリンタ") && button(dialog, "ヘルプ"));

            // Nothing chosen: the message, and the dialog stays open.
            button(dialog, "開始")->click();
            stayedOpen = dialog.isVisible();

            // "プリンタ" chooses the printer of the run in a selection over this dialog.
            QWidget* selectionParent = nullptr;
            whenShown<PrinterSelectionDialog>([&](PrinterSelectionDialog& selection) {
                selectionParent = selection.parentWidget();
                button(selection, "OK")->click();
            });
            button(dialog, "プリンタ")->click();
            QVERIFY(selectionParent == &dialog);
            QCOMPARE(printer, std::string(kPdfFileEntry));

            // A ticked "全て選択" disables its list; unticked, the list is back with its items.
            dialog.allNumeratorsBox()->click();
            QVERIFY(!dialog.numeratorList()->isEnabled());
            dialog.allNumeratorsBox()->click();
            QVERIFY(dialog.numeratorList()->isEnabled());
            QCOMPARE(dialog.numeratorList()->count(), 3);

            // "回帰法" opens at the INI's method; the one chosen fits the records.
            QCOMPARE(dialog.fitMethodList()->count(), 5);
            QCOMPARE(dialog.fitMethodList()->currentText(), QString("平均"));
            dialog.fitMethodList()->setCurrentIndex(1);

            dialog.correctBox()->click();
            QVERIFY(dialog.correctionSetList()->isEnabled());
            dialog.correctionSetList()->setCurrentIndex(0);
            const QRect ar40 =
                dialog.numeratorList()->visualItemRect(dialog.numeratorList()->item(2));
            QTest::mouseClick(dialog.numeratorList()->viewport(), Qt::LeftButton, {},
                              ar40.center());
            const QRect ar36 =
                dialog.denominatorList()->visualItemRect(dialog.denominatorList()->item(0));
            QTest::mouseClick(dialog.denominatorList()->viewport(), Qt::LeftButton, {},
                              ar36.center());
            button(dialog, "開始")->click();
        });
        QVERIFY(RunCalculation(
            state, [&] { return std::optional(peaks); }, environment));
        QVERIFY(stayedOpen);
        const std::vector<std::string> messages{
            "計算を実行するには、同位体比が一組以上か存在度が1つ選択されていなければなりません。",
            kPdfFileEntry};
        QCOMPARE(messageTexts(ui), messages);
        QCOMPARE(state.resultCount(), 1);
        QCOMPARE(QString::fromStdString((*state.results)[0].sheetName), QString("Ar40/Ar36"));
        QCOMPARE((*state.results)[0].fitMethod, 1u);
        QCOMPARE(state.correctionSet, std::optional<std::string>("Atm"));
        QCOMPARE(state.calcFlags & (CalcFlag::Conf95 | CalcFlag::ShowGraph | CalcFlag::Correct),
                 CalcFlag::Conf95 | CalcFlag::ShowGraph | CalcFlag::Correct);

        // Cancel leaves no calculation.
        ReleaseCalculation(state, &port);
        CalcState& cancelled = state;
        whenShown<QDialog>([](QDialog& dialog) { button(dialog, "ｷｬﾝｾﾙ")->click(); });
        QVERIFY(!RunCalculation(
            cancelled, [&] { return std::optional(peaks); }, environment));
        QVERIFY(cancelled.calcFlags.none());
    }

    // With one correction set in the INI, a click on "妨害イオンを補正する" offers that set, and
    // "開始" corrects with it; the next calculation opens with the box ticked on that set.
    void tickingCorrectionsChoosesTheOnlySet() {
        writeFile(iniPath_, "[general]\r\ninterferance=1\r\n[interferance]\r\nAtm=1\r\n"
                            "[Atm]\r\nitem1=Ar40,Ar36,1\r\n");
        test::ScriptedPort ui;
        QWidget owner;
        CalcState state;
        const Settings settings;
        std::string printer;
        QtCalculationPort port(ui, &owner, state, settings, printer);
        const std::vector<PeakRecord> peaks = argonPeaks();
        const CalculationEnvironment environment{
            ui, port, {}, 99.7, QFile::encodeName(iniPath_).toStdString(), std::nullopt};
        QString offered;
        whenShown<CalculationSettingsDialog>([&offered](CalculationSettingsDialog& dialog) {
            QVERIFY(!dialog.correctBox()->isChecked());
            QTest::mouseClick(dialog.correctBox(), Qt::LeftButton, {},
                              QPoint(4, dialog.correctBox()->height() / 2));
            offered = dialog.correctionSetList()->currentText();
            dialog.abundanceList()->item(0)->setSelected(true);
            QTest::mouseClick(button(dialog, "開始"), Qt::LeftButton);
        });
        QVERIFY(RunNewCalculation(
            state, [&] { return std::optional(peaks); }, environment));
        QCOMPARE(offered, QString("Atm"));
        QCOMPARE(state.correctionSet, std::optional<std::string>("Atm"));
        QVERIFY(ui.messages.empty());

        bool reopened = false;
        whenShown<CalculationSettingsDialog>([&reopened](CalculationSettingsDialog& dialog) {
            reopened = dialog.correctBox()->isChecked() &&
                       dialog.correctionSetList()->currentText() == "Atm" &&
                       dialog.abundanceList()->item(0)->isSelected();
            dialog.reject();
        });
        RunNewCalculation(
            state, [&] { return std::optional(peaks); }, environment);
        QVERIFY(reopened);
    }

    void calculationSettingsHelpAndTickedLists() {
        CalculationSettingsForm form;
        form.labels = {"Ar36", "Ar40"};
        form.allAbundances = true;
        form.numerators = {false, true};
        form.denominators = {true, false};
        form.abundances = {true, true};
        int help = 0;
        CalculationSettingsDialog dialog(
            nullptr, form, [](CalculationSettingsForm&) { return true; },
            [&](int context) { help = context; }, {});
        QVERIFY(!dialog.abundanceList()->isEnabled());
        QVERIFY(dialog.numeratorList()->item(1)->isSelected());
        QVERIFY(!dialog.numeratorList()->item(0)->isSelected());
        button(dialog, "ヘルプ")->click();
        QCOMPARE(help, 40);
        QCOMPARE(dialog.numeratorList()->selectionMode(), QAbstractItemView::MultiSelection);
    }

    // The acceptance case of the correction editor on a fresh INI, with a refused factor and name.
    void correctionEditorRegistersAndSaves() {
        const std::string options = "[general]\r\naddeof=false\r\n";
        writeFile(iniPath_, options);
        test::ScriptedPort ui;
        CorrectionTableDialog dialog(nullptr, QFile::encodeName(iniPath_).toStdString(), ui);
        QCOMPARE(dialog.factorField()->text(), QString("0"));

        QTest::keyClicks(dialog.correctedField()->lineEdit(), "Ar40");
        QTest::keyClicks(dialog.interferingField()->lineEdit(), "Ar36");
        dialog.factorField()->setText("1,5");
        button(dialog, "登録")->click();
        QCOMPARE(dialog.entryList()->count(), 0);
        QCOMPARE(readFile(iniPath_), options);
        dialog.factorField()->setText("295.5");
        button(dialog, "登録")->click();
        QCOMPARE(itemTexts(dialog.entryList()), QStringList({"Ar40,Ar36,295.5"}));
        QCOMPARE(dialog.correctedField()->currentText(), QString("Ar40")); // typed text kept
        QCOMPARE(itemTexts(dialog.correctedField()), QStringList({"Ar40"}));

        QTest::keyClicks(dialog.setField()->lineEdit(), "peaks");
        button(dialog, "設定を保存")->click();
        dialog.setField()->lineEdit()->clear();
        QTest::keyClicks(dialog.setField()->lineEdit(), "AR");
        button(dialog, "設定を保存")->click();
        QCOMPARE(messageTexts(ui).size(), 2u);
        QCOMPARE(messageTexts(ui)[0], std::string("補正係数の値は正でなければなりません。"));
        QCOMPARE(readFile(iniPath_), options.substr(0, options.size() - 2) +
                                         "\r\ninterferance=1\r\n[peaks]\r\nitem1=Ar40\r\nitems=2"
                                         "\r\nitem2=Ar36\r\n[AR]\r\nitem1=Ar40,Ar36,295.5\r\n"
                                         "[interferance]\r\nAR=1\r\n");
        QCOMPARE(itemTexts(dialog.setField()), QStringList({"AR"}));
        QVERIFY(!dialog.editor().isModified());
        // Labels take at most 29 bytes of typing.
        QTest::keyClicks(dialog.correctedField()->lineEdit(), QString(40, 'x'));
        QCOMPARE(dialog.correctedField()->currentText().size(), 29);
    }

    // Unsaved changes: the set list and OK ask first; "No" keeps everything as it is.
    void correctionEditorAsksBeforeChangesGo() {
        writeFile(iniPath_, "[general]\r\ninterferance=1\r\n[interferance]\r\nKr=3\r\n[Kr]\r\n"
                            "item1=Kr84,Ar36,1\r\nitem2=Kr86,Ar36,2\r\nitem3=Zn,Ar36,3\r\n");
        test::ScriptedPort ui;
        CorrectionTableDialog dialog(nullptr, QFile::encodeName(iniPath_).toStdString(), ui);
        dialog.show();
        emit dialog.setField()->activated(0);
        QCOMPARE(dialog.entryList()->count(), 3);
        dialog.entryList()->item(1)->setSelected(true);
        button(dialog, "削除")->click();
        QCOMPARE(itemTexts(dialog.entryList()), QStringList({"Kr84,Ar36,1", "Zn,Ar36,3"}));

        ui.answers = {Answer::No};
        dialog.setField()->showPopup();
        QVERIFY(!dialog.setField()->view()->isVisible());
        ui.answers = {Answer::No};
        button(dialog, "OK")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(ui.messages.size(), 2u);

        dialog.setField()->setEditText("Kr");
        button(dialog, "設定を保存")->click();
        QCOMPARE(readFile(iniPath_).find("item3"), std::string::npos);
        button(dialog, "OK")->click(); // saved: no question
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ui.messages.size(), 2u);
    }

    void datNoteDialogEditsACopy() {
        DataNote note;
        note.spikeVolume = 1.23456789e-8;
        note.name = "AS-12";
        InstallDataNote(note);
        test::ScriptedPort ui;
        int help = 0;
        QtDataNotePort port(nullptr, [&](int context) { help = context; });
        bool stayedOpen = false;
        whenShown<QDialog>([&](QDialog& dialog) {
            auto& dat = static_cast<DatNoteDialog&>(dialog);
            QCOMPARE(dat.field(0)->text(), QString("AS-12"));
            QCOMPARE(dat.field(3)->text(), QString("1.2346E-008"));
            dat.field(0)->setText("試料 AS-13");
            dat.field(2)->setText("-3");
            button(dat, "OK")->click();
            stayedOpen = dat.isVisible();
            dat.field(2)->setText("12a");
            dat.field(5)->setText("0.5");
            button(dat, "ヘルプ")->click();
            button(dat, "OK")->click();
        });
        QVERIFY(EditDataNote(port, ui, {}));
        QVERIFY(stayedOpen);
        QCOMPARE(help, 118);
        QCOMPARE(messageTexts(ui), std::vector<std::string>{"スパイク番号は非負の整数です。"});
        const DataNote& edited = *currentDataNote();
        QCOMPARE(edited.name, std::string("\x8e\x8e\x97\xbf AS-13")); // code page 932
        QCOMPARE(edited.spikeId, 12);
        QCOMPARE(edited.weight, 0.5);
        QCOMPARE(edited.spikeVolume, 1.23456789e-8); // untouched: every digit kept

        whenShown<QDialog>([](QDialog& dialog) {
            static_cast<DatNoteDialog&>(dialog).field(0)->setText("changed");
            button(dialog, "ｷｬﾝｾﾙ")->click();
        });
        QVERIFY(!EditDataNote(port, ui, {}));
        QCOMPARE(currentDataNote()->name, std::string("\x8e\x8e\x97\xbf AS-13"));
    }

    void newNoteAsksForItsForm() {
        test::ScriptedPort ui;
        QtDataNotePort port(nullptr);
        whenShown<QDialog>([](QDialog& dialog) {
            auto& form = static_cast<NoteFormDialog&>(dialog);
            QVERIFY(form.datButton()->isChecked());
            form.pksButton()->click();
            button(form, "OK")->click();
            whenShown<QDialog>([](QDialog& pks) {
                auto& editor = static_cast<PksNoteDialog&>(pks);
                QCOMPARE(editor.tagField()->count(), 0);
                editor.tagField()->setEditText("Sample:");
                editor.newButton()->click();
                QTest::keyClicks(editor.bodyPane(), "AS-12");
                button(editor, "OK")->click();
            });
        });
        QVERIFY(EditDataNote(port, ui, {}));
        QCOMPARE(currentDataNote()->form, DataNoteForm::Pks);
        QCOMPARE(currentDataNote()->tags.size(), 1u);
        QCOMPARE(currentDataNote()->tags[0].text, std::string("AS-12"));
        QVERIFY(!currentDataNote()->path);
    }

    // Typing "Da" and opening the list selects Date; a text no tag begins with asks.
    void pksTagListFollowsTheTypedText() {
        std::vector<TaggedComment> comments{{"Sample", "a"}, {"Date", "b"}};
        test::ScriptedPort ui;
        PksNoteEditor editor(comments, ui, false);
        editor.open();
        PksNoteDialog dialog(nullptr, editor, {});
        QCOMPARE(dialog.tagField()->insertPolicy(), QComboBox::NoInsert);
        QVERIFY(dialog.tagField()->completer() == nullptr);
        dialog.show();
        dialog.tagField()->setEditText("Da");
        dialog.tagField()->showPopup();
        QCOMPARE(dialog.tagField()->currentIndex(), 1);
        dialog.tagField()->hidePopup();
        QCOMPARE(dialog.bodyPane()->toPlainText(), QString("a")); // chosen only on confirming

        dialog.tagField()->setEditText("X");
        ui.answers = {Answer::No};
        dialog.tagField()->showPopup();
        QVERIFY(!dialog.tagField()->view()->isVisible());
        QCOMPARE(itemTexts(dialog.tagField()), QStringList({"Sample", "Date", "X"}));
        QCOMPARE(dialog.tagField()->currentIndex(), 2);
        QCOMPARE(dialog.bodyPane()->toPlainText(), QString());
        QTest::keyClick(dialog.tagField()->lineEdit(), Qt::Key_Return);
        // Enter inserts nothing and presses OK, never a button of the dialog's body.
        QCOMPARE(dialog.tagField()->count(), 3);
        QCOMPARE(comments.size(), 3u);
        QVERIFY(!dialog.isVisible());
    }

    void viewerShowsKeysAndEdits() {
        DataNote note;
        note.name = "AS-12";
        note.spikeId = 3;
        note.spikeVolume = 1.5e-8;
        InstallDataNote(note);
        test::ScriptedPort ui;
        int help = 0;
        QtDataNotePort port(nullptr, [&](int context) { help = context; });
        whenShown<QDialog>([&](QDialog& dialog) {
            auto& viewer = static_cast<DataNoteViewerDialog&>(dialog);
            QCOMPARE(itemTexts(viewer.keyList()),
                     QStringList({"NAME", "SPIKEID", "SPIKEVOL", "SPIKEERROR", "WEIGHT", "DATE",
                                  "COMMENT"}));
            QCOMPARE(viewer.valueField()->toPlainText(), QString("AS-12"));
            QVERIFY(viewer.valueField()->isReadOnly());
            emit viewer.keyList()->activated(2);
            QCOMPARE(viewer.valueField()->toPlainText(), QString("1.5E-008"));
            button(viewer, "ヘルプ")->click();
            whenShown<QDialog>([](QDialog& dat) {
                static_cast<DatNoteDialog&>(dat).field(0)->setText("AS-99");
                button(dat, "OK")->click();
            });
            viewer.editButton()->click();
            QCOMPARE(viewer.keyList()->currentIndex(), 0);
            QCOMPARE(viewer.valueField()->toPlainText(), QString("AS-99"));
            button(viewer, "ｷｬﾝｾﾙ")->click();
        });
        QVERIFY(ShowDataNote(port, ui, {}));
        QCOMPARE(help, 139);
    }

    // Options page 2 through the main window: the grid takes the new widths at OK, Save
    // Option writes them and keeps the other sections byte for byte.
    void optionsSheetChangesTheGridAndSaveOptionWritesIt() {
        const std::string sets = "[interferance]\r\nAR=1\r\n[AR]\r\nitem1=Ar40,Ar36,295.5\r\n"
                                 "[peaks]\r\nitems=1\r\nitem1=Ar40\r\n";
        writeFile(iniPath_, sets);
        WindowFixture fixture;
        fixture.grid.AttachPeaks({PeakRecord{1.5, 2.0, 1.0, {}, "Ar40"}});
        const int widthBefore = fixture.window->width();
        whenShown<QDialog>([&](QDialog& dialog) {
            auto& sheet = static_cast<OptionsDialog&>(dialog);
            sheet.pages()->setCurrentIndex(1);
            QCOMPARE(sheet.widthField(kTimeColumn)->text(), QString("8"));
            sheet.widthField(kTimeColumn)->setText("8");
            sheet.decimalsField(kTimeColumn)->setText("2");
            sheet.widthField(kElemColumn)->setText("12");
            sheet.pages()->setCurrentIndex(3);
            button(sheet, "OK")->click();
        });
        fixture.window->runCommand(kCommandOption);
        QCOMPARE(fixture.grid.columnFormat(kTimeColumn), (ColumnFormat{8, 2}));
        QCOMPARE(fixture.grid.cellText(0, kTimeColumn), std::string("00001.50"));
        QVERIFY(fixture.window->width() > widthBefore);
        QVERIFY(fixture.port.messages.empty());

        fixture.window->runCommand(kCommandSaveOption);
        const std::string saved = readFile(iniPath_);
        QVERIFY(saved.starts_with(sets));
        QVERIFY(saved.find("time=8.2\r\n") != std::string::npos);
        QVERIFY(saved.find("elem=12\r\n") != std::string::npos);
        QVERIFY(fixture.port.messages.empty());
    }

    // The regression page's outlier filter: Save Option writes it; the settings dialog of a new
    // calculation opens with it, and the filter chosen there runs in the calculation.
    void outlierFilterFromTheOptionsToTheCalculation() {
        writeFile(iniPath_, "[regression]\r\nchklevel=99.700000\r\n");
        WindowFixture fixture;
        whenShown<QDialog>([](QDialog& dialog) {
            auto& sheet = static_cast<OptionsDialog&>(dialog);
            sheet.pages()->setCurrentIndex(2);
            OutlierFilterFields& fields = *sheet.filterFields();
            QCOMPARE(fields.ruleList()->currentIndex(), 0);
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

        test::ScriptedPort ui;
        QWidget owner;
        CalcState state;
        state.outlierFilter = {.rule = OutlierRule::Chauvenet};
        const Settings settings;
        std::string printer;
        QtCalculationPort port(ui, &owner, state, settings, printer);
        const std::vector<PeakRecord> peaks = argonPeaks();
        const CalculationEnvironment environment{
            ui, port, {}, 99.7, QFile::encodeName(iniPath_).toStdString(), std::nullopt};
        whenShown<CalculationSettingsDialog>([](CalculationSettingsDialog& dialog) {
            OutlierFilterFields& fields = *dialog.outlierFilterFields();
            QCOMPARE(fields.ruleList()->currentIndex(), 2);
            QVERIFY(!fields.iterationsField()->isEnabled());
            fields.ruleList()->setCurrentIndex(1);
            fields.factorField()->setValue(3.0);
            dialog.allAbundancesBox()->click();
            button(dialog, "開始")->click();
        });
        QVERIFY(RunCalculation(
            state, [&] { return std::optional(peaks); }, environment));
        QCOMPARE(state.outlierFilter, (OutlierFilter{OutlierRule::Sigma, 3.0, 1}));
        ReleaseCalculation(state, &port);
    }

    // Cancel after changing three pages changes nothing.
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
            sheet.pages()->setCurrentIndex(6);
            button(sheet, "ｷｬﾝｾﾙ")->click();
        });
        fixture.window->runCommand(kCommandOption);
        QVERIFY(fixture.settings == before);
        QVERIFY(fixture.grid.columnFormats() == formats);

        // OK with a wrong pair: one message, and the sheet stays open on the field; once it is
        // mended OK takes it. Leaving the page with a wrong pair says so on leaving, and the
        // OK after it once more.
        const std::string wrong = "指定されたパラメーターに誤りがあります。変更を無視ます。";
        struct Step {
            bool leaveFirst;
            std::size_t messagesAtOk;
        };
        for (const Step step : {Step{false, 1}, Step{true, 2}}) {
            fixture.port.messages.clear();
            bool stayedOnField = false;
            whenShown<QDialog>([&](QDialog& dialog) {
                auto& sheet = static_cast<OptionsDialog&>(dialog);
                sheet.pages()->setCurrentIndex(1);
                sheet.widthField(kTimeColumn)->setText("6");
                sheet.decimalsField(kTimeColumn)->setText("5");
                if (step.leaveFirst) {
                    sheet.pages()->setCurrentIndex(3);
                }
                QTest::mouseClick(button(sheet, "OK"), Qt::LeftButton);
                stayedOnField = sheet.isVisible() && sheet.pages()->currentIndex() == 1 &&
                                sheet.focusWidget() == sheet.widthField(kTimeColumn) &&
                                fixture.port.messages.size() == step.messagesAtOk;
                sheet.widthField(kTimeColumn)->setText("7");
                QTest::mouseClick(button(sheet, "OK"), Qt::LeftButton);
            });
            fixture.window->runCommand(kCommandOption);
            QVERIFY(stayedOnField);
            QCOMPARE(messageTexts(fixture.port),
                     std::vector<std::string>(step.messagesAtOk, wrong));
            QCOMPARE(fixture.grid.columnFormat(kTimeColumn), (ColumnFormat{7, 5}));
        }
    }

    void optionsGeneralPageAndFolderBrowser() {
        Settings settings;
        settings.dataDirectory = folder_.path().toStdString() + "/";
        settings.generalFlags |= GeneralFlag::ArrangeVertical;
        test::ScriptedPort ui;
        int help = 0;
        ColumnFormats formats = kBuiltInColumnFormats;
        OptionsDialog sheet(nullptr, settings, formats, ui, [&](int context) { help = context; });
        QVERIFY(sheet.arrangementButton(WindowArrangement::Stacked)->isChecked());
        QCOMPARE(sheet.directoryField()->text(), folder_.path() + "/");
        QDir(folder_.path()).mkdir("peaks");
        whenShown<QFileDialog>([&](QFileDialog& browser) {
            QCOMPARE(QDir(browser.directory()).canonicalPath(),
                     QDir(folder_.path()).canonicalPath());
            browser.selectFile(folder_.filePath("peaks"));
            static_cast<QDialog&>(browser).accept();
        });
        sheet.browseButton()->click();
        QCOMPARE(sheet.directoryField()->text(), folder_.filePath("peaks") + "/");
        sheet.arrangementButton(WindowArrangement::SideBySide)->click();
        button(sheet, "ヘルプ")->click();
        QCOMPARE(help, 42);
        sheet.pages()->setCurrentIndex(4);
        button(sheet, "ヘルプ")->click();
        QCOMPARE(help, 192);
        sheet.accept();
        Settings taken = settings;
        TakeOverOptions(sheet.sheet().workingCopy(), taken);
        QCOMPARE(taken.dataDirectory, folder_.filePath("peaks").toStdString() + "/");
        QVERIFY((taken.generalFlags &
                 (GeneralFlag::ArrangeHorizontal | GeneralFlag::ArrangeVertical)) ==
                GeneralFlags(GeneralFlag::ArrangeHorizontal));
    }

    // The four commands open their dialogs.
    void commandsOpenTheirDialogs() {
        WindowFixture fixture;
        QStringList opened;
        const auto closeNext = [&opened] {
            whenShown<QDialog>([&opened](QDialog& dialog) {
                opened << dialog.objectName();
                dialog.reject();
            });
        };
        closeNext();
        fixture.window->runCommand(kCommandCorrectionTable);
        closeNext();
        fixture.window->runCommand(kCommandOption);
        closeNext();
        fixture.window->runCommand(kCommandDataNote);
        QCOMPARE(opened, QStringList({"correctiontableeditor", "optionsheet", "noteformdialog"}));

        whenShown<QDialog>([](QDialog& form) {
            button(form, "OK")->click();
            whenShown<QDialog>([](QDialog& dat) { button(dat, "OK")->click(); });
        });
        fixture.window->runCommand(kCommandDataNote);
        QVERIFY(currentDataNote().has_value());
        QVERIFY(fixture.port.messages.empty());
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

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
