#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace volcatra {

std::unique_ptr<QTranslator> InstallQtTranslations(const QString& folder) {
    const QString path = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto translator = std::make_unique<QTranslator>();
    // The program speaks Japanese whatever the user's locale is.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          path))
        return nullptr;
    if (!QCoreApplication::installTranslator(translator.get())) return nullptr;
    return translator;
}

}  // namespace volcatra
