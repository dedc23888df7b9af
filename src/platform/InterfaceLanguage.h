// The language of the interface (Japanese or English) and the translator
// that puts the program's texts into it.
#pragma once

#include <functional>
#include <memory>

class QTranslator;

namespace volcatra {

enum class InterfaceLanguage { Japanese, English };

// Reads one environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The language the user's environment asks for. VOLCATRA_LANG=ja or en
// decides first. Otherwise the locale of messages (LC_ALL, LC_MESSAGES,
// LANG, the first one set): the C and POSIX locales name no language and
// give Japanese, the program's own; else the first language of LANGUAGE and
// of that locale that the program has (ja, en) decides, and a user of any
// other language gets English.
InterfaceLanguage ChooseInterfaceLanguage(const EnvironmentLookup& lookup);
// The same with the process's environment.
InterfaceLanguage ChooseInterfaceLanguage();

// The translation of the program's texts into a language. While it lives,
// Tr() gives its texts; Install() also puts it into the running
// QCoreApplication so that Qt code's tr() finds them.
class CInterfaceTranslation {
public:
    // Japanese needs no translator: the texts are written in it.
    explicit CInterfaceTranslation(InterfaceLanguage language);
    ~CInterfaceTranslation();
    CInterfaceTranslation(const CInterfaceTranslation&) = delete;
    CInterfaceTranslation& operator=(const CInterfaceTranslation&) = delete;

    InterfaceLanguage Language() const { return m_language; }
    // False when the translation could not be loaded (the texts stay
    // Japanese then).
    bool IsLoaded() const { return m_translator != nullptr; }
    void Install();

private:
    InterfaceLanguage m_language;
    std::unique_ptr<QTranslator> m_translator;
    bool m_installed = false;
};

}  // namespace volcatra
