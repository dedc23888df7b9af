// Where the program finds the files it ships beside itself.
#pragma once

#include <QString>

namespace volcatra {

// The path of the program's file `name` (such as "Through.ico"): in
// programDirectory when it is there (a build tree, or a copy of the program
// in a folder of its own), else in the data folder of an installation
// relative to it ("../share/volcatra" for bin/). When neither holds it, the
// path in programDirectory, so that the caller reports that one missing.
QString ProgramFilePath(const QString& programDirectory, const QString& name);

}  // namespace volcatra
