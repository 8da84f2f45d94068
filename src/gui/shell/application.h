// The program's start-up on the desktop: the run log, the settings, the command line and the
// main window.
#pragma once

#include "shell/instance_starter.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>

namespace tarnova {
struct CalcState;
class FilePort;
class GridModel;
struct Settings;
class UserInterfacePort;
} // namespace tarnova

namespace tarnova::gui {

class MainWindow;

// Starts further processes of the program as detached processes.
InstanceStarter detachedInstanceStarter();

// What lives as long as the program: the options, the document's grid, the calculation, the
// printer chosen and the main window.
class Application final {
  public:
    Application(UserInterfacePort& port, FilePort& files, InstanceStarter startInstance);
    ~Application();

    // Runs the start-up for the program's arguments (without the program's name), creates the
    // main window, hands it to prepareWindow (to own the dialogs) and loads the first file.
    // False when start-up failed.
    bool start(const QStringList& arguments,
               const std::function<void(MainWindow&)>& prepareWindow = {});
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    GridModel& grid() { return *grid_; }
    Settings& settings() { return *settings_; }

  private:
    UserInterfacePort& port_;
    FilePort& files_;
    InstanceStarter startInstance_;
    std::unique_ptr<GridModel> grid_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<CalcState> calculation_;
    std::string printer_;
    std::unique_ptr<MainWindow> mainWindow_;
};

// The GUI entry: start-up, then the event loop until the main window closes.
int RunTarnova(int argc, char** argv);

} // namespace tarnova::gui
