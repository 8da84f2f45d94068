#include "gui/data/file_dialogs.h"

#include "gui/data/format_decision_dialog.h"

#include <QFileDialog>
#include <QWidget>

namespace tarnova::gui {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file system compares names with regard to case; the data files' extensions are
// matched without, so "*.DAT" also lists "run1.dat". "*.*" means every file, also one
// without an extension.
QString caseFreePattern(const std::string& pattern) {
    if (pattern == "*.*") {
        return "*";
    }
    QString glob;
    for (const QChar c : fromUtf8(pattern)) {
        if (c.isLetter() && c.toUpper() != c.toLower()) {
            glob += '[' + QString(c.toUpper()) + QString(c.toLower()) + ']';
        } else {
            glob += c;
        }
    }
    return glob;
}

// The filter as the dialog lists it; the pattern details are hidden, so that the list shows
// the names alone.
QString nameFilter(const FileFilter& filter) {
    return fromUtf8(filter.name) + " (" + caseFreePattern(filter.pattern) + ")";
}

bool isPattern(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

} // namespace

std::unique_ptr<QFileDialog> QtFilePort::makeFileDialog(const FileDialogRequest& request,
                                                        bool save) const {
    auto dialog = std::make_unique<QFileDialog>(owner_);
    // Qt's own dialog lists the filters in order and reports the one in force.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix({});

    QStringList filters;
    for (const FileFilter& filter : request.filters) {
        filters << nameFilter(filter);
    }
    dialog->setNameFilters(filters);
    if (request.selectedFilter < request.filters.size()) {
        dialog->selectNameFilter(filters[static_cast<qsizetype>(request.selectedFilter)]);
    }

    // A name of the form folder/pattern shows the folder with an empty name.
    QString folder = fromUtf8(request.initialFolder);
    QString name;
    if (!request.initialName.empty()) {
        const std::size_t slash = request.initialName.rfind('/');
        const std::string namePart = slash == std::string::npos
                                         ? request.initialName
                                         : request.initialName.substr(slash + 1);
        if (slash != std::string::npos) {
            folder = fromUtf8(request.initialName.substr(0, slash + 1));
        }
        if (!isPattern(namePart)) {
            name = fromUtf8(namePart);
        }
    }
    if (!folder.isEmpty()) {
        dialog->setDirectory(folder);
    }
    if (!name.isEmpty()) {
        dialog->selectFile(name);
    }
    return dialog;
}

FileDialogResult QtFilePort::run(const FileDialogRequest& request, bool save) {
    const std::unique_ptr<QFileDialog> dialog = makeFileDialog(request, save);
    FileDialogResult result;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return result;
    }
    result.status = FileDialogResult::Status::Chosen;
    result.path = dialog->selectedFiles().constFirst().toStdString();
    result.filterIndex = request.selectedFilter;
    // With the details hidden the dialog names the filter by its name alone.
    const QString selected = dialog->selectedNameFilter();
    for (std::size_t i = 0; i < request.filters.size(); ++i) {
        const FileFilter& filter = request.filters[i];
        if (selected == nameFilter(filter) || selected == fromUtf8(filter.name)) {
            result.filterIndex = i;
            break;
        }
    }
    return result;
}

FileDialogResult QtFilePort::chooseOpenFile(const FileDialogRequest& request) {
    return run(request, false);
}

FileDialogResult QtFilePort::chooseSaveFile(const FileDialogRequest& request) {
    return run(request, true);
}

FormatDecision QtFilePort::decideFormat(const FormatDecisionRequest& request) {
    FormatDecisionDialog dialog(owner_, request.path, request.content);
    FormatDecision decision;
    if (dialog.exec() != QDialog::Accepted) {
        return decision;
    }
    decision.status = FormatDecision::Status::Accepted;
    decision.content = dialog.contents();
    decision.choice = static_cast<FormatChoice>(dialog.chosenFormat());
    return decision;
}

void QtFilePort::setWindowTitle(std::string_view title) {
    if (owner_ != nullptr) {
        owner_->window()->setWindowTitle(fromUtf8(title));
    }
}

} // namespace tarnova::gui
