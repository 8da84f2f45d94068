#include "gui/results/result_view_window.h"

#include "calc/calc_state.h"
#include "calc/regression_method.h"
#include "document/data_note_editor.h"
#include "gui/editor/main_window.h"
#include "gui/editor/qt_data_note_port.h"
#include "gui/results/result_views.h"
#include "gui/results/sheet_list_dialog.h"
#include "gui/results/toggle_dialog.h"
#include "gui/shell/about_box.h"
#include "gui/shell/show_help.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "render/qpainter_surface.h"
#include "results/point_editing.h"
#include "settings/settings.h"
#include "shell/help_document.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <array>

namespace tarnova::gui {
namespace {

// The Help menu: each command's log line, and the help it opens (context 0 for Topic: the
// window's own topic).
struct HelpCommand {
    int command;
    const char* logLine;
    int helpCommand;
    int context;
};
constexpr HelpCommand kHelpCommands[] = {
    {kViewHelpIndex, "HELPINDEX command", kHelpFinder, 0},
    {kViewHelpTopics, "HELPTOPICS command", kHelpContext, 0},
    {kViewHelpCover, "HELPCOVER command", kHelpContext, 1},
    {kViewHelpForHelp, "HELPFORHELP command", kHelpOnHelp, 0},
    {kViewHelpQandA, "HELPQANDA command", kHelpContext, 51},
};

// The keys of both windows: F1 opens the window's help topic, Ctrl+C copies this sheet (result
// window) or the graph (graph window), Ctrl+S saves as, Ctrl+P prints, Page Up and Page Down
// walk through the sheets, Ctrl+Home and Ctrl+End go to the first and the last.
struct CommandKey {
    int command;
    QKeyCombination key;
};
constexpr CommandKey kCommandKeys[] = {
    {kViewHelpTopics, QKeyCombination(Qt::Key_F1)},
    {kViewCopy, Qt::CTRL | Qt::Key_C},
    {kViewSaveAs, Qt::CTRL | Qt::Key_S},
    {kViewPrint, Qt::CTRL | Qt::Key_P},
    {kViewPrevious, QKeyCombination(Qt::Key_PageUp)},
    {kViewNext, QKeyCombination(Qt::Key_PageDown)},
    {kViewTop, Qt::CTRL | Qt::Key_Home},
    {kViewBottom, Qt::CTRL | Qt::Key_End},
};

// The request of another window or of the calculation to show a sheet.
class ShowSheetEvent final : public QEvent {
  public:
    explicit ShowSheetEvent(int sheet)
        : QEvent(ResultViewWindow::showSheetEventType()), sheet_(sheet) {}
    int sheet() const { return sheet_; }

  private:
    int sheet_;
};

QString sheetLabel(const std::string& name) {
    return QString::fromStdString(cp932ToUtf8(name));
}

std::span<const RegressionResult> sheetsOf(const CalcState& state) {
    if (!state.results) {
        return {};
    }
    return *state.results;
}

} // namespace

QEvent::Type ResultViewWindow::showSheetEventType() {
    static const auto type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 0x400));
    return type;
}

ResultViewWindow::ResultViewWindow(ResultViews& views, UnnamedSheets unnamed, int helpTopic,
                                   ResultView* ViewLink::*field, QWidget* parent)
    : QMainWindow(parent, Qt::Window), views_(views),
      navigator_(sheetsOf(views.calculation()), unnamed), helpTopic_(helpTopic), linkField_(field) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(":/tarnova.png"));
}

ResultViewWindow::~ResultViewWindow() {
    leaveLink();
}

void ResultViewWindow::leaveLink() {
    ResultView*& field = views_.link().*linkField_;
    if (field == this) {
        field = nullptr;
    }
}

void ResultViewWindow::closeEvent(QCloseEvent* event) {
    // The link forgets the window at once: a new window of the same kind may be made before this
    // one is deleted.
    leaveLink();
    QMainWindow::closeEvent(event);
}

QAction* ResultViewWindow::addCommand(QMenu* menu, const char* label, int command) {
    QAction* added = menu->addAction(QString::fromUtf8(label));
    connect(added, &QAction::triggered, this, [this, command] { runCommand(command); });
    actions_.emplace_back(command, added);
    return added;
}

QAction* ResultViewWindow::action(int command) const {
    for (const auto& [id, found] : actions_) {
        if (id == command) {
            return found;
        }
    }
    return nullptr;
}

