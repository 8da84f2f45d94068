// What the result window and the graph window share: their command table, from which both
// windows make their menus and keys and by which they run and log their commands; the Sheet
// menu with its sheet entries and "一覧", the show-sheet event by which the other window or the
// calculation asks for a sheet, the data-point, undo and regression commands, Show Note and the
// Help menu.
#pragma once

#include "gui/platform/qt_port.h"
#include "results/sheet_navigation.h"
#include "results/view_link.h"

#include <QEvent>
#include <QKeyCombination>
#include <QMainWindow>
#include <QSize>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

class QAction;
class QMenu;

namespace tarnova {
struct RegressionResult;
}

namespace tarnova::gui {

class ResultViews;

// Menu commands of the result views.
enum ResultViewCommand : int {
    kViewClose = 8,
    kViewSaveAs = 40004,
    kViewPrint = 40006,
    kViewAbout = 40017,
    kViewHelpIndex = 40018,
    kViewHelpTopics = 40019,
    kViewHelpCover = 40020,
    kViewHelpForHelp = 40021,
    kViewHelpQandA = 40022,
    kViewMakeReport = 40024,
    kViewMakeReportForAll = 40025,
    kViewCopy = 40027, // the result window's "This sheet", the graph window's "Copy"
    kViewShowNote = 40028,
    kViewCopyAllSheets = 40029,
    kViewShowOther = 40030, // "Show Graph", "Show Data"
    kViewCopyDataPoints = 40031,
    kViewToggle = 40032,
    kViewTop = 40033,
    kViewPrevious = 40034,
    kViewNext = 40035,
    kViewBottom = 40036,
    kViewRedoCalculation = 40038,
    kViewUpdateAll = 40040,
    kViewCoefficientTest = 40042,
    kViewAngularityTest = 40043,
    kViewPrintAll = 40044,
    kViewEnableAll = 40045,
    kViewUndo = 40046,
    kViewRedo = 40047,
    kViewExclusions = 40048,
    kViewFilterOutliers = 40049, // Edit -> Data Points: the outlier filter run on the sheet
    kViewSheetList = 40099,
    kViewFirstMethod = 40120, // Edit -> Regression: one command per regression method
    kViewFirstSheet = 40100,  // to kViewFirstSheet + 8: the sheet entries
};

class ResultViewWindow;

// Which of the two windows offers a command.
enum class ViewWindows : unsigned char { Result = 0x1, Graph = 0x2, Both = 0x3 };

// How a command's menu entries are made.
enum ViewEntry : unsigned {
    kEntryPlain = 0,
    // A separator stands before the entry, or before its submenu when the entry opens it.
    kEntryGroup = 0x1,
    kEntryCheckable = 0x2,
    // One entry per slot of the Sheet menu (ids id to id + 8), labelled by the sheets.
    kEntryPerSheet = 0x4,
    // One entry per regression method (ids id + the method's index), labelled by its name.
    kEntryPerMethod = 0x8,
    // Only while the table has more sheets than the Sheet menu lists ("一覧").
    kEntryManySheets = 0x10,
};

// One command of the result views. The menus are made from the table in its order: a row opens
// its menu (and the menus on its path) where the menu is first named.
struct ViewCommand {
    int id;
    ViewWindows windows;
    const char* menu;  // the menu's path from the menu bar, submenus after "/": "&Edit/Regression"
    const char* label; // UTF-8; none for the entries labelled by sheets or methods
    QKeyCombination key = {}; // Qt::Key_unknown: no key
    QKeyCombination otherKey = {};
    const char* logLine = nullptr; // the run-log line written before the command acts
    void (*run)(ResultViewWindow& window, int id) = nullptr;
    unsigned entry = kEntryPlain;

    bool offeredBy(ViewWindows window) const {
        return (static_cast<unsigned>(windows) & static_cast<unsigned>(window)) != 0;
    }
    // The ids of the command's entries: one, or one per sheet slot or method.
    int idCount() const;
};

class ResultViewWindow : public QMainWindow, public ResultView {
    Q_OBJECT

  public:
    // The commands of both windows, in menu order.
    static std::span<const ViewCommand> commands();

    // The show-sheet event; it carries a sheet number.
    static QEvent::Type showSheetEventType();

    ~ResultViewWindow() override;

    int currentSheet() const override { return navigator_.currentSheet(); }
    void postShowSheet(int sheet) override;
    void repaintNow() override;

    // Runs one menu command after its run-log line; commands of the other window and unknown
    // ones are ignored.
    void runCommand(int command);
    // Which of the two windows this is.
    ViewWindows kind() const;
    // Greys Undo and Redo when there is nothing to undo or redo.
    void updateHistoryCommands();
    // SelectSheet: shows sheet when it is one of the table; the other window follows when the
    // option correspondent is set.
    void selectSheet(int sheet);

    QAction* action(int command) const;
    QMenu* sheetMenu() const { return sheetMenu_; }
    // The area the sheet or the graph is drawn in.
    virtual QWidget* canvas() const = 0;

  protected:
    // unnamed: whether sheets without a name get menu entries; helpTopic: the context of Topic;
    // field: the window's field in the link, which it clears when it closes.
    ResultViewWindow(ResultViews& views, UnnamedSheets unnamed, int helpTopic,
                     ResultView* ViewLink::*field, QWidget* parent);

    // The menu bar and the keys of the window's commands.
    void buildMenus();
    // Sizes the window so that its drawing area measures the given numbers of average
    // character widths and line heights of the drawing font, or content where that is larger,
    // as far as the screen has room.
    void sizeDrawingArea(int widthUnits, int heightUnits, QSize content = {});

    // The record of the current sheet, or none.
    RegressionResult* currentRecord() const;
    // Called when another sheet became the current one, before the window is redrawn.
    virtual void sheetShown() {}

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    ResultViews& views_;
    QtPort port_{this};

  private:
    QAction* addCommand(QMenu* menu, const QString& label, int command, const ViewCommand& row);
    void showSlot(int slot);
    void afterSheetShown();
    void relabelSheetMenu();
    void chooseFromSheetList();
    void toggleDataPoints();
    void showExclusions();
    // Update All excluding disabled, one step of undo and redo.
    void updateAll();
    // A method of Edit -> Regression for the current sheet.
    void filterOutliers();
    void chooseMethod(std::uint32_t method);
    // Previous (step -1) and Next (step 1) of the Sheet menu.
    void stepSheet(int step);
    void showNote();
    void showAbout();
    // Undo (redo false) or redo of the last step of the points; the window shows the sheet the
    // step changed.
    void stepHistory(bool redo);
    // The print commands: the sheets (result window) or graphs (graph window) of the current
    // sheet or of all, and the reports (result_view_printing.cpp).
    void print(int command);
    void showHelp(int helpCommand, int context);
    // Runs edit on the current sheet's record as one step of undo and redo.
    void editPoints(void (*edit)(RegressionResult&));
    void leaveLink();

    SheetNavigator navigator_;
    int helpTopic_;
    ResultView* ViewLink::*linkField_;
    QMenu* sheetMenu_ = nullptr;
    std::vector<QAction*> slotActions_;
    std::vector<std::pair<int, QAction*>> actions_;
};

} // namespace tarnova::gui
