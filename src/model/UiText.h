// The texts the user reads on screen or on the terminal, and the one hook
// through which they are translated.
//
// The program's own texts are Japanese. Each is written as
// VOLCATRA_TEXT("Context", "text"): the context groups the translations and
// lupdate collects every such text into translations/volcatra_en.ts. The
// logic layers keep no dependency on Qt: the programs install a translate
// function backed by their translator; without one Tr gives the text itself.
#pragma once

#include <string>

namespace volcatra {

// A user-visible text in UTF-8 and the context of its translations.
struct UiText {
    const char* m_context;
    const char* m_source;
};

// The translation of source in context as UTF-16, or an empty text when
// there is none. Called from any thread.
using TranslateFunction = std::u16string (*)(const char* context, const char* source);

// Installs the translate function (nullptr: texts stay as written).
void SetTranslateFunction(TranslateFunction function);

// The text in the user's language: its translation, or the text itself.
std::u16string Tr(UiText text);

}  // namespace volcatra

// Marks a text for lupdate (an alias of QT_TRANSLATE_NOOP) and makes a UiText.
#define VOLCATRA_TEXT(context, source) (::volcatra::UiText{context, source})
