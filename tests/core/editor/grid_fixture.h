// A grid model on a scripted port, with a view that records what the model asks of its widget.
#pragma once

#include "core/support/peak_records.h"
#include "core/support/scripted_port.h"
#include "editor/grid_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnova::test {

class RecordingView final : public GridView {
  public:
    std::vector<std::string> calls;
    ScrollBarState scrollBar;

    void repaintAll() override { calls.push_back("all"); }
    void repaintRow(int row) override { calls.push_back("row " + std::to_string(row)); }
    void repaintCells(int row, int first, int last) override {
        calls.push_back("cells " + std::to_string(row) + " " + std::to_string(first) + "-" +
                        std::to_string(last));
    }
    void repaintFromRow(int row) override { calls.push_back("from " + std::to_string(row)); }
    void scrollContent(int rows) override { calls.push_back("scroll " + std::to_string(rows)); }
    void setScrollBar(const ScrollBarState& state) override { scrollBar = state; }
};

inline PeakRecord peak(const char* elem, double time, double height = 1.0, double range = 1.0) {
    return makePeak(elem, time, height, range);
}

class GridFixture : public ::testing::Test {
  protected:
    GridFixture() { grid.setView(&view); }
    GridCell cursor() const { return {grid.cursorRow(), grid.cursorColumn()}; }

    ScriptedPort port;
    RecordingView view;
    GridModel grid{port};
};

} // namespace tarnova::test
