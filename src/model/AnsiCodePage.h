// Conversion between UTF-16 and the ANSI code page of catalogue files.
//
// Narrow texts and the comment's block 0 are stored in the code page of the
// system that wrote the file. Most catalogues in circulation come from
// Japanese systems, so CP932 is the default; the environment variable
// VOLCATRA_ANSI_CODEPAGE names any other glibc iconv encoding.
#pragma once

#include <cstddef>
#include <string>

namespace volcatra {

// The iconv name of the ANSI code page in use.
std::string AnsiCodePageName();

// Decodes ANSI bytes. A byte that does not form a valid character becomes
// the lone surrogate U+DC00 + byte (such bytes are 0x80 or above), so nothing
// is dropped. Throws CatalogueError (General) for an unknown code page name.
std::u16string AnsiToUtf16(const char* data, size_t size);

// Encodes UTF-16 to ANSI bytes. A character the code page cannot hold becomes
// "?"; *replaced (when given) tells whether that happened.
std::string Utf16ToAnsi(const std::u16string& text, bool* replaced = nullptr);

}  // namespace volcatra
