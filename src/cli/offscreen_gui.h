// Qt's drawing without a display, for the commands that draw (graph, report): the offscreen
// platform with the system's fonts, and Qt's notes about the platform kept off the console.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace tarnova::cli {

class OffscreenGui final {
  public:
    OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

  private:
    int argc_ = 1;
    char programName_[12] = "tarnova-cli";
    char* argv_[2] = {programName_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace tarnova::cli