void ResultViewWindow::buildMenus(const char* printAll, const char* showOther) {
    QMenu* file = menuBar()->addMenu("&File");
    addCommand(file, "Save &As...", kViewSaveAs);
    addCommand(file, "&Print", kViewPrint);
    addCommand(file, printAll, kViewPrintAll);
    file->addSeparator();
    addCommand(file, "&Make Report", kViewMakeReport);
    addCommand(file, "Make &Report for All", kViewMakeReportForAll);
    file->addSeparator();
    addCommand(file, "&Close", kViewClose);

    QMenu* edit = menuBar()->addMenu("&Edit");
    addCopyCommands(edit);
    edit->addSeparator();
    QMenu* points = edit->addMenu("Data Points");
    addCommand(points, "&Toggle", kViewToggle);
    addCommand(points, "&Enable All", kViewEnableAll);
    // Offered while the calculation has a filter to run.
    addCommand(points, "&Filter Outliers", kViewFilterOutliers);
    connect(points, &QMenu::aboutToShow, this, [this] {
        action(kViewFilterOutliers)
            ->setEnabled(views_.calculation().outlierFilter.rule != OutlierRule::Off);
    });
    QMenu* regression = edit->addMenu("Regression");
    addCommand(regression, "&Update All excluding disabled", kViewUpdateAll);
    addCommand(regression, "&Redo calicuration excluding disabled", kViewRedoCalculation);
    regression->addSeparator();
    // The methods, the one asked for this sheet checked when the menu opens.
    const std::span<const RegressionMethod> methods = RegressionMethods();
    for (std::size_t i = 0; i < methods.size(); ++i) {
        addCommand(regression, methods[i].name.data(), kViewFirstMethod + static_cast<int>(i))
            ->setCheckable(true);
    }
    connect(regression, &QMenu::aboutToShow, this, [this, count = methods.size()] {
        const RegressionResult* record = currentRecord();
        for (std::size_t i = 0; i < count; ++i) {
            action(kViewFirstMethod + static_cast<int>(i))
                ->setChecked(record != nullptr && record->fitMethod == i);
        }
    });

    QMenu* view = menuBar()->addMenu("&View");
    addCommand(view, "Show &Note", kViewShowNote);
    addCommand(view, showOther, kViewShowOther);
    addOwnMenus();
    addSheetAndHelpMenus();
    for (const CommandKey& key : kCommandKeys) {
        if (QAction* bound = action(key.command)) {
            bound->setShortcut(QKeySequence(key.key));
            bound->setShortcutContext(Qt::WindowShortcut);
        }
    }
}

void ResultViewWindow::sizeDrawingArea(int widthUnits, int heightUnits, QSize content) {
    const FontMetrics units = render::MetricsOf(canvas()->font());
    QSize area = QSize(widthUnits * units.averageCharWidth, heightUnits * units.lineHeight)
                     .expandedTo(content);
    area.rheight() += menuBar()->sizeHint().height();
    if (const QScreen* screen = this->screen()) {
        // The window's frame is not known before it is shown: leave room for a generous one.
        constexpr int kFrameAllowance = 64;
        const QSize room = screen->availableSize() - QSize(kFrameAllowance, kFrameAllowance);
        area = area.boundedTo(room.expandedTo({1, 1}));
    }
    resize(area);
}

void ResultViewWindow::addSheetAndHelpMenus() {
    sheetMenu_ = menuBar()->addMenu("&Sheet");
    addCommand(sheetMenu_, "&Top", kViewTop);
    addCommand(sheetMenu_, "&Previous", kViewPrevious);
    addCommand(sheetMenu_, "&Next", kViewNext);
    addCommand(sheetMenu_, "&Bottom", kViewBottom);
    sheetMenu_->addSeparator();
    for (int slot = 0; slot < kSheetSlotCount; ++slot) {
        QAction* entry = addCommand(sheetMenu_, "", kViewFirstSheet + slot);
        entry->setCheckable(true);
        slotActions_.push_back(entry);
    }
    if (navigator_.listsMore()) {
        addCommand(sheetMenu_, "一覧", kViewSheetList);
    }
    relabelSheetMenu();

    QMenu* help = menuBar()->addMenu("&Help");
    addCommand(help, "&Index", kViewHelpIndex);
    addCommand(help, "&Topic", kViewHelpTopics);
    addCommand(help, "&Cover", kViewHelpCover);
    addCommand(help, "&Q&&A", kViewHelpQandA);
    addCommand(help, "&Help", kViewHelpForHelp);
    help->addSeparator();
    addCommand(help, "&About", kViewAbout);
}

void ResultViewWindow::relabelSheetMenu() {
    if (sheetMenu_ == nullptr) {
        return;
    }
    for (QAction* entry : slotActions_) {
        entry->setVisible(false);
    }
    for (const SheetMenuEntry& entry : navigator_.menuEntries(sheetsOf(views_.calculation()))) {
        QAction* slotAction = slotActions_[static_cast<std::size_t>(entry.slot)];
        slotAction->setText(sheetLabel(entry.label));
        slotAction->setChecked(entry.checked);
        slotAction->setVisible(true);
    }
}

RegressionResult* ResultViewWindow::currentRecord() const {
    return SheetRecord(views_.calculation(), currentSheet());
}

void ResultViewWindow::postShowSheet(int sheet) {
    QCoreApplication::postEvent(this, new ShowSheetEvent(sheet));
}

