// What the result window and the graph window share: the Sheet menu with its sheet entries and
// "一覧", the show-sheet event by which the other window or the calculation asks for a sheet, the
// data-point and regression commands, Show Note and the Help menu.
#pragma once

#include "gui/platform/qt_port.h"
#include "results/sheet_navigation.h"
#include "results/view_link.h"

#include <QEvent>
#include <QMainWindow>
#include <QSize>

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
    kViewFilterOutliers = 40047, // Edit -> Data Points: the outlier filter run on the sheet
    kViewSheetList = 40099,
    kViewFirstMethod = 40120, // Edit -> Regression: one command per regression method
    kViewFirstSheet = 40100,  // to kViewFirstSheet + 8: the sheet entries
};

class ResultViewWindow : public QMainWindow, public ResultView {
    Q_OBJECT

  public:
    // The show-sheet event; it carries a sheet number.
    static QEvent::Type showSheetEventType();

    ~ResultViewWindow() override;

    int currentSheet() const override { return navigator_.currentSheet(); }
    void postShowSheet(int sheet) override;
    void repaintNow() override;

    // Runs one menu command; commands of the other window and unknown ones are ignored.
    void runCommand(int command);
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

    QAction* addCommand(QMenu* menu, const char* label, int command);
    // The menu bar: File (printAll labels the command that prints every sheet), Edit (the
    // window's copy commands, then "Data Points" and "Regression"), View (Show Note and
    // showOther), the window's own menus, Sheet and Help.
    void buildMenus(const char* printAll, const char* showOther);
    virtual void addCopyCommands(QMenu* edit) = 0;
    virtual void addOwnMenus() {}
    // Sizes the window so that its drawing area measures the given numbers of average
    // character widths and line heights of the drawing font, or content where that is larger,
    // as far as the screen has room.
    void sizeDrawingArea(int widthUnits, int heightUnits, QSize content = {});

    // The record of the current sheet, or none.
    RegressionResult* currentRecord() const;
    // The commands only this window has.
    virtual void runOwnCommand(int command) = 0;
    // Called when another sheet became the current one, before the window is redrawn.
    virtual void sheetShown() {}

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    ResultViews& views_;
    QtPort port_{this};

  private:
    void addSheetAndHelpMenus();
    void showSlot(int slot);
    void afterSheetShown();
    void relabelSheetMenu();
    void chooseFromSheetList();
    void toggleDataPoints();
    // The print commands: the sheets (result window) or graphs (graph window) of the current
    // sheet or of all, and the reports (result_view_printing.cpp).
    void print(int command);
    void showHelpTopic(int command);
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
