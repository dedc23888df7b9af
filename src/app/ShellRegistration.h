// Registration of the catalogue file type with the desktop: a desktop entry
// that opens ".fsr" files with the program and a MIME type for the
// extension, both in the user's data folder.
#pragma once

#include <QString>

namespace volcatra {

inline constexpr char kCatalogueMimeType[] = "application/x-zevuv-document";

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share).
QString UserDataFolder();
QString DesktopEntryPath();
QString MimePackagePath();

// Writes both files for the program at programPath; false when either
// cannot be written.
bool RegisterFileType(const QString& programPath);
// Removes both files; true when neither remains.
bool UnregisterFileType();

}  // namespace volcatra
