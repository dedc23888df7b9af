// The program's marked texts (model/UiText.h) as QStrings.
#pragma once

#include <QString>

#include "model/UiText.h"

namespace volcatra {

// The text in the user's language.
inline QString QtText(UiText text) {
    return QString::fromStdU16String(Tr(text));
}

}  // namespace volcatra
