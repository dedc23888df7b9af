// The icon phase of a read with pictures made by QImage (usable on a worker
// thread and without a display): the desktop program prepares the type
// icons from its icon theme, the command-line tool from the theme's files.
#pragma once

#include "platform/QtIconSource.h"
#include "reading/ReadCommand.h"

namespace volcatra {

// An icon phase that owns its source, so that a job abandoned on its worker
// keeps what it uses.
IconPass MakeQtIconPass(const PreparedIconImages& images);

}  // namespace volcatra
