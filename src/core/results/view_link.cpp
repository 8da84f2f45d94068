#include "results/view_link.h"

#include <initializer_list>

namespace tarnova {

void FollowSheet(const ViewLink& link, const ResultView& view, int sheet, bool correspondent) {
    ResultView* other = link.other(view);
    if (correspondent && other != nullptr && other->currentSheet() != sheet) {
        other->postShowSheet(sheet);
    }
}

void RepaintViews(const ViewLink& link) {
    for (ResultView* view : {link.graph, link.result}) {
        if (view != nullptr) {
            view->repaintNow();
        }
    }
}

} // namespace tarnova
