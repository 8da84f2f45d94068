#include "gui/editor/main_window.h"

#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/reduction_keeping.h"
#include "data/peak_sheet.h"
#include "document/data_note_editor.h"
#include "document/grid_settings.h"
#include "document/load_peak_file.h"
#include "document/save_peak_file.h"
#include "editor/grid_model.h"
#include "editor/sheet_clipboard.h"
#include "editor/sheet_history.h"
#include "gui/calc/correction_table_dialog.h"
#include "gui/calc/qt_calculation_port.h"
#include "gui/editor/editor_pane.h"
#include "gui/editor/grid_widget.h"
#include "gui/editor/qt_data_note_port.h"
#include "gui/editor/qt_editor_port.h"
#include "gui/results/qt_printing.h"
#include "gui/results/result_views.h"
#include "gui/settings/options_dialog.h"
#include "gui/shell/about_box.h"
#include "gui/shell/resources.h"
#include "gui/shell/show_help.h"
#include "platform/codepage.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/user_interface_port.h"
#include "results/peak_list_printing.h"
#include "results/print_jobs.h"
#include "results/printer_selection.h"
#include "settings/settings.h"
#include "shell/file_drop.h"
#include "shell/help_document.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <array>
#include <utility>

namespace tarnova::gui {
namespace {

constexpr const char* kSaveQuestion = "データは変更後保存されていません。保存しますか？";

// Width and height of a window border line.
constexpr int kBorder = 1;

constexpr int kCoverHelpContext = 1;
constexpr int kMainWindowHelpContext = 39;
constexpr int kQandAHelpContext = 51;

// The run-log line each command writes before it acts; the correction table editor writes none.
constexpr std::array<std::pair<int, const char*>, 27> kCommandLogLines{{
    {kCommandNew, "NEWDATA command"},
    {kCommandOpen, "OPENFILE command"},
    {kCommandSave, "SAVEFILE command"},
    {kCommandSaveAs, "SAVEFILEAS command"},
    {kCommandPrinterSetup, "PRINTERROPT command"},
    {kCommandPrint, "PRINT command"},
    {kCommandQuit, "QUIT command"},
    {kCommandCalc, "CALC command"},
    {kCommandOption, "OPTION command"},
    {kCommandDataNote, "DATANOTE comamnd"},
    {kCommandRemoveResult, "REMOVERESULT command"},
    {kCommandSort, "SORTDATA command"},
    {kCommandJumpTo, "JUMPTO command"},
    {kCommandAbout, "ABOUT command"},
    {kCommandHelpIndex, "HELPINDEX command"},
    {kCommandHelpTopics, "HELPTOPICS command"},
    {kCommandHelpCover, "HELPCOVER command"},
    {kCommandHelpForHelp, "HELPFORHELP command"},
    {kCommandHelpQandA, "HELPQANDA command"},
    {kCommandSaveOption, "SAVEOPTION command"},
    {kCommandInsertLine, "INSERTLINE command"},
    {kCommandDeleteLine, "DELETELINE command"},
    {kCommandCorrectionTable, nullptr},
    {kCommandUndo, "UNDO command"},
    {kCommandRedo, "REDO command"},
    {kCommandCopy, "COPY command"},
    {kCommandPaste, "PASTE command"},
}};

} // namespace

QEvent::Type MainWindow::recalcEventType() {
    static const auto type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 0x401));
    return type;
}

