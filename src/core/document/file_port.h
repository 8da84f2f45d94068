// What loading and saving data files need of the user interface besides messages and
// questions (those go through UserInterfacePort): the open-file and save-file dialogs, the
// format-decision dialog and the main window's title.
//
// The GUI answers with QFileDialog and a QDialog; the command-line tool cancels every dialog;
// the tests answer from a script. Texts are UTF-8 unless said otherwise; paths are file-system
// paths as the platform gives them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

struct FileFilter {
    std::string name;    // e.g. "PKSファイル(ピークサーチ互換)"
    std::string pattern; // e.g. "*.PKS"; the extension is compared without regard to case
};

// One open-file or save-file dialog. Both dialogs hide any read-only check box and show a
// help button. The save dialog adds no extension to a typed name and asks no overwrite
// question of its own (the caller asks it).
struct FileDialogRequest {
    std::vector<FileFilter> filters; // offered in this order
    std::size_t selectedFilter = 0;  // index of the preselected filter
    std::string initialFolder;       // folder shown first; empty: the platform's choice
    // Text the name field starts with. It may be a folder followed by a pattern such as
    // "/data/*.PKS"; a dialog that cannot take patterns in its name field shows that folder
    // and starts with an empty name instead.
    std::string initialName;
    bool fileMustExist = false;  // the open dialog: only existing files can be chosen
    bool folderMustExist = true; // the folder of the chosen name must exist
};

struct FileDialogResult {
    enum class Status {
        Chosen,    // path and filterIndex are set
        Cancelled, // ended without a choice and without an error
        Failed,    // ended without a choice because of an error; errorCode is set
    };
    Status status = Status::Cancelled;
    std::string path;            // the chosen full path, exactly as typed or picked
    std::size_t filterIndex = 0; // index of the filter in force when the dialog ended
    unsigned long errorCode = 0; // the platform's error code, shown to the user in hexadecimal
};

// The three format choices of the format-decision dialog, in this order.
enum class FormatChoice { None = 0, Dat = 1, Pks = 2, PksThird = 3 };

// The format-decision dialog: a file whose format could not be decided, put before the user.
struct FormatDecisionRequest {
    std::string path; // shown in a read-only field
    // The file's whole content, as stored: code page 932 text or any bytes, zero bytes
    // included. It fills a multi-line editable field.
    std::string content;
};

struct FormatDecision {
    enum class Status {
        Accepted,  // OK: content and choice are set
        Cancelled, // Cancel or closed
        NotShown,  // the dialog could not be shown at all
    };
    Status status = Status::Cancelled;
    // The field's text when OK was pressed, as bytes to be written into the file. When the
    // user did not edit the field this must be exactly the request's content (an
    // implementation that decodes the bytes for display returns the original bytes then).
    std::string content;
    // The DAT choice is preset and has the focus when the dialog opens.
    FormatChoice choice = FormatChoice::Dat;
};

class FilePort {
  public:
    virtual ~FilePort() = default;

    // Modal open-file dialog. The caller passes fileMustExist = true.
    virtual FileDialogResult chooseOpenFile(const FileDialogRequest& request) = 0;
    // Modal save-file dialog.
    virtual FileDialogResult chooseSaveFile(const FileDialogRequest& request) = 0;
    // Modal format-decision dialog with OK and Cancel. It only presents the file; the
    // caller rewrites the file with the returned content.
    virtual FormatDecision decideFormat(const FormatDecisionRequest& request) = 0;
    // The main window's title, e.g. "Tarnova - argon_air.pks".
    virtual void setWindowTitle(std::string_view title) = 0;
};

} // namespace tarnova
