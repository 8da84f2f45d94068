// The peak editor grid without pixels: the rows of the sheet with their cell texts, the column
// formats, the cursor with its edit buffer, the view's first row and the scroll bar. The Qt
// widget paints what this model holds and forwards keys, the mouse and the scroll bar to it; the
// model tells the widget what to repaint or scroll through GridView.
#pragma once

#include "data/peak_sheet.h"
#include "settings/column_formats.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

class SheetHistory;
struct SheetChange;
class UserInterfacePort;

// Rows of a page, of a new sheet and of each growth of the table.
inline constexpr int kGridPageRows = 25;

// The texts typed into the cells of a row (Elem, Time, Height, Range, Peak) where they differ
// from what the row's peak gives with the grid's formats. A row nobody typed into holds none and
// takes no memory for them: its texts are made from its peak when they are shown, copied,
// printed or saved.
class TypedTexts {
  public:
    TypedTexts() = default;
    TypedTexts(const TypedTexts& other);
    TypedTexts& operator=(const TypedTexts& other);
    TypedTexts(TypedTexts&&) noexcept = default;
    TypedTexts& operator=(TypedTexts&&) noexcept = default;
    ~TypedTexts() = default;

    // The typed text of column (kElemColumn to kPeakColumn), or nullptr.
    const std::string* find(int column) const;
    // Keeps text for column; none forgets the column's text.
    void set(int column, std::optional<std::string> text);
    bool empty() const { return cells_ == nullptr; }

  private:
    using Cells = std::array<std::optional<std::string>, 5>;
    std::unique_ptr<Cells> cells_;
};

// One row of the grid: the peak it was made from and what was typed into its cells. The texts
// are the current values; the peak-list extraction reads the numbers back from the typed ones
// into `peak`. A cell holds the whole text of its number or label whatever its length; only
// drawing shows that a text does not fit its column.
struct EditorRow {
    PeakRecord peak;
    TypedTexts typed;
};

// A row as it stood; none for an empty row.
using RowState = std::optional<EditorRow>;

// The text of the cursor's cell as the keyboard changes it.
struct EditBuffer {
    std::string text;
    int insertion = 0;        // insertion position
    std::optional<int> point; // position of the decimal point (Time, Height, Range)
};

struct ScrollBarState {
    int minimum = 1;
    int maximum = 1;
    int page = kGridPageRows;
    int position = 1;
    bool operator==(const ScrollBarState&) const = default;
};

struct GridCell {
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

// What the widget does when the model changes.
class GridView {
  public:
    virtual ~GridView() = default;

    virtual void repaintAll() = 0;
    virtual void repaintRow(int row) = 0;
    // Columns firstColumn to lastColumn of row (typing repaints Elem alone or Elem to Range).
    virtual void repaintCells(int row, int /*firstColumn*/, int /*lastColumn*/) { repaintRow(row); }
    // From the top edge of row (or the top of the window) to the bottom.
    virtual void repaintFromRow(int /*row*/) { repaintAll(); }
    // Moves the content by rows row heights, down for a positive count, and repaints the row
    // that this uncovers.
    virtual void scrollContent(int rows) = 0;
    virtual void setScrollBar(const ScrollBarState& state) = 0;
};

class GridModel final {
  public:
    // A new grid: built-in formats and a new sheet of 25 empty rows. Messages go to port.
    explicit GridModel(UserInterfacePort& port);
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;
    ~GridModel();

    // The widget that shows the grid; nullptr for none. The view is not told of the state at
    // once: it reads it when it paints.
    void setView(GridView* view);
    GridView& view() { return *view_; }
    UserInterfacePort& port() { return port_; }

    // --- The sheet ---
    // Replaces the sheet by copies of peaks. Returns their number, or 0 when memory ran out (the
    // sheet is then unchanged). Shows once when a value lies outside what the Range column can
    // display: "値が現在の設定で表示可能な範囲を超えました。表示が異常になるか、値が0になります。".
    int AttachPeaks(const std::vector<PeakRecord>& peaks);
    // Replaces the sheet by 25 empty rows. False, with the sheet as it was, when memory ran out.
    bool NewSheet();
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    // Whether the sheet changed since it was loaded, cleared or saved.
    bool IsModified() const { return modified_; }
    // The sheet as it stands is saved: unmodified until it changes again.
    void ClearModified();
    // The undo history of the sheet.
    SheetHistory& history() { return *history_; }

