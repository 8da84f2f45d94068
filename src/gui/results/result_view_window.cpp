#include "gui/results/result_view_window.h"

#include "calc/calc_state.h"
#include "calc/regression_method.h"
#include "document/data_note_editor.h"
#include "gui/editor/qt_data_note_port.h"
#include "gui/results/exclusions_dialog.h"
#include "gui/results/result_views.h"
#include "gui/results/sheet_list_dialog.h"
#include "gui/results/toggle_dialog.h"
#include "gui/shell/about_box.h"
#include "gui/shell/show_help.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "render/qpainter_surface.h"
#include "results/point_editing.h"
#include "results/point_history.h"
#include "settings/settings.h"
#include "shell/help_document.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

namespace tarnova::gui {
namespace {

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

int ViewCommand::idCount() const {
    if ((entry & kEntryPerSheet) != 0) {
        return kSheetSlotCount;
    }
    if ((entry & kEntryPerMethod) != 0) {
        return static_cast<int>(RegressionMethods().size());
    }
    return 1;
}

ViewWindows ResultViewWindow::kind() const {
    return linkField_ == &ViewLink::graph ? ViewWindows::Graph : ViewWindows::Result;
}

QAction* ResultViewWindow::addCommand(QMenu* menu, const QString& label, int command,
                                      const ViewCommand& row) {
    QAction* added = menu->addAction(label);
    connect(added, &QAction::triggered, this, [this, command] { runCommand(command); });
    added->setCheckable((row.entry & kEntryCheckable) != 0);
    QList<QKeySequence> keys;
    for (const QKeyCombination key : {row.key, row.otherKey}) {
        if (key.key() != Qt::Key_unknown) {
            keys << QKeySequence(key);
        }
    }
    if (!keys.isEmpty()) {
        added->setShortcuts(keys);
        added->setShortcutContext(Qt::WindowShortcut);
    }
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

void ResultViewWindow::buildMenus() {
    std::vector<std::pair<QString, QMenu*>> menus;
    // The menu of path, opened (with the menus on its path) where it is first named; a group
    // that opens it puts its separator before it.
    std::function<QMenu*(const QString&, bool&)> menuOf = [&](const QString& path,
                                                              bool& group) -> QMenu* {
        for (const auto& [name, menu] : menus) {
            if (name == path) {
                return menu;
            }
        }
        const qsizetype slash = path.lastIndexOf('/');
        QMenu* opened = nullptr;
        if (slash < 0) {
            opened = menuBar()->addMenu(path);
        } else {
            bool outer = false;
            QMenu* parent = menuOf(path.left(slash), outer);
            if (std::exchange(group, false)) {
                parent->addSeparator();
            }
            opened = parent->addMenu(path.mid(slash + 1));
        }
        menus.emplace_back(path, opened);
        return opened;
    };
    const std::span<const RegressionMethod> methods = RegressionMethods();
    for (const ViewCommand& row : commands()) {
        if (!row.offeredBy(kind()) ||
            ((row.entry & kEntryManySheets) != 0 && !navigator_.listsMore())) {
            continue;
        }
        bool group = (row.entry & kEntryGroup) != 0;
        QMenu* menu = menuOf(QString::fromUtf8(row.menu), group);
        if (group) {
            menu->addSeparator();
        }
        for (int i = 0; i < row.idCount(); ++i) {
            const QString label = (row.entry & kEntryPerMethod) != 0
                                      ? QString::fromUtf8(methods[static_cast<std::size_t>(i)].name)
                                      : QString::fromUtf8(row.label ? row.label : "");
            QAction* added = addCommand(menu, label, row.id + i, row);
            if ((row.entry & kEntryPerSheet) != 0) {
                slotActions_.push_back(added);
                sheetMenu_ = menu;
            }
        }
        if ((row.entry & kEntryPerMethod) != 0) {
            // The method asked for this sheet is checked when the menu opens.
            connect(menu, &QMenu::aboutToShow, this, [this, first = row.id, count = row.idCount()] {
                const RegressionResult* record = currentRecord();
                for (int i = 0; i < count; ++i) {
                    action(first + i)->setChecked(record != nullptr &&
                                                  record->fitMethod == static_cast<unsigned>(i));
                }
            });
        }
    }
    // Filter Outliers is offered while the calculation has a filter to run.
    if (QAction* filter = action(kViewFilterOutliers)) {
        if (auto* points = qobject_cast<QMenu*>(filter->parent())) {
            connect(points, &QMenu::aboutToShow, this, [this, filter] {
                filter->setEnabled(views_.calculation().outlierFilter.rule != OutlierRule::Off);
            });
        }
    }
    relabelSheetMenu();
    updateHistoryCommands();
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

void ResultViewWindow::updateHistoryCommands() {
    const PointHistory& history = views_.history();
    if (QAction* undo = action(kViewUndo)) {
        undo->setEnabled(history.canUndo());
    }
    if (QAction* redo = action(kViewRedo)) {
        redo->setEnabled(history.canRedo());
    }
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
                views_.settings().generalFlags.test(GeneralFlag::Correspondent));
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
        views_.editPoints(currentSheet(), [record, edit] {
            edit(*record);
            return true;
        });
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
        const std::vector<bool> enabled = dialog.enabledPoints();
        views_.editPoints(currentSheet(), [record, &enabled] {
            ApplyEnabledPoints(*record, enabled);
            return true;
        });
    }
}

void ResultViewWindow::showExclusions() {
    const std::optional<DataNote>& note = currentDataNote();
    ExclusionsDialog dialog(views_.calculation(), note ? &*note : nullptr, this,
                            [this](int context) { ShowHelp(port_, kHelpContext, context); });
    dialog.exec();
}

void ResultViewWindow::stepHistory(bool redo) {
    PointHistory& history = views_.history();
    CalcState& calculation = views_.calculation();
    const std::optional<int> sheet = redo ? history.redo(calculation) : history.undo(calculation);
    if (sheet && *sheet != kAllSheets && *sheet != currentSheet()) {
        selectSheet(*sheet);
    }
    views_.pointsChanged();
}

void ResultViewWindow::updateAll() {
    views_.editPoints(kAllSheets, [this] {
        KeepPointStates(views_.calculation(), kAllSheets, 0, views_.port(),
                        views_.settings().testLevel);
        return true;
    });
}

void ResultViewWindow::filterOutliers() {
    const int sheet = currentSheet();
    views_.editPoints(sheet, [this, sheet] {
        return FilterSheetOutliers(views_.calculation(), sheet).has_value();
    });
}

void ResultViewWindow::chooseMethod(std::uint32_t method) {
    const int sheet = currentSheet();
    views_.editPoints(sheet, [this, sheet, method] {
        return SetSheetMethod(views_.calculation(), sheet, method);
    });
}

void ResultViewWindow::stepSheet(int step) {
    const int count = views_.calculation().resultCount();
    if (step < 0 ? navigator_.showPrevious(count) : navigator_.showNext(count)) {
        afterSheetShown();
    }
}

void ResultViewWindow::showNote() {
    QtDataNotePort notes(this, [this](int context) { showHelp(kHelpContext, context); });
    ShowDataNote(notes, port_, views_.settings().generalFlags);
}

void ResultViewWindow::showAbout() {
    auto* about = new AboutBox(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void ResultViewWindow::showHelp(int helpCommand, int context) {
    ShowHelp(port_, helpCommand, context);
}

void ResultViewWindow::runCommand(int command) {
    for (const ViewCommand& row : commands()) {
        if (row.offeredBy(kind()) && command >= row.id && command < row.id + row.idCount()) {
            if (row.logLine != nullptr) {
                LogLine(row.logLine);
            }
            row.run(*this, command);
            return;
        }
    }
}

} // namespace tarnova::gui
