#include "platform/ShellTypeNames.h"

#include <QHash>
#include <QList>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>
#include <unordered_map>

namespace volcatra {

namespace {

// Names remembered with their type text. The database's lookup walks its
// glob lists for every name (several microseconds); catalogues repeat names
// (IMG_0001.JPG on every card), so a bounded memory of recent names saves
// most lookups in real use.
constexpr size_t kRememberedNames = 4096;

}  // namespace

struct CMimeTypeNames::Impl {
    QMimeDatabase m_database;
    std::unordered_map<std::u16string, std::u16string> m_byName;
    // Descriptions by MIME type name: a description is read from the
    // database's XML once per type and process.
    QHash<QString, std::u16string> m_descriptions;
    bool m_folderKnown = false;
    std::u16string m_folder;

    const std::u16string& Describe(const QMimeType& type) {
        auto it = m_descriptions.find(type.name());
        if (it == m_descriptions.end()) it = m_descriptions.insert(type.name(), type.comment().toStdU16String());
        return *it;
    }
};

CMimeTypeNames::CMimeTypeNames() : m_impl(std::make_unique<Impl>()) {}

CMimeTypeNames::~CMimeTypeNames() = default;

std::u16string CMimeTypeNames::GetTypeName(const std::u16string& name, bool folder) const {
    Impl& impl = *m_impl;
    if (folder) {
        if (!impl.m_folderKnown) {
            const QMimeType type = impl.m_database.mimeTypeForName(QStringLiteral("inode/directory"));
            if (type.isValid()) impl.m_folder = type.comment().toStdU16String();
            impl.m_folderKnown = true;
        }
        return impl.m_folder;
    }
    if (const auto known = impl.m_byName.find(name); known != impl.m_byName.end()) return known->second;
    std::u16string description;
    const QList<QMimeType> types = impl.m_database.mimeTypesForFileName(QString::fromStdU16String(name));
    if (!types.isEmpty() && types.first().isValid()) description = impl.Describe(types.first());
    if (impl.m_byName.size() >= kRememberedNames) impl.m_byName.clear();
    impl.m_byName.emplace(name, description);
    return description;
}

}  // namespace volcatra
