// The one reversible mapping between Linux file-name bytes and the UTF-16
// texts of the catalogue.
//
// Names are decoded as UTF-8. A byte that is not part of a valid UTF-8
// sequence becomes the lone surrogate U+DC80 + (byte - 0x80) (such bytes are
// always 0x80 or above), and encoding turns those surrogates back into the
// same bytes, so every name survives the round trip.
#pragma once

#include <string>
#include <string_view>

namespace volcatra {

std::u16string FileNameToUtf16(std::string_view bytes);
// The same, appended to out.
void AppendUtf16OfFileName(std::u16string& out, std::string_view bytes);

// Encodes to UTF-8, restoring U+DC80..U+DCFF to their bytes. Any other lone
// surrogate (possible in names recorded elsewhere) becomes U+FFFD.
std::string Utf16ToFileName(std::u16string_view text);
// The same, appended to out.
void AppendFileName(std::string& out, std::u16string_view text);

}  // namespace volcatra
