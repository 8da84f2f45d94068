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

// The titles of the menus, in the order of MainMenu.
constexpr std::array<const char*, 5> kMenuTitles{"&File", "&Edit", "&Data", "&Option", "&Help"};

} // namespace

QEvent::Type MainWindow::recalcEventType() {
    static const auto type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 0x401));
    return type;
}

std::span<const MainWindowCommand> MainWindow::commands() {
    using Menu = MainMenu;
    using Window = MainWindow;
    constexpr QKeyCombination none;
    constexpr auto ctrl = [](Qt::Key key) { return Qt::CTRL | key; };
    constexpr auto ctrlShift = [](Qt::Key key) { return Qt::CTRL | Qt::SHIFT | key; };
    // "DATANOTE comamnd" keeps its misspelling: scripts that read the run log look for it.
    // clang-format off
    static const std::array<MainWindowCommand, 27> table{{
        {kCommandNew, Menu::File, "&New", false, {ctrl(Qt::Key_N)}, "NEWDATA command",
            [](Window& window) { window.newSheet(); }},
        {kCommandOpen, Menu::File, "&Open", false, {ctrl(Qt::Key_O)}, "OPENFILE command",
            [](Window& window) { window.openSheet(); }},
        {kCommandSave, Menu::File, "&Save", false, {ctrl(Qt::Key_S)}, "SAVEFILE command",
            [](Window& window) { window.saveSheet(false); }},
        {kCommandSaveAs, Menu::File, "Save &As", false, {ctrlShift(Qt::Key_S)},
            "SAVEFILEAS command", [](Window& window) { window.saveSheet(true); }},
        {kCommandPrinterSetup, Menu::File, "P&rinter Setup", false, {none}, "PRINTERROPT command",
            [](Window& window) { ChoosePrinter(window.printing_->environment()); }},
        {kCommandPrint, Menu::File, "&Print", false, {ctrl(Qt::Key_P)}, "PRINT command",
            [](Window& window) { window.printPeakList(); }},
        {kCommandQuit, Menu::File, "&Quit", true, {ctrl(Qt::Key_Q)}, "QUIT command",
            [](Window& window) { window.close(); }},
        // Undo and redo of every change to the sheet, and the sheet as text for spreadsheets.
        {kCommandUndo, Menu::Edit, "&Undo", false, {ctrl(Qt::Key_Z)}, "UNDO command",
            [](Window& window) { UndoSheetChange(window.context_.grid); }},
        {kCommandRedo, Menu::Edit, "&Redo", false, {ctrl(Qt::Key_Y), ctrlShift(Qt::Key_Z)},
            "REDO command", [](Window& window) { RedoSheetChange(window.context_.grid); }},
        {kCommandCopy, Menu::Edit, "&Copy", true, {ctrl(Qt::Key_C)}, "COPY command",
            [](Window& window) { window.copySheet(); }},
        {kCommandPaste, Menu::Edit, "&Paste", false, {ctrl(Qt::Key_V)}, "PASTE command",
            [](Window& window) { window.pasteRows(); }},
        // The calculation before stays until the new one's settings are confirmed.
        {kCommandCalc, Menu::Data, "&Regression", false, {ctrl(Qt::Key_G)}, "CALC command",
            [](Window& window) { window.runCalculation(true); }},
        {kCommandDataNote, Menu::Data, "Data &Note", false, {ctrl(Qt::Key_H)}, "DATANOTE comamnd",
            [](Window& window) { window.editDataNote(); }},
        {kCommandRemoveResult, Menu::Data, "Remove Result(&X)", false, {ctrl(Qt::Key_X)},
            "REMOVERESULT command", [](Window& window) { window.releaseCalculation(); }},
        {kCommandInsertLine, Menu::Data, "&Insert Line", true, {ctrl(Qt::Key_I)},
            "INSERTLINE command", [](Window& window) { window.grid_->insertLine(); }},
        {kCommandDeleteLine, Menu::Data, "&Delete Line", false, {ctrl(Qt::Key_D)},
            "DELETELINE command", [](Window& window) { window.grid_->deleteLine(); }},
        {kCommandSort, Menu::Data, "&Sort", true, {ctrl(Qt::Key_A)}, "SORTDATA command",
            [](Window& window) { window.grid_->sortRows(*window.dialogs_); }},
        {kCommandJumpTo, Menu::Data, "&Jump To...", false, {ctrl(Qt::Key_J)}, "JUMPTO command",
            [](Window& window) { window.grid_->jumpTo(*window.dialogs_); }},
        {kCommandCorrectionTable, Menu::Option, "&Edit Interfering Peak Correction Table", false,
            {none}, nullptr, [](Window& window) { window.editCorrectionTable(); }},
        {kCommandOption, Menu::Option, "&Option", false, {none}, "OPTION command",
            [](Window& window) { window.showOptions(); }},
        {kCommandSaveOption, Menu::Option, "&Save Option", false, {none}, "SAVEOPTION command",
            [](Window& window) { window.saveOptions(); }},
        {kCommandHelpIndex, Menu::Help, "&Index", false, {none}, "HELPINDEX command",
            [](Window& window) { ShowHelp(window.context_.port, kHelpFinder, 0); }},
        {kCommandHelpTopics, Menu::Help, "&Topic", false, {QKeyCombination(Qt::Key_F1)},
            "HELPTOPICS command", [](Window& window) { window.showHelp(kMainWindowHelpContext); }},
        {kCommandHelpCover, Menu::Help, "&Cover", false, {none}, "HELPCOVER command",
            [](Window& window) { window.showHelp(kCoverHelpContext); }},
        {kCommandHelpQandA, Menu::Help, "&Q&&A", false, {none}, "HELPQANDA command",
            [](Window& window) { window.showHelp(kQandAHelpContext); }},
        {kCommandHelpForHelp, Menu::Help, "&Help", false, {none}, "HELPFORHELP command",
            [](Window& window) { ShowHelp(window.context_.port, kHelpOnHelp, 0); }},
        {kCommandAbout, Menu::Help, "&About Tarnova", true, {none}, "ABOUT command",
            [](Window& window) { window.showAbout(); }},
    }};
    // clang-format on
    return table;
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
    calculationPort_ = std::make_unique<QtCalculationPort>(
        context_.port, this, context_.calculation, context_.settings, context_.printer);
    printing_ = std::make_unique<QtPrinting>(this, context_.port, context_.printer);
    calculationPort_->setPrintJobs(
        [this] { return PrintPeakList(printing_->environment(), context_.grid); },
        [this] {
            CalcState& calculation = context_.calculation;
            if (!calculation.results) {
                return false;
            }
            const std::optional<DataNote>& note = currentDataNote();
            return MakeReports(printing_->environment(), *calculation.results,
                               note ? &*note : nullptr, calculation.calcFlags,
                               context_.settings.resultFlags, context_.settings.reportFlags,
                               printing_->askReportOptions(), calculation.peaks);
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

void MainWindow::buildMenus() {
    std::array<QMenu*, kMenuTitles.size()> menus{};
    for (std::size_t menu = 0; menu < kMenuTitles.size(); ++menu) {
        if (static_cast<MainMenu>(menu) != MainMenu::Help) {
            menus[menu] = menuBar()->addMenu(kMenuTitles[menu]);
        }
    }
    // The Help menu stands at the right end of the menu bar.
    auto* helpBar = new QMenuBar(menuBar());
    helpBar->setObjectName("helpmenubar");
    helpMenu_ = helpBar->addMenu(kMenuTitles[static_cast<std::size_t>(MainMenu::Help)]);
    menus[static_cast<std::size_t>(MainMenu::Help)] = helpMenu_;
    for (const MainWindowCommand& command : commands()) {
        QMenu* menu = menus[static_cast<std::size_t>(command.menu)];
        if (command.separatorBefore) {
            menu->addSeparator();
        }
        auto* action = menu->addAction(QString::fromUtf8(command.label));
        QList<QKeySequence> shortcuts;
        for (const QKeyCombination keys : command.shortcuts) {
            if (keys != QKeyCombination()) {
                shortcuts << QKeySequence(keys);
            }
        }
        action->setShortcuts(shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_.emplace_back(id, action);
    }
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
    const StoredReduction reduction = ReductionToStore(
        context_.calculation, note ? &*note : nullptr, context_.settings.outlierFilter);
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
    const bool reductionChanged = !SameReduction(
        ReductionToStore(context_.calculation, stored, context_.settings.outlierFilter),
        stored != nullptr ? StoredReductionOf(*stored) : StoredReduction{});
    if (!context_.grid.IsModified() && !reductionChanged) {
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
    if (fresh || calculation.calcFlags.none()) {
        // A new calculation starts with the options' outlier filter; the one kept when it is
        // cancelled keeps its own.
        const OutlierFilter kept =
            std::exchange(calculation.outlierFilter, context_.settings.outlierFilter);
        if (!RunNewCalculation(calculation, context_.grid, environment) &&
            calculation.calcFlags.any()) {
            calculation.outlierFilter = kept;
        }
        return;
    }
    RunCalculation(calculation, context_.grid, environment);
}

void MainWindow::newSheet() {
    if (maySheetBeReplaced()) {
        context_.grid.NewSheet();
        ReleaseDataNote();
        releaseCalculation();
        context_.files.setWindowTitle("Tarnova:");
    }
}

void MainWindow::openSheet() {
    if (maySheetBeReplaced()) {
        loadFile(std::nullopt);
        releaseCalculation();
    }
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

void MainWindow::saveOptions() {
    // The methods chosen for records of the calculation are kept with the options.
    Settings saved = context_.settings;
    if (context_.calculation.calcFlags.any()) {
        saved.methodChoices = context_.calculation.fitChoices.byName;
    }
    SaveOptions(saved, context_.grid, settingsFilePath(), context_.port);
}

void MainWindow::printPeakList() {
    PrintPeakList(printing_->environment(), context_.grid);
}

void MainWindow::showHelp(int helpContext) {
    ShowHelp(context_.port, kHelpContext, helpContext);
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
    const std::span<const MainWindowCommand> table = commands();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [command](const auto& row) { return row.id == command; });
    if (entry == table.end()) {
        LogLine("Unknown command");
        return;
    }
    if (entry->logLine != nullptr) {
        LogLine(entry->logLine);
    }
    entry->run(*this);
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
