#include "model/UiText.h"

#include <atomic>

#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

std::atomic<TranslateFunction> g_translate{nullptr};

}  // namespace

void SetTranslateFunction(TranslateFunction function) {
    g_translate.store(function);
}

std::u16string Tr(UiText text) {
    if (const TranslateFunction translate = g_translate.load()) {
        std::u16string translation = translate(text.m_context, text.m_source);
        if (!translation.empty()) return translation;
    }
    // The texts are UTF-8 literals of this program: the decoding of file
    // names reads them exactly.
    return FileNameToUtf16(text.m_source);
}

}  // namespace volcatra
