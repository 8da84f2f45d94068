// The command table of the result window and the graph window: each command's menu entry, keys,
// run-log line and handler in one row. The menus and keys are made from it, commands run and
// log through it, and the tests walk it.
#include "calc/calc_state.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "results/point_editing.h"
#include "shell/help_document.h"

namespace tarnova::gui {
namespace {

constexpr int kCoverHelpContext = 1;
constexpr int kQandAHelpContext = 51;

ResultWindow& resultWindow(ResultViewWindow& window) {
    return static_cast<ResultWindow&>(window);
}

GraphWindow& graphWindow(ResultViewWindow& window) {
    return static_cast<GraphWindow&>(window);
}

} // namespace

std::span<const ViewCommand> ResultViewWindow::commands() {
    using W = ViewWindows;
    using R = ResultViewWindow;
    // One command per row, as a table reads.
    // clang-format off
    static constexpr ViewCommand kCommands[] = {
        // id, windows, menu, label, key, other key, run-log line, handler, entries
        {kViewSaveAs, W::Result, "&File", "Save &As...", Qt::CTRL | Qt::Key_S, {}, nullptr,
         [](R& w, int) { resultWindow(w).saveResults(); }},
        {kViewSaveAs, W::Graph, "&File", "Save &As...", Qt::CTRL | Qt::Key_S, {}, nullptr,
         [](R& w, int) { graphWindow(w).saveGraph(); }},
        {kViewPrint, W::Both, "&File", "&Print", Qt::CTRL | Qt::Key_P, {}, nullptr,
         [](R& w, int id) { w.print(id); }},
        {kViewPrintAll, W::Result, "&File", "Print All Results", {}, {}, nullptr,
         [](R& w, int id) { w.print(id); }},
        {kViewPrintAll, W::Graph, "&File", "Print All Graphs", {}, {}, nullptr,
         [](R& w, int id) { w.print(id); }},
        {kViewMakeReport, W::Both, "&File", "&Make Report", {}, {}, nullptr,
         [](R& w, int id) { w.print(id); }, kEntryGroup},
        {kViewMakeReportForAll, W::Both, "&File", "Make &Report for All", {}, {}, nullptr,
         [](R& w, int id) { w.print(id); }},
        {kViewClose, W::Both, "&File", "&Close", {}, {}, nullptr,
         [](R& w, int) { w.close(); }, kEntryGroup},

        {kViewUndo, W::Both, "&Edit", "&Undo", Qt::CTRL | Qt::Key_Z, {}, "UNDO command",
         [](R& w, int) { w.stepHistory(false); }},
        {kViewRedo, W::Both, "&Edit", "&Redo", Qt::CTRL | Qt::Key_Y,
         Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "REDO command",
         [](R& w, int) { w.stepHistory(true); }},
        {kViewCopy, W::Result, "&Edit/&Copy", "&This sheet", Qt::CTRL | Qt::Key_C, {}, nullptr,
         [](R& w, int) { resultWindow(w).copySheets(w.currentSheet()); }, kEntryGroup},
        {kViewCopyAllSheets, W::Result, "&Edit/&Copy", "&All sheets", {}, {}, nullptr,
         [](R& w, int) { resultWindow(w).copySheets(kAllSheets); }},
        {kViewCopyDataPoints, W::Result, "&Edit/&Copy", "&Data points", {}, {}, nullptr,
         [](R& w, int) { resultWindow(w).copyDataPoints(); }},
        {kViewCopy, W::Graph, "&Edit", "&Copy", Qt::CTRL | Qt::Key_C, {}, nullptr,
         [](R& w, int) { graphWindow(w).copyGraph(); }, kEntryGroup},
        {kViewToggle, W::Both, "&Edit/Data Points", "&Toggle", {}, {}, nullptr,
         [](R& w, int) { w.toggleDataPoints(); }, kEntryGroup},
        {kViewEnableAll, W::Both, "&Edit/Data Points", "&Enable All", {}, {}, nullptr,
         [](R& w, int) { w.editPoints(EnableAllDataPoints); }},
        {kViewFilterOutliers, W::Both, "&Edit/Data Points", "&Filter Outliers", {}, {}, nullptr,
         [](R& w, int) { w.filterOutliers(); }},
        {kViewExclusions, W::Both, "&Edit/Data Points", "E&xclusions", {}, {},
         "EXCLUSIONS command", [](R& w, int) { w.showExclusions(); }},
        {kViewUpdateAll, W::Both, "&Edit/Regression", "&Update All excluding disabled", {}, {},
         nullptr, [](R& w, int) { w.updateAll(); }},
        {kViewRedoCalculation, W::Both, "&Edit/Regression",
         "&Redo calicuration excluding disabled", {}, {}, nullptr,
         [](R& w, int) {
             RedoCalculationExcludingDisabled(w.views_.calculation(), w.views_.port());
         }},
        {kViewFirstMethod, W::Both, "&Edit/Regression", nullptr, {}, {}, nullptr,
         [](R& w, int id) { w.chooseMethod(static_cast<std::uint32_t>(id - kViewFirstMethod)); },
         kEntryGroup | kEntryCheckable | kEntryPerMethod},

        {kViewShowNote, W::Both, "&View", "Show &Note", {}, {}, nullptr,
         [](R& w, int) { w.showNote(); }},
        {kViewShowOther, W::Result, "&View", "Show &Graph", {}, {}, nullptr,
         [](R& w, int) { w.views_.showGraphWindow(w.currentSheet()); }},
        {kViewShowOther, W::Graph, "&View", "Show &Data", {}, {}, nullptr,
         [](R& w, int) { w.views_.showResultWindow(w.currentSheet()); }},

        {kViewCoefficientTest, W::Result, "&Test", "Coe&fficiency Test", {}, {}, nullptr,
         [](R& w, int) { resultWindow(w).openTest(SheetTest::Correlation); }},
        {kViewAngularityTest, W::Result, "&Test", "Angu&larity Test", {}, {}, nullptr,
         [](R& w, int) { resultWindow(w).openTest(SheetTest::Slope); }},

        {kViewTop, W::Both, "&Sheet", "&Top", Qt::CTRL | Qt::Key_Home, {}, nullptr,
         [](R& w, int) { w.selectSheet(0); }},
        {kViewPrevious, W::Both, "&Sheet", "&Previous", Qt::Key_PageUp, {}, nullptr,
         [](R& w, int) { w.stepSheet(-1); }},
        {kViewNext, W::Both, "&Sheet", "&Next", Qt::Key_PageDown, {}, nullptr,
         [](R& w, int) { w.stepSheet(1); }},
        {kViewBottom, W::Both, "&Sheet", "&Bottom", Qt::CTRL | Qt::Key_End, {}, nullptr,
         [](R& w, int) { w.selectSheet(w.views_.calculation().resultCount() - 1); }},
        {kViewFirstSheet, W::Both, "&Sheet", nullptr, {}, {}, nullptr,
         [](R& w, int id) { w.showSlot(id - kViewFirstSheet); },
         kEntryGroup | kEntryCheckable | kEntryPerSheet},
        {kViewSheetList, W::Both, "&Sheet", "一覧", {}, {}, nullptr,
         [](R& w, int) { w.chooseFromSheetList(); }, kEntryManySheets},

        {kViewHelpIndex, W::Both, "&Help", "&Index", {}, {}, "HELPINDEX command",
         [](R& w, int) { w.showHelp(kHelpFinder, 0); }},
        {kViewHelpTopics, W::Both, "&Help", "&Topic", Qt::Key_F1, {}, "HELPTOPICS command",
         [](R& w, int) { w.showHelp(kHelpContext, w.helpTopic_); }},
        {kViewHelpCover, W::Both, "&Help", "&Cover", {}, {}, "HELPCOVER command",
         [](R& w, int) { w.showHelp(kHelpContext, kCoverHelpContext); }},
        {kViewHelpQandA, W::Both, "&Help", "&Q&&A", {}, {}, "HELPQANDA command",
         [](R& w, int) { w.showHelp(kHelpContext, kQandAHelpContext); }},
        {kViewHelpForHelp, W::Both, "&Help", "&Help", {}, {}, "HELPFORHELP command",
         [](R& w, int) { w.showHelp(kHelpOnHelp, 0); }},
        {kViewAbout, W::Both, "&Help", "&About", {}, {}, "ABOUT command",
         [](R& w, int) { w.showAbout(); }, kEntryGroup},
    };
    // clang-format on
    return kCommands;
}

} // namespace tarnova::gui