    // --- Column formats ---
    // Applies the format and answers true, or changes nothing and answers false: width from 1 to
    // kMaxColumnWidth; Num and Elem without decimals; Time to Peak with 1 to width - 1 decimals.
    // The texts of existing rows stay until ReformatRows. redraw repaints the whole grid.
    bool SetColumnFormat(int column, int width, int decimals, bool redraw);
    // The width of column (0 for an index outside 0 to 5); decimals receives its decimals.
    int GetColumnFormat(int column) const;
    int GetColumnFormat(int column, int& decimals) const;
    ColumnFormat columnFormat(int column) const { return formats_[columnIndex(column)]; }
    const ColumnFormats& columnFormats() const { return formats_; }
    // The characters column takes on screen: its width, and for Num at least the digits of the
    // last row's number, so that row 100000 shows whole under a width of 4.
    int shownColumnWidth(int column) const;
    // x0 to x4: the right borders of Num to Range in pixels for a character width of cx
    // (x0 = cx * (shown Num width + 1), x1 = x0 + cx * (W_Elem + 1), ...). cx = 1 gives
    // character units.
    std::array<int, 5> GetColumnBorders(int cx = 1) const;
    // The text an empty row shows in column kElemColumn to kPeakColumn.
    const std::string& placeholder(int column) const {
        return placeholders_[static_cast<std::size_t>(column - 1)];
    }

    // --- Texts ---
    // The text of (row, column), column 0 (Num) to 5 (Peak): what was typed there, else what
    // the row's peak gives; the placeholder for an empty row; empty outside the table.
    std::string cellText(int row, int column) const;
    // The text of column (kElemColumn to kPeakColumn) of a row of this grid.
    std::string cellText(const EditorRow& row, int column) const;
    // What is drawn in (row, column): the edit buffer in the cursor's cell, else cellText.
    std::string displayText(int row, int column) const;
    // Whether the text of column (kElemColumn to kPeakColumn) still is what row's peak gives:
    // then the peak holds the cell's value at full precision.
    static bool isCellUnedited(const EditorRow& row, int column) {
        return row.typed.find(column) == nullptr;
    }
    // The number a Time, Height or Range cell of row stands for: its peak's own value when the
    // cell was not edited, else what its text reads as.
    static double cellValue(const EditorRow& row, int column);

    // --- Rows ---
    // The row at index; nullptr for an empty row or outside the table.
    const EditorRow* row(int index) const;
    // Gives the row at index the values peak holds, read back from its cells: the texts stay
    // as they are shown, and a typed text that the new peak gives by itself is no longer kept.
    void takePeak(int index, const PeakRecord& peak);
    // The rows below change the table only; the caller moves the cursor, repaints and records
    // the change. They throw std::bad_alloc when memory runs out, leaving the table as it was.
    // count empty rows at the end.
    void appendEmptyRows(int count);
    // rows put in before index (0 to the row count); their typed texts were kept against the
    // formats builtWith (none: the formats of the rows in the table).
    void insertRows(int index, std::vector<RowState> rows,
                    const std::optional<ColumnFormats>& builtWith = std::nullopt);
    // count rows taken out from index.
    void eraseRows(int index, int count);
    // The row at index taken out, and an empty row in at the end (Delete Line); its state.
    RowState deleteRow(int index);
    // The last row, which must be empty, taken out, and state put in at index (Delete Line
    // undone). False, changing nothing, when the last row is not empty.
    bool restoreRow(int index, const RowState& state, const ColumnFormats& builtWith);
    // The row at index replaced by state, built with the formats builtWith.
    void replaceRow(int index, const RowState& state, const ColumnFormats& builtWith);
    // The first formerIndex.size() rows put in a new order: row i of the new order was row
    // formerIndex[i]; undo puts them back. False, changing nothing, when a row after them is
    // not empty or the table is shorter.
    bool reorderRows(const std::vector<std::size_t>& formerIndex, bool undo);

