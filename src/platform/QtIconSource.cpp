#include "platform/QtIconSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

#include "model/FileEntry.h"
#include "platform/PeIconReader.h"
#include "platform/ProgramFiles.h"

namespace volcatra {

namespace {

constexpr int kMaxAutorunPathComponents = 32;

std::optional<CStoredImage> Reduced(const IconImages& images) {
    if (images.large.isNull()) return std::nullopt;
    return ReduceToStoredImage(images);
}

QString ExtensionOf(const QString& name) {
    const int dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

bool IsExecutableExtension(const QString& extension) {
    return extension == u"exe" || extension == u"dll" || extension == u"ocx" || extension == u"cpl" ||
           extension == u"scr";
}

// The entry of folder ("" for the file system's root) whose name equals name
// without regard to case (media written on other systems do not keep one
// spelling); the exact name first.
std::optional<QString> FindNoCase(const QString& folder, const QString& name) {
    if (QFileInfo::exists(folder + u'/' + name)) return folder + u'/' + name;
    const QStringList entries = QDir(folder.isEmpty() ? QStringLiteral("/") : folder)
                                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder + u'/' + entry;
    return std::nullopt;
}

// The theme picture of the first of names found at size (an exact size
// folder, else the nearest larger one).
QImage ThemePicture(const QString& themeRoot, const QStringList& names, const QString& context, int size) {
    static const int kSizes[] = {16, 22, 24, 32, 48, 64, 96, 256};
    for (const QString& name : names) {
        if (name.isEmpty()) continue;
        for (const char* theme : {"Adwaita", "hicolor"}) {
            for (const int folder : kSizes) {
                if (folder < size) continue;
                const QString path = QStringLiteral("%1/%2/%3x%3/%4/%5.png")
                                         .arg(themeRoot, QLatin1String(theme), QString::number(folder), context, name);
                QImage image(path);
                if (!image.isNull()) return image;
            }
        }
    }
    return {};
}

IconImages ThemeIcon(const QString& themeRoot, const QStringList& names, const QString& context) {
    return IconImages{ThemePicture(themeRoot, names, context, 32), ThemePicture(themeRoot, names, context, 16)};
}

IconImages TypeIconFromFiles(const QString& themeRoot, const QString& fileName) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return ThemeIcon(themeRoot, {type.iconName(), type.genericIconName(), QStringLiteral("application-x-generic")},
                     QStringLiteral("mimetypes"));
}

}  // namespace

PreparedIconImages PrepareIconImagesFromFiles(const QString& programDirectory, const QString& themeRoot) {
    PreparedIconImages images;
    const QImage through(ProgramFilePath(programDirectory, QStringLiteral("Through.ico")));
    if (!through.isNull()) {
        const QImage overlay = MakeOverlayPicture(through);
        images.overlay = IconImages{overlay, overlay};
    }
    images.linkShortcut = TypeIconFromFiles(themeRoot, QStringLiteral("a.lnk"));
    images.pifShortcut = TypeIconFromFiles(themeRoot, QStringLiteral("a.pif"));
    const QString devices = QStringLiteral("devices");
    images.hardDisk = ThemeIcon(themeRoot, {QStringLiteral("drive-harddisk")}, devices);
    images.opticalDisc =
        ThemeIcon(themeRoot, {QStringLiteral("drive-optical"), QStringLiteral("media-optical")}, devices);
    images.removableDisk =
        ThemeIcon(themeRoot, {QStringLiteral("drive-removable-media"), QStringLiteral("media-removable")}, devices);
    return images;
}

CQtIconSource::CQtIconSource(const PreparedIconImages& images)
    : m_overlay(ReduceToStoredImage(images.overlay)),
      m_link(Reduced(images.linkShortcut)),
      m_pif(Reduced(images.pifShortcut)),
      m_hardDisk(Reduced(images.hardDisk)),
      m_opticalDisc(Reduced(images.opticalDisc)),
      m_removableDisk(Reduced(images.removableDisk)) {}

FileIcon CQtIconSource::ReadFileIcon(const std::string& path, const QString& extension, int group) {
    FileIcon icon;
    std::optional<IconImages> images;
    if (IsExecutableExtension(extension)) {
        const PeIconResult found = ReadPeGroupIconFile(path, group);
        if (found.status == PeIconStatus::ReadError) icon.kind = FileIconKind::Error;
        if (found.status != PeIconStatus::Found) return icon;
        images = ReadIconFile(
            QByteArray(reinterpret_cast<const char*>(found.icoBytes.data()), qsizetype(found.icoBytes.size())));
    } else if (extension == u"ico" || extension == u"cur") {
        const PeIconResult file = ReadSmallRegularFile(path, size_t(kMaxIconFileSize));
        if (file.status == PeIconStatus::ReadError) icon.kind = FileIconKind::Error;
        if (file.status != PeIconStatus::Found) return icon;
        const QByteArray bytes(reinterpret_cast<const char*>(file.icoBytes.data()), qsizetype(file.icoBytes.size()));
        images = ReadIconFile(bytes);
    } else if (extension == u"desktop") {
        const PeIconResult entry = ReadSmallRegularFile(path, size_t(kMaxAutorunSize));
        if (entry.status == PeIconStatus::ReadError) icon.kind = FileIconKind::Error;
        if (entry.status != PeIconStatus::Found) return icon;
        const auto named = ParseDesktopEntryIcon(
            QByteArray(reinterpret_cast<const char*>(entry.icoBytes.data()), qsizetype(entry.icoBytes.size())));
        if (!named) return icon;
        // A picture that is missing or cannot be decoded (SVG needs an image
        // plugin the program does not require) leaves the type's icon.
        const size_t slash = path.rfind('/');
        const std::string picture = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + *named;
        const PeIconResult file = ReadSmallRegularFile(picture, size_t(kMaxIconFileSize));
        if (file.status != PeIconStatus::Found) return icon;
        const QByteArray bytes(reinterpret_cast<const char*>(file.icoBytes.data()), qsizetype(file.icoBytes.size()));
        images = ReadIconFile(bytes);
        if (!images) {
            const QImage image = QImage::fromData(bytes);
            if (!image.isNull()) images = IconImages{image, QImage()};
        }
    }
    // A damaged picture shows the type's icon, as it would on its own system.
    if (!images) return icon;
    icon.kind = FileIconKind::Own;
    icon.image = ReduceToStoredImage(*images);
    return icon;
}

FileIcon CQtIconSource::OwnIcon(const std::string& path, const std::u16string& name, uint16_t attributes) {
    if (attributes & FA_DIRECTORY) return FileIcon{};
    return ReadFileIcon(path, ExtensionOf(QString::fromStdU16String(name)));
}

std::optional<CStoredImage> CQtIconSource::TypeIcon(const std::u16string& name) {
    const QString extension = ExtensionOf(QString::fromStdU16String(name));
    if (extension == u"lnk") return m_link;
    if (extension == u"pif") return m_pif;
    return std::nullopt;
}

std::optional<CStoredImage> CQtIconSource::DriveIcon(const std::string& rootPath, uint32_t driveType) {
    const QString root = QString::fromStdString(rootPath);
    if (const auto autorun = FindNoCase(root == u"/" ? QString() : root, QStringLiteral("autorun.inf"))) {
        const PeIconResult file = ReadSmallRegularFile(autorun->toStdString(), size_t(kMaxAutorunSize));
        if (file.status == PeIconStatus::Found) {
            const QByteArray text(reinterpret_cast<const char*>(file.icoBytes.data()), qsizetype(file.icoBytes.size()));
            if (const auto named = ParseAutorunIcon(text)) {
                QString found = root == u"/" ? QString() : root;
                const QStringList parts = QString::fromStdString(named->path).split(u'/', Qt::SkipEmptyParts);
                bool present = !parts.isEmpty() && parts.size() <= kMaxAutorunPathComponents;
                for (const QString& part : parts) {
                    if (!present) break;
                    const auto next = FindNoCase(found, part);
                    present = next.has_value();
                    if (present) found = *next;
                }
                if (present) {
                    const FileIcon icon = ReadFileIcon(found.toStdString(), ExtensionOf(parts.last()), named->group);
                    if (icon.kind == FileIconKind::Own) return icon.image;
                }
            }
        }
    }
    switch (driveType) {
        case DRIVE_CDROM:
            return m_opticalDisc;
        case DRIVE_REMOVABLE:
            return m_removableDisk;
        default:
            return m_hardDisk;
    }
}

std::optional<std::string> ParseDesktopEntryIcon(const QByteArray& entryText) {
    bool inEntry = false;
    for (QByteArray line : entryText.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || !line.startsWith("Icon")) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed() != "Icon") continue;
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (value.isEmpty() || value.startsWith('/') || !value.contains('.')) return std::nullopt;
        for (const QByteArray& part : value.split('/'))
            if (part.isEmpty() || part == "..") return std::nullopt;
        return value.toStdString();
    }
    return std::nullopt;
}

std::optional<AutorunIcon> ParseAutorunIcon(const QByteArray& autorunText) {
    bool inAutorun = false;
    for (QByteArray line : autorunText.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inAutorun = line.toLower().startsWith("[autorun]");
            continue;
        }
        if (!inAutorun) continue;
        const int equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed().toLower() != "icon") continue;
        QByteArray value = line.mid(equals + 1).trimmed();
        int group = 0;
        const int comma = value.lastIndexOf(',');
        if (comma >= 0) {
            bool ok = false;
            group = value.mid(comma + 1).trimmed().toInt(&ok);
            if (!ok) group = 0;
            value = value.left(comma).trimmed();
        }
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) value = value.mid(1, value.size() - 2);
        value.replace('\\', '/');
        if (value.isEmpty() || value.startsWith('/') || value.contains(':')) return std::nullopt;
        for (const QByteArray& part : value.split('/'))
            if (part == "..") return std::nullopt;
        AutorunIcon icon;
        icon.path = value.toStdString();
        icon.group = group;
        return icon;
    }
    return std::nullopt;
}

}  // namespace volcatra
