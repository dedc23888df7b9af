// volcatra-cli verbs that edit the volumes of a catalogue file.
#include <ostream>

#include "cli/CliVerbs.h"

namespace volcatra {

namespace {

constexpr char kNotYet[] = "Not available in this build yet.\n";

int NotYet(const CliArgs&, std::ostream&, std::ostream& err) {
    return Usage(err, kNotYet);
}

}  // namespace

const CliVerb kVolumesVerb{"volumes", kNotYet, NotYet};
const CliVerb kRenameVerb{"rename", kNotYet, NotYet};
const CliVerb kCommentVerb{"comment", kNotYet, NotYet};
const CliVerb kRemoveVerb{"remove", kNotYet, NotYet};
const CliVerb kMoveVolumeVerb{"move-volume", kNotYet, NotYet};
const CliVerb kCopyVolumeVerb{"copy-volume", kNotYet, NotYet};

}  // namespace volcatra
