// Where the icon pass of a read gets its pictures, already reduced to the
// stored format: a file's own icon, the type icon of shortcuts, the icon of
// the medium and the overlay drawn on shortcuts. The desktop program and the
// command-line tool make them from files with QImage; tests use a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/IconList.h"

namespace volcatra {

enum class FileIconKind {
    Own,       // the file carries an icon of its own
    TypeIcon,  // the file shows its type's icon
    Error,     // the file could not be read
};

struct FileIcon {
    FileIconKind kind = FileIconKind::TypeIcon;
    CStoredImage image{};
};

class IIconSource {
public:
    virtual ~IIconSource() = default;
    // The icon of the file or folder at path (name is its last component).
    virtual FileIcon OwnIcon(const std::string& path, const std::u16string& name, uint16_t attributes) = 0;
    // The type icon of a file named name; nullopt when there is none.
    virtual std::optional<CStoredImage> TypeIcon(const std::u16string& name) = 0;
    // The icon of the medium mounted at rootPath; nullopt when there is none.
    virtual std::optional<CStoredImage> DriveIcon(const std::string& rootPath, uint32_t driveType) = 0;
    // The overlay drawn on every shortcut's icon.
    virtual CStoredImage Overlay() = 0;
};

}  // namespace volcatra
