#include "app/ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace volcatra {

namespace {

bool WriteText(const QString& path, const QByteArray& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text) == text.size() && file.flush();
}

// Refreshes the caches of the desktop when its tools are installed; the
// files alone are the registration.
void UpdateCaches() {
    const QString data = UserDataFolder();
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QProcess::execute(QStringLiteral("update-mime-database"), {data + QStringLiteral("/mime")});
    if (!QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
        QProcess::execute(QStringLiteral("update-desktop-database"), {data + QStringLiteral("/applications")});
}

// A path for the Exec key: quoted, with its own quotes and backslashes escaped.
QString QuotedForExec(QString path) {
    path.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'`', QStringLiteral("\\`"));
    path.replace(u'$', QStringLiteral("\\$")).replace(u'%', QStringLiteral("%%"));
    return u'"' + path + u'"';
}

}  // namespace

QString UserDataFolder() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty()) return xdg;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString DesktopEntryPath() {
    return UserDataFolder() + QStringLiteral("/applications/volcatra.desktop");
}

QString MimePackagePath() {
    return UserDataFolder() + QStringLiteral("/mime/packages/volcatra-fsr.xml");
}

bool RegisterFileType(const QString& programPath) {
    const QByteArray entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=ボルカトラ\n"
        "Name[ja]=ボルカトラ\n"
        "Comment=ZEVuv.Document\n"
        "Exec=" +
        QuotedForExec(programPath).toUtf8() +
        " %f\n"
        "Icon=media-optical\n"
        "Terminal=false\n"
        "Categories=Utility;Archiving;\n"
        "MimeType=" +
        QByteArray(kCatalogueMimeType) + ";\n";
    const QByteArray mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        QByteArray(kCatalogueMimeType) +
        "\">\n"
        "    <comment>ZEVuv.Document</comment>\n"
        "    <comment xml:lang=\"ja\">メディア構成 ファイル</comment>\n"
        "    <magic priority=\"60\"><match type=\"string\" offset=\"0\" "
        "value=\"File Struct Record Version\"/></magic>\n"
        "    <glob pattern=\"*.fsr\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const bool done = WriteText(DesktopEntryPath(), entry) && WriteText(MimePackagePath(), mime);
    if (done) UpdateCaches();
    return done;
}

bool UnregisterFileType() {
    for (const QString& path : {DesktopEntryPath(), MimePackagePath()})
        if (QFile::exists(path)) QFile::remove(path);
    UpdateCaches();
    return !QFile::exists(DesktopEntryPath()) && !QFile::exists(MimePackagePath());
}

}  // namespace volcatra
