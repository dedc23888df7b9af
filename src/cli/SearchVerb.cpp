// volcatra-cli search: finds entries by name in catalogue files.
#include <ostream>

#include "cli/CliVerbs.h"

namespace volcatra {

namespace {

constexpr char kSearchHelp[] =
    "Usage: volcatra-cli search [--in PLACE] [--no-subfolders] [--catalogue FILE.fsr] [--json] NAME\n"
    "\n"
    "Not available in this build yet.\n";

int Search(const CliArgs&, std::ostream&, std::ostream& err) {
    return Usage(err, kSearchHelp);
}

}  // namespace

const CliVerb kSearchVerb{"search", kSearchHelp, Search};

}  // namespace volcatra
