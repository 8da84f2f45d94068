// The main window: the menu, the strip of column labels above the peak editor grid, the command
// table, the save question on closing, dropped files and the recalculation request.
#pragma once

#include "shell/instance_starter.h"

#include <QEvent>
#include <QKeyCombination>
#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace tarnova {
struct CalcState;
class FilePort;
class GridModel;
struct Settings;
class UserInterfacePort;
} // namespace tarnova

namespace tarnova::gui {

class EditorPane;
class GridWidget;
class QtCalculationPort;
class ResultViews;
class QtDataNotePort;
class QtEditorPort;
class QtPrinting;

// Menu and accelerator commands of the main window.
enum MainCommand : int {
    kCommandNew = 40001,
    kCommandOpen = 40002,
    kCommandSave = 40003,
    kCommandSaveAs = 40004,
    kCommandPrinterSetup = 40005,
    kCommandPrint = 40006,
    kCommandQuit = 40007,
    kCommandCalc = 40008,
    kCommandOption = 40009,
    kCommandDataNote = 40013,
    kCommandRemoveResult = 40014,
    kCommandSort = 40015,
    kCommandJumpTo = 40016,
    kCommandAbout = 40017,
    kCommandHelpIndex = 40018,
    kCommandHelpTopics = 40019,
    kCommandHelpCover = 40020,
    kCommandHelpForHelp = 40021,
    kCommandHelpQandA = 40022,
    kCommandSaveOption = 40023,
    kCommandInsertLine = 40041,
    kCommandCorrectionTable = 40046,
    kCommandUndo = 40060,
    kCommandRedo = 40061,
    kCommandCopy = 40062,
    kCommandPaste = 40063,
    kCommandDeleteLine = 101,
};

class MainWindow;

// The menus of the main window; Help stands apart at the right end of the menu bar.
enum class MainMenu { File, Edit, Data, Option, Help };

// One command of the main window: where it stands in the menus, its shortcuts, the run-log line
// it writes before it acts (none where null) and what it does. The menus, the log lines and the
// commands' tests are made from the table of these; a new command is one more entry.
struct MainWindowCommand {
    MainCommand id;
    MainMenu menu;
    const char* label;
    // A separator stands above the command in its menu.
    bool separatorBefore;
    std::array<QKeyCombination, 2> shortcuts;
    const char* logLine;
    void (*run)(MainWindow& window);
};

// What the main window works with; all of it outlives the window.
struct MainWindowContext {
    GridModel& grid;
    Settings& settings;
    // The calculation's peak list, element list and results.
    CalcState& calculation;
    // Messages and questions; the GUI passes a Qt port owned by this window.
    UserInterfacePort& port;
    // The open, save and format-decision dialogs and the window title.
    FilePort& files;
    // Starts further processes for dropped files.
    InstanceStarter startInstance;
    // The printer chosen for every print job of the run (empty: none yet).
    std::string& printer;
};

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    // The event by which the result windows ask for the calculation to be run again.
    static QEvent::Type recalcEventType();

    // The command table, in menu order.
    static std::span<const MainWindowCommand> commands();

    explicit MainWindow(MainWindowContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the file that start-up left in the data note; called once the window's dialogs have
    // their owner.
    void loadStartupFile();
    // Runs one command of the command table; every command logs its line first.
    void runCommand(int command);
    // Handles dropped files (paths as the file system gives them).
    void dropFiles(const std::vector<std::string>& paths);
    // The window's fixed size for the current column formats, with its log lines.
    QSize editorWindowSize();
    GridWidget* grid() const { return grid_; }
    QMenu* helpMenu() const { return helpMenu_; }
    QAction* action(int command) const;
    // The result and graph windows of the calculation.
    ResultViews& resultViews() const;

  signals:
    // The window accepted its close request; the program ends.
    void closed();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    // New and Open: the save question first, then an empty sheet or the file chosen.
    void newSheet();
    void openSheet();
    // The save question when the sheet has unsaved changes. True when the caller may go on.
    bool maySheetBeReplaced();
    bool saveSheet(bool askForName);
    // Loads path, or the file the open dialog asks for.
    void loadFile(const std::optional<std::string>& path);
    void releaseCalculation();
    // CALC (fresh: a new calculation that replaces the old one once confirmed) or RECALC.
    void runCalculation(bool fresh);
    void showAbout();
    void printPeakList();
    // The help topic of a context number.
    void showHelp(int helpContext);
    void copySheet();
    void pasteRows();
    // The commands of the dialogs: Option, Save Option, Data Note and the correction table.
    void showOptions();
    void saveOptions();
    void editDataNote();
    void editCorrectionTable();

    MainWindowContext context_;
    EditorPane* pane_ = nullptr;
    GridWidget* grid_ = nullptr;
    std::unique_ptr<QtEditorPort> dialogs_;
    std::unique_ptr<QtCalculationPort> calculationPort_;
    std::unique_ptr<QtDataNotePort> notePort_;
    std::unique_ptr<QtPrinting> printing_;
    QMenu* helpMenu_ = nullptr;
    std::vector<std::pair<int, QAction*>> actions_;
};

} // namespace tarnova::gui
