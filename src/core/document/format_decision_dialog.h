// The format-decision dialog: a file whose format could not be decided is shown to the user,
// who may repair its text and chooses the format it is read in.
#pragma once

#include "data/file_kind.h"
#include "document/file_port.h"
#include "platform/user_interface_port.h"

#include <optional>
#include <string>

namespace tarnova {

// Shows the file at path. On OK the chosen format is returned; when the text was edited, the
// former content is first kept under the backup name and the file is written anew with the
// dialog's text. None when the file cannot be read, on Cancel, or when the file cannot be
// rewritten (it is then as it was). No value when the dialog could not be shown or its text
// was empty: the message that says so has then been shown.
std::optional<FormatChoice> FormatDecisionDialog(UserInterfacePort& ui, FilePort& files,
                                                 const std::string& path);

// The name a rewritten file's former content is kept under: the extension replaced by
// ".bak" (appended without one), or ".bak1", ".bak2" and so on when that name is taken.
std::string backupPathFor(const std::string& path);

// Decides the kind of the file at path from its contents; when they do not decide it, when
// the file cannot be read, or on a retry (retry set), the user decides in the
// format-decision dialog. Returns None when nothing was decided, no value when the dialog
// ended with a message of its own.
std::optional<FileKind> DetectFileKind(UserInterfacePort& ui, FilePort& files,
                                       const std::string& path, bool retry);

} // namespace tarnova
