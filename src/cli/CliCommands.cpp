#include "cli/CliCommands.h"

#include <ctime>
#include <ostream>

#include "cli/CliVerbs.h"
#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

constexpr char kToolHelp[] =
    "Usage: volcatra-cli [--help] [--version] VERB [ARGS]\n"
    "\n"
    "Reads and writes Volcatra catalogue files (.fsr).\n"
    "\n"
    "Verbs:\n"
    "  info FILE.fsr        one line per volume: name, serial, drive type, used size,\n"
    "                       folder count, file count, read time\n"
    "  dump FILE.fsr        the whole catalogue as JSON\n"
    "  export IN.fsr OUT    writes OUT in the format its extension names\n"
    "  read PATH -o OUT.fsr reads a mounted volume or folder into a catalogue file\n"
    "  search NAME          finds files by name in catalogue files\n"
    "  volumes FILE.fsr     lists the volumes of a catalogue, numbered from 1\n"
    "  rename FILE.fsr N TEXT, comment FILE.fsr N TEXT, remove FILE.fsr N\n"
    "                       change or remove volume N\n"
    "  move-volume SRC.fsr N DST.fsr, copy-volume SRC.fsr N DST.fsr\n"
    "                       move or copy volume N into another catalogue\n"
    "  locate FILE.fsr N [PATH]\n"
    "                       where volume N, or the entry at PATH in it, is on the\n"
    "                       media mounted now\n"
    "\n"
    "Run 'volcatra-cli VERB --help' for the details of a verb.\n"
    "Exit status: 0 success, 1 file or usage error, 2 format error, 3 general failure.\n";

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

const CliVerb* const kVerbs[] = {&kInfoVerb,   &kDumpVerb,       &kExportVerb,     &kReadVerb,
                                 &kSearchVerb, &kVolumesVerb,    &kRenameVerb,     &kCommentVerb,
                                 &kRemoveVerb, &kMoveVolumeVerb, &kCopyVolumeVerb, &kLocateVerb};

}  // namespace

std::string Utf8(const std::u16string& text) {
    return Utf16ToFileName(text);
}

std::string LocalTimeText(int64_t time) {
    if (time == 0) return {};
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    char text[64];
    std::strftime(text, sizeof(text), "%Y/%m/%d %H:%M:%S", &tm);
    return text;
}

int ReportFailure(const CatalogueError& e, bool saving, std::ostream& err) {
    switch (e.Kind()) {
        case CatalogueFailure::Format:
            err << Utf8(Tr(kFormatErrorText)) << '\n';
            return CLI_FORMAT_ERROR;
        case CatalogueFailure::General:
            err << Utf8(saving ? Tr(kSaveFailedText) : Tr(kOpenFailedText)) << '\n';
            return CLI_GENERAL_FAILURE;
        case CatalogueFailure::File:
            break;
    }
    err << Utf8(FileErrorText(e.Cause(), e.Path())) << '\n';
    return CLI_FILE_OR_USAGE_ERROR;
}

int Usage(std::ostream& err, const char* help) {
    err << help;
    return CLI_FILE_OR_USAGE_ERROR;
}

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Usage(err, kToolHelp);
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        out << kToolHelp;
        return CLI_OK;
    }
    if (verb == "--version") {
        out << Utf8(Tr(kProgramName)) << " Version " << kVersionNumber << '\n';
        return CLI_OK;
    }
    const CliVerb* found = nullptr;
    for (const CliVerb* v : kVerbs)
        if (verb == v->m_name) found = v;
    if (!found) {
        err << "volcatra-cli: unknown verb '" << verb << "'\n\n";
        return Usage(err, kToolHelp);
    }
    const CliArgs rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) {
        out << found->m_help;
        return CLI_OK;
    }
    try {
        return found->m_run(rest, out, err);
    } catch (const CatalogueError& e) {
        return ReportFailure(e, false, err);
    } catch (const std::exception& e) {
        err << Utf8(Tr(kOpenFailedText)) << " (" << e.what() << ")\n";
        return CLI_GENERAL_FAILURE;
    }
}

}  // namespace volcatra
