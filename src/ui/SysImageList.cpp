#include "ui/SysImageList.h"

#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>

#include "platform/IconImages.h"
#include "platform/ProgramFiles.h"

namespace volcatra {

CSysImageList& CSysImageList::Instance() {
    static CSysImageList instance;
    return instance;
}

int CSysImageList::AddThemeIcon(const QString& name, const QString& fallback) {
    const auto found = m_byIconName.constFind(name);
    if (found != m_byIconName.constEnd()) return *found;
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull() && !fallback.isEmpty()) icon = QIcon::fromTheme(fallback);
    if (icon.isNull()) return -1;
    m_icons.push_back(icon);
    const int index = int(m_icons.size()) - 1;
    m_byIconName.insert(name, index);
    return index;
}

bool CSysImageList::Init() {
    if (m_ready) return true;
    // Without a desktop session (offscreen, a bare X server) no theme is
    // named: use the one the program depends on.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor") ||
        QIcon::fromTheme(QStringLiteral("folder")).isNull()) {
        QStringList paths = QIcon::themeSearchPaths();
        if (!paths.contains(QStringLiteral("/usr/share/icons"))) paths << QStringLiteral("/usr/share/icons");
        QIcon::setThemeSearchPaths(paths);
        QIcon::setThemeName(QStringLiteral("Adwaita"));
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
        QIcon::setFallbackSearchPaths({QStringLiteral("/usr/share/pixmaps")});
    }
    m_icons.clear();
    m_byIconName.clear();
    m_byMimeType.clear();
    const struct {
        const char* name;
        const char* fallback;
    } fixed[] = {
        {"text-x-generic", "application-x-generic"},
        {"folder", nullptr},
        {"folder-open", "folder"},
        {"drive-harddisk", nullptr},
        {"drive-optical", "media-optical"},
        {"drive-removable-media", "media-removable"},
    };
    for (const auto& f : fixed) {
        const int index =
            AddThemeIcon(QString::fromLatin1(f.name), f.fallback ? QString::fromLatin1(f.fallback) : QString());
        if (index != int(m_icons.size()) - 1 || index < 0) return false;
    }
    m_ready = true;
    return true;
}

int CSysImageList::IndexForName(const QString& name, bool folder) {
    if (folder) return kFolder;
    if (!m_ready) return kGenericFile;
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const QString typeName = type.name();
    const auto known = m_byMimeType.constFind(typeName);
    if (known != m_byMimeType.constEnd()) return *known;
    int index = AddThemeIcon(type.iconName(), type.genericIconName());
    if (index < 0) index = kGenericFile;
    m_byMimeType.insert(typeName, index);
    return index;
}

QIcon CSysImageList::Icon(int index) const {
    if (index < 0 || size_t(index) >= m_icons.size()) return {};
    return m_icons[size_t(index)];
}

bool CSysImageList::LoadOverlayIcon(const QString& directory) {
    const QString path = ProgramFilePath(directory, QStringLiteral("Through.ico"));
    if (!QFileInfo::exists(path)) return false;
    // The ico reader may refuse canRead() for sound files; read() decides.
    QImage image(path);
    if (image.isNull()) return false;
    image = MakeOverlayPicture(image);
    m_overlay = QIcon(QPixmap::fromImage(image));
    return !m_overlay.isNull();
}

}  // namespace volcatra