MainWindow::MainWindow(MainWindowContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
    initResources();
    setObjectName("tnveditwindow");
    setWindowTitle("Tarnova:");
    setWindowIcon(QIcon(":/tarnova.svg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildMenus();

    pane_ = new EditorPane(this);
    setCentralWidget(pane_);
    grid_ = new GridWidget(context_.grid);
    pane_->setGrid(grid_);
    calculationPort_ = std::make_unique<QtCalculationPort>(context_.port, this,
                                                           context_.calculation, context_.settings);
    printing_ = std::make_unique<QtPrinting>(this, context_.port);
    calculationPort_->setPrintJobs(
        [this] { return PrintPeakList(printing_->environment(), context_.grid) == 1; },
        [this] {
            CalcState& calculation = context_.calculation;
            if (!calculation.results) {
                return false;
            }
            const std::optional<DataNote>& note = currentDataNote();
            return MakeReports(printing_->environment(), *calculation.results,
                               note ? &*note : nullptr, calculation.calcFlags,
                               context_.settings.resultFlags, context_.settings.reportFlags,
                               printing_->askReportOptions(), calculation.peaks) == 1;
        });
    const auto showHelp = [this](int helpContext) {
        ShowHelp(context_.port, kHelpContext, helpContext);
    };
    dialogs_ = std::make_unique<QtEditorPort>(this, showHelp);
    notePort_ = std::make_unique<QtDataNotePort>(this, showHelp);
    setFixedSize(editorWindowSize());

    LogLine("Grid sheet is created.");
    setAcceptDrops(true);
    LogLine("File drop is acceptable.");
    grid_->setFocus();
}

MainWindow::~MainWindow() = default;

ResultViews& MainWindow::resultViews() const {
    return calculationPort_->resultViews();
}

QAction* MainWindow::action(int command) const {
    for (const auto& [id, action] : actions_) {
        if (id == command) {
            return action;
        }
    }
    return nullptr;
}

QAction* MainWindow::addCommand(QMenu* menu, const char* label, int command,
                                const QKeySequence& shortcut) {
    auto* action = menu->addAction(QString::fromUtf8(label));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    actions_.emplace_back(command, action);
    return action;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    addCommand(file, "&New", kCommandNew, QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(file, "&Open", kCommandOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(file, "&Save", kCommandSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(file, "Save &As", kCommandSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addCommand(file, "P&rinter Setup", kCommandPrinterSetup);
    addCommand(file, "&Print", kCommandPrint, QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    addCommand(file, "&Quit", kCommandQuit, QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Undo and redo of every change to the sheet, and the sheet as text for spreadsheets.
    QMenu* edit = menuBar()->addMenu("&Edit");
    addCommand(edit, "&Undo", kCommandUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    addCommand(edit, "&Redo", kCommandRedo, QKeySequence(Qt::CTRL | Qt::Key_Y))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    addCommand(edit, "&Copy", kCommandCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(edit, "&Paste", kCommandPaste, QKeySequence(Qt::CTRL | Qt::Key_V));

    QMenu* dataMenu = menuBar()->addMenu("&Data");
    addCommand(dataMenu, "&Regression", kCommandCalc, QKeySequence(Qt::CTRL | Qt::Key_G));
    addCommand(dataMenu, "Data &Note", kCommandDataNote, QKeySequence(Qt::CTRL | Qt::Key_H));
    addCommand(dataMenu, "Remove Result(&X)", kCommandRemoveResult,
               QKeySequence(Qt::CTRL | Qt::Key_X));
    dataMenu->addSeparator();
    addCommand(dataMenu, "&Insert Line", kCommandInsertLine, QKeySequence(Qt::CTRL | Qt::Key_I));
    addCommand(dataMenu, "&Delete Line", kCommandDeleteLine, QKeySequence(Qt::CTRL | Qt::Key_D));
    dataMenu->addSeparator();
    addCommand(dataMenu, "&Sort", kCommandSort, QKeySequence(Qt::CTRL | Qt::Key_A));
    addCommand(dataMenu, "&Jump To...", kCommandJumpTo, QKeySequence(Qt::CTRL | Qt::Key_J));

    QMenu* option = menuBar()->addMenu("&Option");
    addCommand(option, "&Edit Interfering Peak Correction Table", kCommandCorrectionTable);
    addCommand(option, "&Option", kCommandOption);
    addCommand(option, "&Save Option", kCommandSaveOption);

    // The Help menu stands at the right end of the menu bar.
    auto* helpBar = new QMenuBar(menuBar());
    helpBar->setObjectName("helpmenubar");
    helpMenu_ = helpBar->addMenu("&Help");
    addCommand(helpMenu_, "&Index", kCommandHelpIndex);
    addCommand(helpMenu_, "&Topic", kCommandHelpTopics, QKeySequence(Qt::Key_F1));
    addCommand(helpMenu_, "&Cover", kCommandHelpCover);
    addCommand(helpMenu_, "&Q&&A", kCommandHelpQandA);
    addCommand(helpMenu_, "&Help", kCommandHelpForHelp);
    helpMenu_->addSeparator();
    addCommand(helpMenu_, "&About Tarnova", kCommandAbout);
    menuBar()->setCornerWidget(helpBar, Qt::TopRightCorner);
}

QSize MainWindow::editorWindowSize() {
    LogLine("Calicurating the size of editor.");
    int widthSum = 0;
    for (int column = 0; column < kGridColumnCount; ++column) {
        int decimals = 0;
        const int width = context_.grid.GetColumnFormat(column, decimals);
        LogLine(formatText("%d: %d/%d", column, width, decimals));
        widthSum += width;
    }
    const int cx = pane_->cx();
    const int cy = pane_->cy();
    const QStyle* style = this->style();
    const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int edge = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int caption = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int menu = menuBar()->sizeHint().height();
    const QRect desktop = screen() ? screen()->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const int width =
        std::min(cx * (widthSum + 7) + scrollBar + 2 * edge + 2 * kBorder, desktop.width());
    const int height =
        std::min(26 * cy + 6 * kBorder + caption + menu + 2 * edge, desktop.height());
    LogLine(formatText("Window size is (%d, %d).", width, height));
    // The window manager draws the caption outside the window's own area.
    return {width, height - caption};
}

void MainWindow::loadStartupFile() {
    auto& note = currentDataNote();
    if (!note || !note->path) {
        return;
    }
    const std::string path = *note->path;
    ReleaseDataNote();
    LogLine("File is loaded.");
    loadFile(path);
}

void MainWindow::loadFile(const std::optional<std::string>& path) {
    LoadPeakFile(context_.port, context_.files, context_.grid, context_.settings, path);
}

bool MainWindow::saveSheet(bool askForName) {
    const auto& note = currentDataNote();
    const std::optional<std::string> path = askForName || !note ? std::nullopt : note->path;
    // The exclusions, methods and filter of the calculation, or those the file came with.
    const StoredReduction reduction =
        ReductionToStore(context_.calculation, note ? &*note : nullptr);
    const bool saved = SavePeakFile(context_.port, context_.files, context_.grid, context_.settings,
                                    path, reduction);
    // The result views are named after the measurement, which may have a new name now.
    calculationPort_->resultViews().retitle();
    return saved;
}

bool MainWindow::maySheetBeReplaced() {
    // Points disabled or enabled since the file was saved are a change of the measurement too.
    const std::optional<DataNote>& note = currentDataNote();
    const DataNote* stored = note ? &*note : nullptr;
    const bool reductionChanged =
        !SameReduction(ReductionToStore(context_.calculation, stored),
                       stored != nullptr ? StoredReductionOf(*stored) : StoredReduction{});
    if ((context_.grid.IsModified() & kSheetModified) == 0 && !reductionChanged) {
        return true;
    }
    switch (context_.port.ask("Tarnova", kSaveQuestion, QuestionButtons::YesNoCancel)) {
    case Answer::Yes:
        return saveSheet(false);
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void MainWindow::releaseCalculation() {
    ReleaseCalculation(context_.calculation, calculationPort_.get());
}

void MainWindow::runCalculation(bool fresh) {
    const CalculationEnvironment environment{context_.port,
                                             *calculationPort_,
                                             context_.settings.generalFlags,
                                             context_.settings.testLevel,
                                             settingsFilePath(),
                                             context_.settings.regressionMethod};
    CalcState& calculation = context_.calculation;
    if (fresh || calculation.calcFlags == 0) {
        // A new calculation starts with the options' outlier filter; the one kept when it is
        // cancelled keeps its own.
        const OutlierFilter kept =
            std::exchange(calculation.outlierFilter, context_.settings.outlierFilter);
        if (RunNewCalculation(calculation, context_.grid, environment) == 0 &&
            calculation.calcFlags != 0) {
            calculation.outlierFilter = kept;
        }
        return;
    }
    RunCalculation(calculation, context_.grid, environment);
}

void MainWindow::showOptions() {
    OptionsDialog sheet(
        this, context_.settings, context_.grid.columnFormats(), context_.port,
        [this](int helpContext) { ShowHelp(context_.port, kHelpContext, helpContext); });
    if (sheet.exec() != QDialog::Accepted) {
        return;
    }
    ApplyOptions(sheet.sheet().workingCopy(), context_.settings, context_.grid);
    setFixedSize(editorWindowSize());
    grid_->viewport()->update();
    pane_->update();
}

void MainWindow::editDataNote() {
    EditDataNote(*notePort_, context_.port, context_.settings.generalFlags);
}

void MainWindow::editCorrectionTable() {
    CorrectionTableDialog editor(this, settingsFilePath(), context_.port);
    editor.exec();
}

void MainWindow::showAbout() {
    auto* about = new AboutBox(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::copySheet() {
    const std::string text = CopySheetText(context_.grid);
    QGuiApplication::clipboard()->setText(QString::fromStdString(cp932ToUtf8(text)));
}

void MainWindow::pasteRows() {
    const QString text = QGuiApplication::clipboard()->text();
    PasteSheetText(context_.grid, utf8ToCp932(text.toStdString()));
}

void MainWindow::runCommand(int command) {
    const auto entry = std::find_if(kCommandLogLines.begin(), kCommandLogLines.end(),
                                    [command](const auto& row) { return row.first == command; });
    if (entry == kCommandLogLines.end()) {
        LogLine("Unknown command");
        return;
    }
    if (entry->second != nullptr) {
        LogLine(entry->second);
    }
    switch (command) {
    case kCommandNew:
        if (maySheetBeReplaced()) {
            context_.grid.NewSheet();
            ReleaseDataNote();
            releaseCalculation();
            context_.files.setWindowTitle("Tarnova:");
        }
        break;
    case kCommandOpen:
        if (maySheetBeReplaced()) {
            loadFile(std::nullopt);
            releaseCalculation();
        }
        break;
    case kCommandSave:
        saveSheet(false);
        break;
    case kCommandSaveAs:
        saveSheet(true);
        break;
    case kCommandQuit:
        close();
        break;
    case kCommandSort:
        grid_->sortRows(*dialogs_);
        break;
    case kCommandJumpTo:
        grid_->jumpTo(*dialogs_);
        break;
    case kCommandCalc:
        // The calculation before stays until the new one's settings are confirmed.
        runCalculation(true);
        break;
    case kCommandRemoveResult:
        releaseCalculation();
        break;
    case kCommandPrinterSetup:
        ChoosePrinter(printing_->environment());
        break;
    case kCommandPrint:
        PrintPeakList(printing_->environment(), context_.grid);
        break;
    case kCommandOption:
        showOptions();
        break;
    case kCommandDataNote:
        editDataNote();
        break;
    case kCommandCorrectionTable:
        editCorrectionTable();
        break;
    case kCommandAbout:
        showAbout();
        break;
    case kCommandHelpIndex:
        ShowHelp(context_.port, kHelpFinder, 0);
        break;
    case kCommandHelpTopics:
        ShowHelp(context_.port, kHelpContext, kMainWindowHelpContext);
        break;
    case kCommandHelpCover:
        ShowHelp(context_.port, kHelpContext, kCoverHelpContext);
        break;
    case kCommandHelpForHelp:
        ShowHelp(context_.port, kHelpOnHelp, 0);
        break;
    case kCommandHelpQandA:
        ShowHelp(context_.port, kHelpContext, kQandAHelpContext);
        break;
    case kCommandSaveOption: {
        // The methods chosen for records of the calculation are kept with the options.
        Settings saved = context_.settings;
        if (context_.calculation.calcFlags != 0) {
            saved.methodChoices = context_.calculation.fitChoices.byName;
        }
        SaveOptions(saved, context_.grid, settingsFilePath(), context_.port);
        break;
    }
    case kCommandInsertLine:
        grid_->insertLine();
        break;
    case kCommandDeleteLine:
        grid_->deleteLine();
        break;
    case kCommandUndo:
        UndoSheetChange(context_.grid);
        break;
    case kCommandRedo:
        RedoSheetChange(context_.grid);
        break;
    case kCommandCopy:
        copySheet();
        break;
    case kCommandPaste:
        pasteRows();
        break;
    default:
        break;
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && grid_) {
        grid_->setFocus();
    }
    if (event->type() == recalcEventType()) {
        LogLine("RECALC command");
        runCalculation(false);
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!maySheetBeReplaced()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    dropFiles(paths);
}

void MainWindow::dropFiles(const std::vector<std::string>& paths) {
    FileDropHooks hooks;
    hooks.mayReplaceSheet = [this] { return maySheetBeReplaced(); };
    hooks.loadFile = [this](const std::string& path) { loadFile(path); };
    hooks.startInstance = context_.startInstance;
    ProcessDroppedFiles(paths, loadPath(), hooks, context_.port);
}

} // namespace tarnova::gui
