#include "editor/grid_model.h"

#include "editor/cell_number.h"
#include "editor/sheet_history.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/user_interface_port.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

namespace tarnova {
namespace {

using Formats = ColumnFormats;

constexpr const char* kOutOfRangeMessage =
    "値が現在の設定で表示可能な範囲を超えました。表示が異常になるか、値が0になります。";

// The do-nothing view of a grid that no widget shows.
class NoView final : public GridView {
  public:
    void repaintAll() override {}
    void repaintRow(int) override {}
    void scrollContent(int) override {}
    void setScrollBar(const ScrollBarState&) override {}
};

NoView& noView() {
    static NoView view;
    return view;
}

// "%*s" with width and label: right-aligned, padded with blanks on the left, never cut; the
// label ends at a zero byte as a C string does.
std::string elemText(std::string_view label, int width) {
    label = label.substr(0, label.find('\0'));
    const auto fieldWidth = static_cast<std::size_t>(std::max(width, 0));
    if (label.size() >= fieldWidth) {
        return std::string(label);
    }
    std::string text(fieldWidth - label.size(), ' ');
    text += label;
    return text;
}

// The text of column (1 to 5) with the given formats.
std::string fullText(int column, double value, std::string_view label, const Formats& formats) {
    const ColumnFormat& format = formats[static_cast<std::size_t>(column)];
    switch (column) {
    case kElemColumn:
        return elemText(label, format.width);
    case kPeakColumn:
        return formatExponent(value, format.width, format.decimals);
    default:
        return formatFixed(value, format.width, format.decimals, true);
    }
}

double fieldOf(int column, const PeakRecord& peak) {
    switch (column) {
    case kTimeColumn:
        return peak.time;
    case kHeightColumn:
        return peak.height;
    case kRangeColumn:
        return peak.range;
    case kPeakColumn:
        return peak.peakValue();
    default:
        return 0.0;
    }
}

std::string fullText(int column, const PeakRecord& peak, const Formats& formats) {
    return fullText(column, fieldOf(column, peak), peak.elem.str(), formats);
}

bool isEditable(int column) {
    return column >= kElemColumn && column <= kRangeColumn;
}

const char* const kOverflowLines[] = {
    "Width may be over the limit at ELEM.",   "Width may be over the limit at TIME.",
    "Width may be over the limit at HEIGHT.", "Width may be over the limit at RANGE.",
    "Width may be over the limit at PEAK.",
};

std::size_t textIndex(int column) {
    return static_cast<std::size_t>(column - 1);
}

} // namespace

// --- Typed texts ---

TypedTexts::TypedTexts(const TypedTexts& other)
    : cells_(other.cells_ ? std::make_unique<Cells>(*other.cells_) : nullptr) {}

TypedTexts& TypedTexts::operator=(const TypedTexts& other) {
    if (this != &other) {
        cells_ = other.cells_ ? std::make_unique<Cells>(*other.cells_) : nullptr;
    }
    return *this;
}

const std::string* TypedTexts::find(int column) const {
    if (!cells_ || column < kElemColumn || column > kPeakColumn) {
        return nullptr;
    }
    const std::optional<std::string>& cell = (*cells_)[textIndex(column)];
    return cell ? &*cell : nullptr;
}

void TypedTexts::set(int column, std::optional<std::string> text) {
    if (column < kElemColumn || column > kPeakColumn || (!text && !cells_)) {
        return;
    }
    if (!cells_) {
        cells_ = std::make_unique<Cells>();
    }
    (*cells_)[textIndex(column)] = std::move(text);
    if (std::none_of(cells_->begin(), cells_->end(), [](const auto& cell) { return cell; })) {
        cells_.reset();
    }
}

GridModel::GridModel(UserInterfacePort& port)
    : port_(port), view_(&noView()), history_(std::make_unique<SheetHistory>()) {
    buildPlaceholders();
    NewSheet();
}

GridModel::~GridModel() = default;

void GridModel::setView(GridView* view) {
    view_ = view != nullptr ? view : &noView();
}

// --- The sheet ---

int GridModel::AttachPeaks(const std::vector<PeakRecord>& peaks) {
    std::vector<RowState> table;
    double largest = 0.0;
    double smallest = 0.0;
    try {
        table.reserve(peaks.size());
        for (const PeakRecord& peak : peaks) {
            table.emplace_back(EditorRow{peak, {}});
            const double value = peak.peakValue();
            if (table.size() == 1) {
                largest = value;
                smallest = value;
            }
            largest = std::max(largest, value);
            if (value != 0.0 && value < smallest) {
                smallest = value;
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!table.empty()) {
        const ColumnFormat range = formats_[kRangeColumn];
        if (largest >= std::pow(10.0, range.width - range.decimals - 1) ||
            smallest < std::pow(10.0, -range.decimals)) {
            port_.showMessage("Tarnova", kOutOfRangeMessage);
        }
    }
    installSheet(std::move(table), std::max(static_cast<int>(peaks.size()), 1));
    return GetRowCount();
}

void GridModel::installSheet(std::vector<RowState> table, int scrollMaximum) {
    rows_ = std::move(table);
    textFormats_ = formats_;
    cursorRow_ = 0;
    cursorColumn_ = kElemColumn;
    loadEditBuffer(0, kElemColumn);
    topRow_ = 0;
    modified_ = false;
    typing_ = false;
    history_->clear();
    setScrollBar(1, scrollMaximum, kGridPageRows, 1);
    view_->repaintAll();
}

bool GridModel::NewSheet() {
    std::vector<RowState> table;
    try {
        table.resize(kGridPageRows);
    } catch (const std::bad_alloc&) {
        return false;
    }
    installSheet(std::move(table), 1);
    return true;
}

// --- Column formats ---

bool GridModel::SetColumnFormat(int column, int width, int decimals, bool redraw) {
    if (!isValidColumnFormat(column, width, decimals)) {
        return false;
    }
    formats_[columnIndex(column)] = {width, decimals};
    buildPlaceholders();
    if (redraw) {
        view_->repaintAll();
    }
    return true;
}

int GridModel::GetColumnFormat(int column) const {
    if (column < kNumColumn || column > kPeakColumn) {
        return 0;
    }
    return formats_[columnIndex(column)].width;
}

int GridModel::GetColumnFormat(int column, int& decimals) const {
    if (column < kNumColumn || column > kPeakColumn) {
        return 0;
    }
    decimals = formats_[columnIndex(column)].decimals;
    return formats_[columnIndex(column)].width;
}

int GridModel::shownColumnWidth(int column) const {
    const int width = formats_[columnIndex(column)].width;
    if (column != kNumColumn) {
        return width;
    }
    int digits = 1;
    for (int last = GetRowCount(); last >= 10; last /= 10) {
        ++digits;
    }
    return std::max(width, digits);
}

std::array<int, 5> GridModel::GetColumnBorders(int cx) const {
    std::array<int, 5> borders{};
    int x = 0;
    for (int column = kNumColumn; column < kPeakColumn; ++column) {
        x += cx * (shownColumnWidth(column) + 1);
        borders[static_cast<std::size_t>(column)] = x;
    }
    return borders;
}

void GridModel::buildPlaceholders() {
    for (int column = kElemColumn; column <= kRangeColumn; ++column) {
        placeholders_[textIndex(column)] = fullText(column, 0.0, {}, formats_);
    }
    // The Peak of an empty row is zero-padded ("%0*.*E"), unlike the Peak of a row.
    const ColumnFormat peak = formats_[kPeakColumn];
    placeholders_[textIndex(kPeakColumn)] = formatExponent(0.0, peak.width, peak.decimals, true);
}

// --- Texts ---

std::string GridModel::cellText(int row, int column) const {
    if (row < 0 || row >= GetRowCount() || column < kNumColumn || column > kPeakColumn) {
        return {};
    }
    if (column == kNumColumn) {
        const int width = formats_[kNumColumn].width;
        return formatText("%*.*d", width, width, row + 1);
    }
    const RowState& stored = rows_[static_cast<std::size_t>(row)];
    return stored ? cellText(*stored, column) : placeholder(column);
}

std::string GridModel::cellText(const EditorRow& row, int column) const {
    if (const std::string* typed = row.typed.find(column)) {
        return *typed;
    }
    return fullText(column, row.peak, textFormats_);
}

std::string GridModel::displayText(int row, int column) const {
    if (row == cursorRow_ && column == cursorColumn_ && row >= 0 && row < GetRowCount()) {
        return editBuffer_.text;
    }
    return cellText(row, column);
}

double GridModel::cellValue(const EditorRow& row, int column) {
    const std::string* typed = row.typed.find(column);
    return typed != nullptr ? cellNumber(*typed) : fieldOf(column, row.peak);
}

GridModel::Texts GridModel::textsOf(const EditorRow& row, const ColumnFormats& builtWith) {
    Texts texts;
    for (int column = kElemColumn; column <= kPeakColumn; ++column) {
        const std::string* typed = row.typed.find(column);
        texts[textIndex(column)] =
            typed != nullptr ? *typed : fullText(column, row.peak, builtWith);
    }
    return texts;
}

void GridModel::keepTyped(EditorRow& row, const Texts& texts) const {
    for (int column = kElemColumn; column <= kPeakColumn; ++column) {
        const std::string& text = texts[textIndex(column)];
        const bool given = text == fullText(column, row.peak, textFormats_);
        row.typed.set(column, given ? std::nullopt : std::optional<std::string>(text));
    }
}

RowState GridModel::adopted(const RowState& state, const ColumnFormats& builtWith) const {
    if (!state || state->typed.empty() || builtWith == textFormats_) {
        return state;
    }
    EditorRow row = *state;
    keepTyped(row, reformattedTexts(*state, builtWith, textFormats_));
    return row;
}

// --- Rows ---

const EditorRow* GridModel::row(int index) const {
    if (index < 0 || index >= GetRowCount()) {
        return nullptr;
    }
    const RowState& stored = rows_[static_cast<std::size_t>(index)];
    return stored ? &*stored : nullptr;
}

void GridModel::takePeak(int index, const PeakRecord& peak) {
    if (row(index) == nullptr) {
        return;
    }
    EditorRow& stored = *rows_[static_cast<std::size_t>(index)];
    const Texts texts = textsOf(stored, textFormats_);
    stored.peak = peak;
    keepTyped(stored, texts);
}

void GridModel::appendEmptyRows(int count) {
    rows_.resize(rows_.size() + static_cast<std::size_t>(std::max(count, 0)));
}

void GridModel::insertRows(int index, std::vector<RowState> rows,
                           const std::optional<ColumnFormats>& builtWith) {
    if (builtWith) {
        for (RowState& state : rows) {
            state = adopted(state, *builtWith);
        }
    }
    const auto at = rows_.begin() + std::clamp(index, 0, GetRowCount());
    rows_.insert(at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

void GridModel::eraseRows(int index, int count) {
    const int first = std::clamp(index, 0, GetRowCount());
    const int last = std::clamp(first + std::max(count, 0), first, GetRowCount());
    rows_.erase(rows_.begin() + first, rows_.begin() + last);
}

RowState GridModel::deleteRow(int index) {
    if (index < 0 || index >= GetRowCount()) {
        return std::nullopt;
    }
    const auto at = rows_.begin() + index;
    RowState removed = std::move(*at);
    // The deleted row goes to the end and is released there, leaving an empty row.
    std::rotate(at, at + 1, rows_.end());
    rows_.back().reset();
    return removed;
}

bool GridModel::restoreRow(int index, const RowState& state, const ColumnFormats& builtWith) {
    if (index < 0 || index >= GetRowCount() || rows_.back()) {
        return false;
    }
    RowState restored = adopted(state, builtWith);
    const auto at = rows_.begin() + index;
    std::rotate(at, rows_.end() - 1, rows_.end());
    *at = std::move(restored);
    return true;
}

void GridModel::replaceRow(int index, const RowState& state, const ColumnFormats& builtWith) {
    if (index >= 0 && index < GetRowCount()) {
        rows_[static_cast<std::size_t>(index)] = adopted(state, builtWith);
    }
}

bool GridModel::reorderRows(const std::vector<std::size_t>& formerIndex, bool undo) {
    const std::size_t count = formerIndex.size();
    if (count > rows_.size() ||
        std::any_of(rows_.begin() + static_cast<std::ptrdiff_t>(count), rows_.end(),
                    [](const RowState& row) { return row.has_value(); })) {
        return false;
    }
    std::vector<RowState> table(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t former = formerIndex[i];
        if (undo) {
            table[former] = std::move(rows_[i]);
        } else {
            table[i] = std::move(rows_[former]);
        }
    }
    std::move(table.begin(), table.end(), rows_.begin());
    return true;
}

// --- Cursor and edit buffer ---

void GridModel::loadEditBuffer(int row, int column) {
    if (row < 0 || row >= GetRowCount() || !isEditable(column)) {
        return;
    }
    editBuffer_.text = cellText(row, column);
    const ColumnFormat format = formats_[columnIndex(column)];
    // The positions stay inside the text, whatever was typed into it.
    const int last = std::max(static_cast<int>(editBuffer_.text.size()) - 1, 0);
    if (column == kElemColumn) {
        editBuffer_.insertion = std::min(format.width - 1, last);
        editBuffer_.point.reset();
        return;
    }
    const int point = format.width - format.decimals - 1;
    editBuffer_.point = std::min(point, last);
    editBuffer_.insertion = std::clamp(point - 1, 0, last);
}

void GridModel::CommitEdit(int row, int column) {
    if (row < 0 || row >= GetRowCount() || !isEditable(column)) {
        return;
    }
    RowState& slot = rows_[static_cast<std::size_t>(row)];
    std::string text = editBuffer_.text;
    // A buffer that still holds the cell's text changes nothing (an empty row stays empty).
    if (text == (slot ? cellText(*slot, column) : placeholder(column))) {
        typing_ = false;
        refreshModified();
        view_->repaintRow(row);
        return;
    }
    CellCommitted commit{row, column, {}, {}};
    try {
        commit.before = slot;
        // A row typed into for the first time starts from the placeholders and a zero peak.
        EditorRow changed = slot ? *slot : EditorRow{};
        Texts texts = slot ? textsOf(*slot, textFormats_) : placeholders_;
        texts[textIndex(column)] = std::move(text);
        if (column == kHeightColumn || column == kRangeColumn) {
            const double peak = cellNumber(texts[textIndex(kHeightColumn)]) *
                                cellNumber(texts[textIndex(kRangeColumn)]);
            texts[textIndex(kPeakColumn)] = fullText(kPeakColumn, peak, {}, formats_);
        }
        keepTyped(changed, texts);
        slot = std::move(changed);
    } catch (const std::bad_alloc&) {
        port_.showMessage("Tarnova", "Not enough core.");
        return;
    }
    typing_ = false;
    try {
        commit.after = slot;
        recordChange({std::move(commit), true, {}});
    } catch (const std::bad_alloc&) {
        // The cell keeps the typing; only the history is lost.
        history_->forget();
        refreshModified();
    }
    view_->repaintRow(row);
}

void GridModel::ClearModified() {
    typing_ = false;
    history_->markSaved();
    modified_ = false;
}

void GridModel::markModified() {
    typing_ = true;
    modified_ = true;
}

void GridModel::refreshModified() {
    modified_ = typing_ || history_->differsFromSaved();
}

void GridModel::recordChange(SheetChange change) {
    change.textFormats = textFormats_;
    try {
        history_->record(std::move(change));
    } catch (const std::bad_alloc&) {
        history_->forget();
    }
    refreshModified();
}

void GridModel::cancelTyping() {
    loadEditBuffer(cursorRow_, cursorColumn_);
    typing_ = false;
    refreshModified();
    view_->repaintCells(cursorRow_, cursorColumn_, cursorColumn_);
}

void GridModel::placeCursor(int row, int column) {
    cursorRow_ = std::clamp(row, 0, std::max(GetRowCount() - 1, 0));
    cursorColumn_ = column;
    loadEditBuffer(cursorRow_, cursorColumn_);
    typing_ = false;
    if (!isRowVisible(cursorRow_) || topRow_ > lastTopRow()) {
        topRow_ = std::min(cursorRow_, lastTopRow());
    }
    setScrollBar(1, std::max(GetRowCount(), 1), kGridPageRows, topRow_ + 1);
    view_->repaintAll();
}

void GridModel::MoveCursor(int row, int column) {
    if (row < 0 || row >= GetRowCount() || (column != -1 && !isEditable(column))) {
        return;
    }
    // Committing repaints the old cursor row.
    CommitEdit(cursorRow_, cursorColumn_);
    const int target = column == -1 ? cursorColumn_ : column;
    loadEditBuffer(row, target);
    cursorRow_ = row;
    cursorColumn_ = target;

    if (isRowVisible(row)) {
        view_->repaintRow(row);
    } else if (row == topRow_ - 1) {
        --topRow_;
        view_->scrollContent(1);
    } else if (row == topRow_ + kGridPageRows) {
        ++topRow_;
        view_->scrollContent(-1);
    } else {
        topRow_ = std::min(row, lastTopRow());
        view_->repaintAll();
    }
    setScrollBar(scrollBar_.minimum, scrollBar_.maximum, scrollBar_.page, topRow_ + 1);
}

bool GridModel::bufferDiffersFromCell() const {
    return cursorRow_ >= 0 && cursorRow_ < GetRowCount() && isEditable(cursorColumn_) &&
           editBuffer_.text != cellText(cursorRow_, cursorColumn_);
}

GridModel::Texts GridModel::reformattedTexts(const EditorRow& source,
                                             const ColumnFormats& builtWith,
                                             const ColumnFormats& target) {
    // A cell that still shows what its peak gave is formatted from the peak; a typed one from
    // its text, so that typing survives a change of formats.
    const PeakRecord& peak = source.peak;
    const Texts texts = textsOf(source, builtWith);
    const auto unedited = [&](int column) { return isCellUnedited(source, column); };
    const auto text = [&](int column) -> const std::string& { return texts[textIndex(column)]; };
    const std::string label =
        unedited(kElemColumn) ? peak.elem.str() : cellLabel(text(kElemColumn));
    const double time = unedited(kTimeColumn) ? peak.time : cellNumber(text(kTimeColumn));
    const bool heightKept = unedited(kHeightColumn);
    const bool rangeKept = unedited(kRangeColumn);
    const double height = heightKept ? peak.height : cellNumber(text(kHeightColumn));
    const double range = rangeKept ? peak.range : cellNumber(text(kRangeColumn));
    return {
        fullText(kElemColumn, 0.0, label, target),
        fullText(kTimeColumn, time, {}, target),
        fullText(kHeightColumn, height, {}, target),
        fullText(kRangeColumn, range, {}, target),
        fullText(kPeakColumn, heightKept && rangeKept ? peak.peakValue() : height * range, {},
                 target),
    };
}

void GridModel::ReformatRows() {
    if (rows_.empty() || !rows_.front()) {
        return;
    }
    // Typing in progress is kept: the edit buffer goes into its cell first.
    if (bufferDiffersFromCell()) {
        CommitEdit(cursorRow_, cursorColumn_);
    }
    // Only the first row is checked, as a sample of the widths.
    const Texts first = reformattedTexts(*rows_.front(), textFormats_, formats_);
    for (int column = kElemColumn; column <= kPeakColumn; ++column) {
        for (std::size_t length = first[textIndex(column)].size(); length > 50; --length) {
            LogLine(kOverflowLines[column - 1]);
        }
    }
    // The texts of untyped cells follow the formats by themselves; typed ones are rebuilt.
    const ColumnFormats builtWith = textFormats_;
    textFormats_ = formats_;
    for (RowState& row : rows_) {
        if (row && !row->typed.empty()) {
            keepTyped(*row, reformattedTexts(*row, builtWith, textFormats_));
        }
    }
    loadEditBuffer(cursorRow_, cursorColumn_);
    view_->repaintAll();
}

// --- Scrolling, mouse, painting ---

void GridModel::setScrollBar(int minimum, int maximum, int page, int position) {
    scrollBar_ = {minimum, maximum, page, position};
    view_->setScrollBar(scrollBar_);
}

void GridModel::followRowCount() {
    setScrollBar(1, std::max(GetRowCount(), 1), kGridPageRows, topRow_ + 1);
}

void GridModel::setTopRow(int row) {
    topRow_ = row;
    setScrollBar(scrollBar_.minimum, scrollBar_.maximum, scrollBar_.page, topRow_ + 1);
}

void GridModel::lineUp() {
    if (topRow_ >= 1) {
        setTopRow(topRow_ - 1);
        view_->scrollContent(1);
    }
}

void GridModel::lineDown() {
    if (topRow_ < GetRowCount() - kGridPageRows) {
        setTopRow(topRow_ + 1);
        view_->scrollContent(-1);
    }
}

void GridModel::pageUp() {
    if (topRow_ > 0) {
        setTopRow(std::max(topRow_ - kGridPageRows, 0));
        view_->repaintAll();
    }
}

void GridModel::pageDown() {
    if (topRow_ < GetRowCount() - kGridPageRows) {
        setTopRow(std::min(topRow_ + kGridPageRows, lastTopRow()));
        view_->repaintAll();
    }
}

void GridModel::thumbMovedTo(int position) {
    setTopRow(std::max(position - 1, 0));
    view_->repaintAll();
}

std::optional<GridCell> GridModel::cellAt(int x, int y, int cx, int cy) const {
    if (cx <= 0 || cy <= 0 || y < 0) {
        return std::nullopt;
    }
    const std::array<int, 5> borders = GetColumnBorders(cx);
    if (x < borders[0] || x > borders[4]) {
        return std::nullopt;
    }
    int column = kElemColumn;
    while (x > borders[static_cast<std::size_t>(column)]) {
        ++column;
    }
    const int row = y == 0 ? topRow_ : topRow_ + (y + cy - 1) / cy - 1;
    return GridCell{row, column};
}

void GridModel::pressAt(int x, int y, int cx, int cy) {
    if (const std::optional<GridCell> cell = cellAt(x, y, cx, cy)) {
        MoveCursor(cell->row, cell->column);
    }
}

GridModel::RowSpan GridModel::rowsToPaint(int regionTop, int regionHeight, int cy) const {
    if (cy <= 0 || regionHeight <= 0) {
        return {topRow_, 0};
    }
    const int firstOffset = std::max(regionTop, 0) / cy;
    const int first = topRow_ + firstOffset;
    const int height = regionTop + regionHeight - firstOffset * cy;
    const int count = std::min((height + cy - 1) / cy, GetRowCount() - first);
    return {first, std::max(count, 0)};
}

} // namespace tarnova
