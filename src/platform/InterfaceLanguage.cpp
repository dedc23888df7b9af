#include "platform/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QTranslator>
#include <atomic>
#include <cstdlib>
#include <string_view>

#include "model/UiText.h"

namespace volcatra {

namespace {

const char* NonEmpty(const EnvironmentLookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value && *value ? value : nullptr;
}

// "ja_JP.UTF-8" -> "ja", "en@euro" -> "en".
std::string_view LanguageOf(std::string_view locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

bool NamesNoLanguage(std::string_view locale) {
    const std::string_view language = LanguageOf(locale);
    return language.empty() || language == "C" || language == "POSIX";
}

// The one translator Tr() asks; set while a CInterfaceTranslation with a
// translator lives.
std::atomic<const QTranslator*> g_translator{nullptr};

std::u16string TranslateWithQt(const char* context, const char* source) {
    const QTranslator* translator = g_translator.load();
    if (!translator) return {};
    return translator->translate(context, source).toStdU16String();
}

}  // namespace

InterfaceLanguage ChooseInterfaceLanguage(const EnvironmentLookup& lookup) {
    if (const char* chosen = NonEmpty(lookup, "VOLCATRA_LANG")) {
        const std::string_view language = LanguageOf(chosen);
        if (language == "ja") return InterfaceLanguage::Japanese;
        if (language == "en") return InterfaceLanguage::English;
    }
    const char* locale = NonEmpty(lookup, "LC_ALL");
    if (!locale) locale = NonEmpty(lookup, "LC_MESSAGES");
    if (!locale) locale = NonEmpty(lookup, "LANG");
    // Scripts, CI and the C locale see the program's own texts; the
    // language list does not count there either.
    if (!locale || NamesNoLanguage(locale)) return InterfaceLanguage::Japanese;
    std::string_view languages;
    if (const char* list = NonEmpty(lookup, "LANGUAGE")) languages = list;
    while (!languages.empty()) {
        const size_t colon = languages.find(':');
        const std::string_view language = LanguageOf(languages.substr(0, colon));
        if (language == "ja") return InterfaceLanguage::Japanese;
        if (language == "en") return InterfaceLanguage::English;
        languages = colon == std::string_view::npos ? std::string_view() : languages.substr(colon + 1);
    }
    return LanguageOf(locale) == "ja" ? InterfaceLanguage::Japanese : InterfaceLanguage::English;
}

InterfaceLanguage ChooseInterfaceLanguage() {
    return ChooseInterfaceLanguage([](const char* name) -> const char* { return std::getenv(name); });
}

CInterfaceTranslation::CInterfaceTranslation(InterfaceLanguage language) : m_language(language) {
    if (language == InterfaceLanguage::Japanese) return;
    // The translation is compiled into the program (see translations/).
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/volcatra/i18n/volcatra_en.qm"))) return;
    m_translator = std::move(translator);
    g_translator.store(m_translator.get());
    SetTranslateFunction(TranslateWithQt);
}

CInterfaceTranslation::~CInterfaceTranslation() {
    if (!m_translator) return;
    if (m_installed && QCoreApplication::instance()) QCoreApplication::removeTranslator(m_translator.get());
    SetTranslateFunction(nullptr);
    g_translator.store(nullptr);
}

void CInterfaceTranslation::Install() {
    if (m_translator && !m_installed) m_installed = QCoreApplication::installTranslator(m_translator.get());
}

}  // namespace volcatra