    // --- Cursor, edit buffer, view ---
    int cursorRow() const { return cursorRow_; }
    int cursorColumn() const { return cursorColumn_; }
    int topRow() const { return topRow_; }
    const EditBuffer& editBuffer() const { return editBuffer_; }
    // The keyboard's changes to the cursor's cell go here until CommitEdit writes them.
    EditBuffer& editBuffer() { return editBuffer_; }
    // Copies the text of (row, column), or the placeholder of an empty row, into the edit buffer
    // with its positions: Elem at its last character; Time, Height and Range with the point at
    // W - D - 1 and the insertion before it. Nothing happens outside the table or outside
    // columns 1 to 4.
    void loadEditBuffer(int row, int column);
    // Writes the edit buffer into (row, column), a row created from the placeholders when it is
    // empty; for Height and Range the Peak text follows. Ignored outside the table and outside
    // columns 1 to 4.
    void CommitEdit(int row, int column);
    // Commits the edit, moves the cursor to (row, column) (column -1 keeps the column) and keeps
    // it in view. Ignored for a row outside the table or another column than -1 or 1 to 4.
    void MoveCursor(int row, int column);
    // Formats the texts of every row again with the current formats (on every resize).
    void ReformatRows();
    // Esc: the cursor's cell shows its stored text again, as before the typing.
    void cancelTyping();
    // Whether row lies in the 25 rows from topRow.
    bool isRowVisible(int row) const { return row >= topRow_ && row < topRow_ + kGridPageRows; }
    // The largest first row a jump or a page down shows: the view of 25 rows then ends with the
    // table's last row.
    int lastTopRow() const {
        return GetRowCount() > kGridPageRows ? GetRowCount() - kGridPageRows : 0;
    }
    // Sets topRow and the scroll bar position topRow + 1.
    void setTopRow(int row);
    // The scroll bar's range follows the row count (after rows were put in or taken out); its
    // position stays topRow + 1.
    void followRowCount();
    // Moves the cursor to (row, column) without committing the edit buffer, which is loaded
    // from there; the view follows and everything is repainted. Rows outside the table come
    // to its last row.
    void placeCursor(int row, int column);

    // --- Modified mark and history ---
    // Typing changed the edit buffer: the sheet is modified until the typing is committed
    // (then the history tells) or cancelled.
    void markModified();
    // A change made to the rows, kept for undo with the formats of the texts; the modified
    // mark follows.
    void recordChange(SheetChange change);
    // Sets the modified mark from the typing and the history.
    void refreshModified();

    // --- Scrolling, mouse, painting ---
    const ScrollBarState& scrollBar() const { return scrollBar_; }
    void lineUp();
    void lineDown();
    void pageUp();
    void pageDown();
    // The thumb dragged to (or released at) position: the view starts at row position - 1.
    void thumbMovedTo(int position);
    // The cell a press at (x, y) of the widget's client area selects, for a character cell of
    // cx by cy pixels; nothing left of Elem, right of Range or above the rows.
    std::optional<GridCell> cellAt(int x, int y, int cx, int cy) const;
    // A left-button press: moves the cursor to cellAt.
    void pressAt(int x, int y, int cx, int cy);
    struct RowSpan {
        int first = 0;
        int count = 0;
    };
    // The rows that meet the region from regionTop of height regionHeight, rows cy high.
    RowSpan rowsToPaint(int regionTop, int regionHeight, int cy) const;

  private:
    using Texts = std::array<std::string, 5>; // Elem, Time, Height, Range, Peak
    static std::size_t columnIndex(int column) { return static_cast<std::size_t>(column); }
    void buildPlaceholders();
    void setScrollBar(int minimum, int maximum, int page, int position);
    // Replaces the rows by a new sheet: cursor on row 0, Elem; top row 0; not modified.
    void installSheet(std::vector<RowState> table, int scrollMaximum);
    // The five texts of row, whose typed texts were kept against the formats builtWith.
    static Texts textsOf(const EditorRow& row, const ColumnFormats& builtWith);
    // Keeps of texts, the texts of row, only those that its peak does not give with the
    // formats of the texts now in the table.
    void keepTyped(EditorRow& row, const Texts& texts) const;
    // The row of a kept state, in the formats of the texts now in the table.
    RowState adopted(const RowState& state, const ColumnFormats& builtWith) const;
    // The texts of row, whose texts were built with builtWith, in the formats target.
    static Texts reformattedTexts(const EditorRow& row, const ColumnFormats& builtWith,
                                  const ColumnFormats& target);
    bool bufferDiffersFromCell() const;

    UserInterfacePort& port_;
    GridView* view_;
    std::vector<RowState> rows_;
    ColumnFormats formats_ = kBuiltInColumnFormats;
    // The formats the row texts are made with; a typed text is kept while it differs from what
    // its row's peak gives with them. They follow formats_ at ReformatRows and on loading.
    ColumnFormats textFormats_ = kBuiltInColumnFormats;
    Texts placeholders_;
    int cursorRow_ = 0;
    int cursorColumn_ = kElemColumn;
    int topRow_ = 0;
    EditBuffer editBuffer_;
    bool modified_ = false;
    bool typing_ = false; // the edit buffer holds typing that was not committed
    std::unique_ptr<SheetHistory> history_;
    ScrollBarState scrollBar_;
};

} // namespace tarnova
