// The lines of the process-wide run log, for the window tests.
#pragma once

#include "platform/run_log.h"

#include <QStringList>

namespace tarnova::test {

inline QStringList runLogLines() {
    QStringList lines;
    for (int i = 0; i < runLog().lineCount(); ++i) {
        lines << QString::fromStdString(runLog().line(i));
    }
    return lines;
}

} // namespace tarnova::test
