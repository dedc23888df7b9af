// volcatra-cli read: reads a mounted volume or folder into a catalogue file.
#include <ostream>

#include "cli/CliVerbs.h"

namespace volcatra {

namespace {

constexpr char kReadHelp[] =
    "Usage: volcatra-cli read PATH -o CATALOGUE.fsr [--no-archives]\n"
    "\n"
    "Not available in this build yet.\n";

int Read(const CliArgs&, std::ostream&, std::ostream& err) {
    return Usage(err, kReadHelp);
}

}  // namespace

const CliVerb kReadVerb{"read", kReadHelp, Read};

}  // namespace volcatra
