#include "gui/shell/application.h"

#include "calc/calc_state.h"
#include "document/grid_settings.h"
#include "editor/grid_model.h"
#include "gui/data/file_dialogs.h"
#include "gui/editor/main_window.h"
#include "gui/platform/qt_port.h"
#include "gui/shell/log_window.h"
#include "platform/load_path.h"
#include "shell/command_line.h"
#include "shell/startup.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QTranslator>

#include <clocale>

namespace tarnova::gui {

InstanceStarter detachedInstanceStarter() {
    return [](const std::string& executable, const std::string& file) {
        QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(executable)),
                                {QFile::decodeName(QByteArray::fromStdString(file))});
    };
}

Application::Application(UserInterfacePort& port, FilePort& files, InstanceStarter startInstance)
    : port_(port), files_(files), startInstance_(std::move(startInstance)),
      grid_(std::make_unique<GridModel>(port)), settings_(std::make_unique<Settings>()),
      calculation_(std::make_unique<CalcState>()) {}

Application::~Application() = default;

bool Application::start(const QStringList& arguments,
                        const std::function<void(MainWindow&)>& prepareWindow) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) {
        words.push_back(QFile::encodeName(argument).toStdString());
    }
    StartupHooks hooks;
    hooks.openLogWindow = [] { return LogWindow::open(); };
    hooks.loadSettings = [this] { LoadSettings(*settings_, *grid_, settingsFilePath()); };
    hooks.startInstance = startInstance_;
    const StartupResult result = RunStartup(joinCommandLine(words), ExecutablePath(), hooks, port_);
    if (!result.succeeded) {
        return false;
    }
    mainWindow_ = std::make_unique<MainWindow>(MainWindowContext{
        *grid_, *settings_, *calculation_, port_, files_, startInstance_, printer_});
    if (prepareWindow) {
        prepareWindow(*mainWindow_);
    }
    mainWindow_->loadStartupFile();
    return true;
}

int RunTarnova(int argc, char** argv) {
    QApplication application(argc, argv);
    // Desktops match the windows with the installed desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARNOVA_APP_ID));
    // Qt adopts the user's locale; numbers in files, sheets and logs always use a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // The program speaks Japanese: Qt's own buttons (はい, いいえ, キャンセル) follow it.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    QApplication::setQuitOnLastWindowClosed(false);
    QtPort port;
    QtFilePort files(nullptr);
    Application tarnova(port, files, detachedInstanceStarter());
    const auto prepareWindow = [&](MainWindow& window) {
        port.setOwner(&window);
        files.setOwner(&window);
        QObject::connect(&window, &MainWindow::closed, &application, &QApplication::quit,
                         Qt::QueuedConnection);
    };
    if (!tarnova.start(QApplication::arguments().mid(1), prepareWindow)) {
        return 0;
    }
    tarnova.mainWindow()->show();
    const int exitCode = QApplication::exec();
    // The run log and the help viewer close with the program.
    QApplication::closeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return exitCode;
}

} // namespace tarnova::gui
