#include "gui/shell/show_help.h"

#include "gui/shell/help_viewer.h"
#include "platform/load_path.h"
#include "platform/program_files.h"
#include "platform/user_interface_port.h"
#include "shell/help_document.h"

#include <QFile>
#include <QFileInfo>

namespace tarnova::gui {
namespace {

QString topicOf(int command, int datum) {
    switch (command) {
    case kHelpOnHelp:
        return QString::fromUtf8(kHelpOnHelpTopic.data(), kHelpOnHelpTopic.size());
    case kHelpFinder:
        return QString::fromUtf8(kHelpFinderTopic.data(), kHelpFinderTopic.size());
    default:
        return QString::fromStdString(HelpContextTopic(datum));
    }
}

} // namespace

int ShowHelp(UserInterfacePort& port, int command, int datum) {
    static QString helpFile;
    if (helpFile.isEmpty()) {
        helpFile = QFile::decodeName(QByteArray::fromStdString(
            LocateProgramFiles(loadPath(), processEnvironment()).helpFile));
        if (!QFileInfo::exists(helpFile)) {
            port.showMessage("エラー",
                             "ヘルプファイルがありません。ヘルプを表示することはできません。");
            return 0;
        }
    }
    HelpViewer::instance()->showTopic(helpFile, topicOf(command, datum));
    return 1;
}

} // namespace tarnova::gui
