// Qt's own texts (standard buttons, the file dialog, the button box) in
// Japanese, like the rest of the program.
#pragma once

#include <QString>
#include <memory>

class QTranslator;

namespace volcatra {

// Loads Qt's Japanese translations from the folder Qt installs its
// translations in (or from the folder given) and installs them in the
// application; they stay installed until the returned translator is
// destroyed. None when the translations are not installed: Qt's texts stay
// in English then.
std::unique_ptr<QTranslator> InstallQtTranslations(const QString& folder = {});

}  // namespace volcatra
