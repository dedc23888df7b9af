// Minimal JSON text output for the command-line tool.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace volcatra {

// A JSON string literal (with quotes) of a UTF-16 text, in UTF-8. Lone
// surrogates, which file names may hold, are written as \u escapes.
std::string JsonString(std::u16string_view text);

}  // namespace volcatra
