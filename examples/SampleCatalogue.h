// The sample catalogue of examples/sample.fsr, and the small catalogue used
// throughout the tests as the format's worked example.
#pragma once

#include "model/CatalogueFile.h"

namespace volcatra {

// One CD-ROM volume DATA (serial 1234-ABCD, 8192 bytes used, read at
// 2011-03-13 07:06:40 UTC) holding the empty folder DOCS and the 1234-byte
// file A.TXT.
RootList MakeWorkedExample();

// Two volumes with Japanese names, a comment, an archive member list, a file
// above 4 GiB and a folder read, for demonstrations.
RootList MakeSampleCatalogue();

}  // namespace volcatra
