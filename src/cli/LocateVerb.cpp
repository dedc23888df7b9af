// volcatra-cli locate: where a recorded volume, or an entry of it, is on the
// media mounted now, found as the catalogue window finds the real file: by
// drive type and volume serial number among the mounted volumes.
#include <QCoreApplication>
#include <memory>
#include <ostream>

#include "browsing/LocateRealFile.h"
#include "cli/CliVerbs.h"
#include "document/FSRecDoc.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "platform/UDisks2Media.h"

namespace volcatra {

namespace {

constexpr char kLocateHelp[] =
    "Usage: volcatra-cli locate [--mount] FILE.fsr N [PATH]\n"
    "\n"
    "Prints the local path of volume N (numbered as 'volumes' numbers them) on\n"
    "the media mounted now, or of the entry at PATH inside it (\\DOCS\\readme.txt).\n"
    "The medium is recognised by its drive type and volume serial number, not by\n"
    "its label. A path into a recorded archive gives the archive file. When no\n"
    "mounted volume holds the medium, the message says so and the exit status is\n"
    "1. With --mount, a medium that is present but not mounted is first mounted\n"
    "as the desktop would (through UDisks2).\n";

bool ParseNumber(const std::string& text, size_t& number) {
    if (text.empty() || text.size() > 9) return false;
    number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + size_t(c - '0');
    }
    return true;
}

int Locate(const CliArgs& all, std::ostream& out, std::ostream& err) {
    CliArgs args;
    bool mount = false;
    for (const std::string& a : all) {
        if (a == "--mount")
            mount = true;
        else
            args.push_back(a);
    }
    if (args.size() < 2 || args.size() > 3) return Usage(err, kLocateHelp);
    RootList roots;
    try {
        roots = LoadCatalogueFile(args[0], HeaderAcceptance::Document);
    } catch (const CatalogueError& e) {
        return ReportFailure(e, false, err);
    }
    size_t number = 0;
    if (!ParseNumber(args[1], number) || number < 1 || number > roots.size()) {
        err << "volcatra-cli: " << args[0] << " has no volume " << args[1] << " (it has " << roots.size()
            << (roots.size() == 1 ? " volume" : " volumes") << ")\n";
        return CLI_FILE_OR_USAGE_ERROR;
    }
    const CRootEntry& volume = *roots[number - 1];
    const std::u16string path = args.size() == 3 ? FileNameToUtf16(args[2]) : std::u16string();
    TreeSelection selection;
    const CFileEntry* entry = nullptr;
    if (!SelectionForPath(volume, path, selection, entry)) {
        err << "volcatra-cli: volume " << number << " has no entry " << args[2] << '\n';
        return CLI_FILE_OR_USAGE_ERROR;
    }
    CSystemVolumeQuery volumes;
    std::unique_ptr<IRemovableMedia> media;
    if (mount) {
        // The service is asked over D-Bus, which wants an application object.
        static int argc = 1;
        static char name[] = "volcatra-cli";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) static QCoreApplication application(argc, argv);
        media = std::make_unique<CUDisks2Media>();
    }
    FileManagerRequest request;
    switch (LocateRealFile(selection, entry, false, volumes, request, media.get())) {
        case LocateOutcome::Found:
            out << request.path << '\n';
            return CLI_OK;
        case LocateOutcome::Nothing:
        case LocateOutcome::NotFound:
            break;
    }
    err << Utf8(Tr(kMediumNotFoundText)) << '\n';
    return CLI_FILE_OR_USAGE_ERROR;
}

}  // namespace

const CliVerb kLocateVerb{"locate", kLocateHelp, Locate};

}  // namespace volcatra
