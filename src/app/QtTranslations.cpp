#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <utility>

namespace volcatra {

namespace {

// Qt's Japanese catalogue predates the renamed context of the file type
// names the file dialog shows ("Folder", "Drive", …): they are supplied here.
class CFileTypeTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0) {
            static const std::pair<const char*, const char16_t*> texts[] = {
                {"Drive", u"ドライブ"}, {"Folder", u"フォルダ"}, {"%1 File", u"%1 ファイル"}, {"File", u"ファイル"}};
            for (const auto& [source, translation] : texts)
                if (qstrcmp(sourceText, source) == 0) return QString::fromUtf16(translation);
        }
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

}  // namespace

std::unique_ptr<QTranslator> InstallQtTranslations(const QString& folder) {
    const QString path = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    std::unique_ptr<QTranslator> translator = std::make_unique<CFileTypeTranslator>();
    // The program speaks Japanese whatever the user's locale is.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          path))
        return nullptr;
    if (!QCoreApplication::installTranslator(translator.get())) return nullptr;
    return translator;
}

}  // namespace volcatra