bool ResultViewWindow::event(QEvent* event) {
    if (event->type() == showSheetEventType()) {
        selectSheet(static_cast<ShowSheetEvent*>(event)->sheet());
        return true;
    }
    return QMainWindow::event(event);
}

void ResultViewWindow::repaintNow() {
    relabelSheetMenu();
    canvas()->repaint();
}

void ResultViewWindow::selectSheet(int sheet) {
    if (navigator_.selectSheet(sheet, views_.calculation().resultCount())) {
        afterSheetShown();
    }
}

void ResultViewWindow::showSlot(int slot) {
    if (navigator_.showSlot(slot)) {
        afterSheetShown();
    }
}

void ResultViewWindow::afterSheetShown() {
    sheetShown();
    repaintNow();
    FollowSheet(views_.link(), *this, currentSheet(),
                (views_.settings().generalFlags & kCorrespondent) != 0);
}

void ResultViewWindow::chooseFromSheetList() {
    QStringList names;
    for (const RegressionResult& record : sheetsOf(views_.calculation())) {
        names << sheetLabel(record.sheetName);
    }
    SheetListDialog dialog(names, currentSheet(), this);
    selectSheet(dialog.choose());
}

void ResultViewWindow::editPoints(void (*edit)(RegressionResult&)) {
    if (RegressionResult* record = currentRecord()) {
        edit(*record);
        RepaintViews(views_.link());
    }
}

void ResultViewWindow::toggleDataPoints() {
    RegressionResult* record = currentRecord();
    if (record == nullptr) {
        return;
    }
    ToggleDialog dialog(*record, this,
                        [this](int context) { ShowHelp(port_, kHelpContext, context); });
    if (dialog.exec() == QDialog::Accepted) {
        ApplyEnabledPoints(*record, dialog.enabledPoints());
        RepaintViews(views_.link());
    }
}

void ResultViewWindow::showHelpTopic(int command) {
    for (const HelpCommand& help : kHelpCommands) {
        if (help.command == command) {
            LogLine(help.logLine);
            const bool topic = command == kViewHelpTopics;
            ShowHelp(port_, help.helpCommand, topic ? helpTopic_ : help.context);
        }
    }
}

void ResultViewWindow::runCommand(int command) {
    CalcState& calculation = views_.calculation();
    const int sheetCount = calculation.resultCount();
    if (command >= kViewFirstSheet && command < kViewFirstSheet + kSheetSlotCount) {
        showSlot(command - kViewFirstSheet);
        return;
    }
    switch (command) {
    case kViewTop:
        selectSheet(0);
        break;
    case kViewPrevious:
        if (navigator_.showPrevious(sheetCount)) {
            afterSheetShown();
        }
        break;
    case kViewNext:
        if (navigator_.showNext(sheetCount)) {
            afterSheetShown();
        }
        break;
    case kViewBottom:
        selectSheet(sheetCount - 1);
        break;
    case kViewSheetList:
        chooseFromSheetList();
        break;
    case kViewToggle:
        toggleDataPoints();
        break;
    case kViewEnableAll:
        editPoints(EnableAllDataPoints);
        break;
    case kViewFilterOutliers:
        if (FilterSheetOutliers(calculation, currentSheet()) >= 0) {
            RepaintViews(views_.link());
        }
        break;
    case kViewFirstMethod + static_cast<int>(kLinearMethod):
    case kViewFirstMethod + static_cast<int>(kParabolicMethod):
    case kViewFirstMethod + static_cast<int>(kExponentialMethod):
    case kViewFirstMethod + static_cast<int>(kMeanMethod):
    case kViewFirstMethod + static_cast<int>(kAutomaticMethod):
        if (SetSheetMethod(calculation, currentSheet(),
                           static_cast<std::uint32_t>(command - kViewFirstMethod))) {
            RepaintViews(views_.link());
        }
        break;
    case kViewUpdateAll:
        KeepPointStates(calculation, kAllSheets, 0, views_.port(), views_.settings().testLevel);
        break;
    case kViewRedoCalculation:
        RedoCalculationExcludingDisabled(calculation, views_.port());
        break;
    case kViewShowNote: {
        QtDataNotePort notes(this, [this](int context) { ShowHelp(port_, kHelpContext, context); });
        ShowDataNote(notes, port_, views_.settings().generalFlags);
        break;
    }
    case kViewPrint:
    case kViewPrintAll:
    case kViewMakeReport:
    case kViewMakeReportForAll:
        print(command);
        break;
    case kViewClose:
        close();
        break;
    case kViewHelpIndex:
    case kViewHelpTopics:
    case kViewHelpCover:
    case kViewHelpForHelp:
    case kViewHelpQandA:
        showHelpTopic(command);
        break;
    case kViewAbout: {
        LogLine("ABOUT command");
        auto* about = new AboutBox(this);
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->open();
        break;
    }
    default:
        runOwnCommand(command);
        break;
    }
}

} // namespace tarnova::gui
