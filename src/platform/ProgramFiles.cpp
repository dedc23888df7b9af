#include "platform/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

// The installed data folder as seen from the installed program's folder,
// set by the build from its install directories.
#ifndef VOLCATRA_DATA_FROM_BIN
#define VOLCATRA_DATA_FROM_BIN "../share/volcatra"
#endif

namespace volcatra {

QString ProgramFilePath(const QString& programDirectory, const QString& name) {
    const QDir folder(programDirectory);
    const QString beside = folder.filePath(name);
    if (QFileInfo::exists(beside)) return beside;
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral(VOLCATRA_DATA_FROM_BIN "/") + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace volcatra
