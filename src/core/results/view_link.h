// The result window and the graph window as the result commands see them, and the link that
// ties the two together so that each can reach the other.
#pragma once

namespace tarnova {

class ResultView {
  public:
    virtual ~ResultView() = default;

    virtual int currentSheet() const = 0;
    // Asks the view to show sheet once the current command has finished (the show-sheet
    // message): the view then selects it as its own Sheet menu would.
    virtual void postShowSheet(int sheet) = 0;
    // Draws the view again at once, with its Sheet menu labelled by the current sheet names.
    virtual void repaintNow() = 0;
};

// Each window writes itself into its field when it is created and clears the field when it is
// destroyed; a field is empty while that window does not exist.
struct ViewLink {
    ResultView* graph = nullptr;
    ResultView* result = nullptr;

    ResultView* other(const ResultView& view) const { return &view == graph ? result : graph; }
};

// After view showed sheet: with the option correspondent, the other window of the link is
// asked to show the same sheet unless it already does. The other window answers the same way,
// so the exchange ends as soon as both show one sheet.
void FollowSheet(const ViewLink& link, const ResultView& view, int sheet, bool correspondent);

// Redraws both windows of the link that exist (after the points of a sheet changed).
void RepaintViews(const ViewLink& link);

} // namespace tarnova
