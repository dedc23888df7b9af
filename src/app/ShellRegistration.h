// Registration of the catalogue file type with the desktop: a desktop entry
// that opens ".fsr" files with the program, a MIME type for the extension
// and the program's icon, all in the user's data folder.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace volcatra {

// The names the desktop knows the program by; an installed package uses the
// same, so that the user never sees two entries: the desktop entry
// "<id>.desktop", the icon "<id>" and the MIME package "<id>.xml".
inline constexpr char kDesktopFileId[] = "com.marovane.Volcatra";
inline constexpr char kCatalogueMimeType[] = "application/x-zevuv-document";
// The pixel sizes of the icon in the hicolor theme (a scalable one beside them).
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share).
QString UserDataFolder();
QString DesktopEntryPath();
QString MimePackagePath();
// The icon files in the user's hicolor theme, the scalable one last.
QStringList IconPaths();

// The desktop entry of an installed program (Exec=volcatra %f) made to start
// the program at programPath, the Exec key's field codes kept.
QByteArray DesktopEntryFor(const QByteArray& installedEntry, const QString& programPath);

// Writes the desktop entry, the MIME package and the icons for the program
// at programPath, from the same files an installation puts in place; false
// when any cannot be written.
bool RegisterFileType(const QString& programPath);
// Removes them (and the files of earlier versions); true when none remains.
bool UnregisterFileType();

}  // namespace volcatra
