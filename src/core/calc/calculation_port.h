// What the calculation asks of the windows: the settings dialog "回帰計算の設定", the result and
// graph windows it opens or closes, the print jobs, and the recalculation request. The GUI
// implements it with its dialogs and windows; the command-line tool fills the dialog from its
// options and has no windows; tests script it.
//
// The rules of the dialog (what it shows when it opens, whether it opens at all, what "開始"
// accepts and stores) are in the core: OpenCalculationSettings builds the form and
// ConfirmCalculationSettings checks and stores it (calculation_driver.h). The port only shows
// the form and hands it back.
//
// Labels and set names are code page 932 bytes as the files hold them: a dialog decodes them
// with cp932ToUtf8 to show them and hands back the bytes it was given.
//
// The calls, in the order RunCalculation makes them:
//   CALC:   runSettingsDialog; once confirmed, closeResultViews when a calculation was shown
//           before; then, as the settings ask, openGraphWindow, openResultWindow,
//           arrangeResultViews, printPeakList, printReports.
//   RECALC: runSettingsDialog; once confirmed, closeResultViews, then as CALC.
// ReleaseCalculation calls closeResultViews; KeepPointStates calls repaintResultViews (mode 0)
// or requestRecalculation (mode 1).
#pragma once

#include "settings/outlier_filter_setting.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnova {

// The contents of the settings dialog. Item i of each list is element i of the element list.
struct CalculationSettingsForm {
    std::vector<std::string> labels; // element labels (code page 932 bytes), element-list order

    // "全て選択" under the numerator and the abundance list; a checked box disables its list
    // and chooses every element. The lists are always filled, so that clearing the box leaves
    // the items that are really selected.
    bool allNumerators = false;
    bool allAbundances = false;
    // Selected items of "分子", "分母", "存在度"; one entry per label.
    std::vector<bool> numerators;
    std::vector<bool> denominators;
    std::vector<bool> abundances;

    bool conf95 = false;        // "95%" (else "68%")
    bool useStdDev = false;     // "標準偏差" (else "不偏標準偏差")
    bool showGraph = false;     // "グラフを表示する"
    bool showResult = false;    // "計算結果を表示する"
    bool printReports = false;  // "レポートの印刷"
    bool printPeakList = false; // "ピークリストの印刷"
    // "回帰法": the regression method of the calculation (an index into RegressionMethods());
    // records whose name or label has a method of its own keep theirs.
    std::uint32_t fitMethod = 0;
    // Methods of record names or labels to set over the INI's choices (tarnova-cli --fit).
    std::vector<std::pair<std::string, std::uint32_t>> fitMethodsByName;
    // "外れ値の除外": the outlier filter of the calculation's regressions, off by default.
    OutlierFilter outlierFilter;

    // "妨害イオンを補正する" and the drop-down list of correction sets, enabled while it is
    // checked. correctionSet is the list's text (at most 79 bytes); it is filled when the
    // dialog opens with the box clear too (the last set chosen, or the only one), so that
    // ticking the box offers it.
    bool correct = false;
    std::vector<std::string> correctionSets; // set names of the INI (cp932), in file order
    // The INI counts correction sets but names none: the dialog opens without them.
    bool correctionSetsUnnamed = false;
    std::string correctionSet;
};

// Where the result window goes relative to the graph window (the options "水平に並べる" and
// "垂直に並べる"; neither or both: overlapping, offset by five average character widths and two
// line heights).
enum class ViewPlacement { Overlapping, SideBySide, Stacked };

class CalculationPort {
  public:
    virtual ~CalculationPort() = default;

    // Shows the modal dialog "回帰計算の設定" with the contents of form. On "開始" the dialog
    // copies its controls into form and calls confirm(form); confirm shows its own message and
    // returns false when the dialog must stay open, true when the settings were taken over.
    // Returns true when the dialog ended with a confirmed "開始", false for "ｷｬﾝｾﾙ".
    // "ヘルプ" (context 40) and "プリンタ" (printer selection) are the dialog's own business.
    virtual bool
    runSettingsDialog(CalculationSettingsForm& form,
                      const std::function<bool(CalculationSettingsForm&)>& confirm) = 0;

    // Closes the graph window and the result window when they are open.
    virtual void closeResultViews() = 0;
    // Opens the graph window ("graphwindow") or the result window ("resultwindow") on sheet 0
    // with the given title ("Graph - NAME", "Result - untitled", ...; NAME is the data note's
    // file name as the path holds it).
    virtual void openGraphWindow(const std::string& title) = 0;
    virtual void openResultWindow(const std::string& title) = 0;
    // Places the windows opened just before: the graph window at the main window's left edge,
    // two dialog base heights below its top, and the result window as placement says; when only
    // the result window is open it takes the graph window's place.
    virtual void arrangeResultViews(bool graphOpen, bool resultOpen, ViewPlacement placement) = 0;
    // Print jobs after a calculation: the peak list and the reports of all records. Each
    // returns whether every page of it reached the printer.
    virtual bool printPeakList() = 0;
    virtual bool printReports() = 0;

    // Redraws the graph window and the result window when they are open (after the records
    // were recalculated in place).
    virtual void repaintResultViews() = 0;
    // Asks the main window to run the calculation again (RECALC) once the current command has
    // finished: the GUI posts an event; the main window's handler calls RunCalculation.
    virtual void requestRecalculation() = 0;
};

// A calculation without windows or printers (batch runs): every view and print request is
// ignored; only the settings dialog is left to the subclass.
class BatchCalculationPort : public CalculationPort {
  public:
    void closeResultViews() override {}
    void openGraphWindow(const std::string&) override {}
    void openResultWindow(const std::string&) override {}
    void arrangeResultViews(bool, bool, ViewPlacement) override {}
    bool printPeakList() override { return false; }
    bool printReports() override { return false; }
    void repaintResultViews() override {}
    void requestRecalculation() override {}
};

} // namespace tarnova
