#include "app/ShellRegistration.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace volcatra {

namespace {

// Files that versions before the common names wrote.
QStringList OldFiles() {
    const QString data = UserDataFolder();
    return {data + QStringLiteral("/applications/volcatra.desktop"),
            data + QStringLiteral("/mime/packages/volcatra-fsr.xml")};
}

bool WriteText(const QString& path, const QByteArray& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text) == text.size() && file.flush();
}

// Copies the program's icons from its resources into the hicolor theme.
bool WriteIcons() {
    const QStringList paths = IconPaths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString source = i < int(std::size(kIconSizes))
                                   ? QStringLiteral(":/volcatra/app-%1.png").arg(kIconSizes[i])
                                   : QStringLiteral(":/volcatra/app.svg");
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly) || !WriteText(paths[i], file.readAll())) return false;
    }
    return true;
}

// Refreshes the caches of the desktop when its tools are installed; the
// files alone are the registration.
void UpdateCaches() {
    const QString data = UserDataFolder();
    // Icon themes notice new files by the time of their top folder.
    const QString hicolor = data + QStringLiteral("/icons/hicolor");
    if (QFileInfo(hicolor).isDir()) ::utimensat(AT_FDCWD, QFile::encodeName(hicolor).constData(), nullptr, 0);
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QProcess::execute(QStringLiteral("update-mime-database"), {data + QStringLiteral("/mime")});
    if (!QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
        QProcess::execute(QStringLiteral("update-desktop-database"), {data + QStringLiteral("/applications")});
}

// A path for the Exec key: quoted, its quotes, backquotes, dollars and
// backslashes escaped for the argument, then, since the key's value is a
// string, every backslash and line break escaped once more ("$" becomes
// "\\$" in the file); a percent sign is doubled.
QString QuotedForExec(QString path) {
    path.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'`', QStringLiteral("\\`"))
        .replace(u'$', QStringLiteral("\\$"));
    path.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\t', QStringLiteral("\\t"))
        .replace(u'%', QStringLiteral("%%"));
    return u'"' + path + u'"';
}

// A file of the program's resources, %1 standing for the desktop-file id.
QByteArray ResourceText(const QString& pathPattern) {
    QFile file(pathPattern.arg(QLatin1String(kDesktopFileId)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QByteArray DesktopEntryFor(const QByteArray& installedEntry, const QString& programPath) {
    QList<QByteArray> lines = installedEntry.split('\n');
    for (QByteArray& line : lines) {
        if (!line.startsWith("Exec=")) continue;
        const qsizetype space = line.indexOf(' ');
        line = "Exec=" + QuotedForExec(programPath).toUtf8() + (space < 0 ? QByteArray() : line.mid(space));
    }
    return lines.join('\n');
}

QString UserDataFolder() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty()) return xdg;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString DesktopEntryPath() {
    return UserDataFolder() + QStringLiteral("/applications/%1.desktop").arg(QLatin1String(kDesktopFileId));
}

QString MimePackagePath() {
    return UserDataFolder() + QStringLiteral("/mime/packages/%1.xml").arg(QLatin1String(kDesktopFileId));
}

QStringList IconPaths() {
    const QString hicolor = UserDataFolder() + QStringLiteral("/icons/hicolor/");
    const QString id = QLatin1String(kDesktopFileId);
    QStringList paths;
    for (int size : kIconSizes) paths << hicolor + QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(id);
    paths << hicolor + QStringLiteral("scalable/apps/%1.svg").arg(id);
    return paths;
}

bool RegisterFileType(const QString& programPath) {
    // The same desktop entry and MIME package as an installed program has;
    // the entry's Exec key names this program by its path.
    const QByteArray entry = DesktopEntryFor(ResourceText(QStringLiteral(":/volcatra/%1.desktop")), programPath);
    const QByteArray mime = ResourceText(QStringLiteral(":/volcatra/%1.xml"));
    if (entry.isEmpty() || mime.isEmpty()) return false;
    // An entry of an earlier version would be a second one.
    for (const QString& path : OldFiles()) QFile::remove(path);
    const bool done = WriteIcons() && WriteText(DesktopEntryPath(), entry) && WriteText(MimePackagePath(), mime);
    UpdateCaches();
    return done;
}

bool UnregisterFileType() {
    const QStringList paths = QStringList{DesktopEntryPath(), MimePackagePath()} + IconPaths() + OldFiles();
    for (const QString& path : paths)
        if (QFile::exists(path)) QFile::remove(path);
    UpdateCaches();
    for (const QString& path : paths)
        if (QFile::exists(path)) return false;
    return true;
}

}  // namespace volcatra
