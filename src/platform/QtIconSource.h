// The icon source of a read made with QImage, usable on a worker thread:
// the icons of Windows executables and libraries (.exe, .dll, .ocx, .cpl,
// .scr), of .ico and .cur files, and the medium's icon named by an
// autorun.inf at its root. The type icons and the overlay come prepared
// (made from the icon theme on the user-interface thread, or from image
// files), so the source never touches QIcon or QPixmap.
#pragma once

#include <QString>
#include <optional>

#include "platform/IconImages.h"
#include "platform/IconSource.h"

namespace volcatra {

struct PreparedIconImages {
    IconImages overlay;
    IconImages linkShortcut;  // the type icon of .lnk files
    IconImages pifShortcut;   // the type icon of .pif files
    IconImages hardDisk;
    IconImages opticalDisc;
    IconImages removableDisk;
};

// The same pictures read from the icon theme's image files (Adwaita, then
// hicolor, under /usr/share/icons) and "Through.ico" of the program in
// programDirectory (see ProgramFilePath), for a program without a display. Missing files leave pictures null.
PreparedIconImages PrepareIconImagesFromFiles(const QString& programDirectory,
                                              const QString& themeRoot = QStringLiteral("/usr/share/icons"));

// Files larger than this are not read as .ico files.
inline constexpr qint64 kMaxIconFileSize = 4 << 20;
inline constexpr qint64 kMaxAutorunSize = 64 << 10;

class CQtIconSource : public IIconSource {
public:
    explicit CQtIconSource(const PreparedIconImages& images);

    FileIcon OwnIcon(const std::string& path, const std::u16string& name, uint16_t attributes) override;
    std::optional<CStoredImage> TypeIcon(const std::u16string& name) override;
    std::optional<CStoredImage> DriveIcon(const std::string& rootPath, uint32_t driveType) override;
    CStoredImage Overlay() override { return m_overlay; }

    // The icon of a file that may carry one, group `group` for executables.
    static FileIcon ReadFileIcon(const std::string& path, const QString& extension, int group = 0);

private:
    CStoredImage m_overlay{};
    std::optional<CStoredImage> m_link;
    std::optional<CStoredImage> m_pif;
    std::optional<CStoredImage> m_hardDisk;
    std::optional<CStoredImage> m_opticalDisc;
    std::optional<CStoredImage> m_removableDisk;
};

// The file an autorun.inf names as the medium's icon ("icon=file.ico" or
// "icon=file.exe,N" in its [autorun] section), relative to the medium's root
// with "/" separators, and the group N; nullopt without one. Paths that
// would leave the medium are refused.
struct AutorunIcon {
    std::string path;
    int group = 0;
};
std::optional<AutorunIcon> ParseAutorunIcon(const QByteArray& autorunText);

// The picture file a desktop entry names in the "Icon" key of its
// [Desktop Entry] group, when that is a file beside it on the medium: a
// relative path with an extension that stays below the entry's folder.
// Theme icon names and absolute paths (which name files of the system the
// entry is used on, not of the medium) give nullopt.
std::optional<std::string> ParseDesktopEntryIcon(const QByteArray& entryText);

}  // namespace volcatra
