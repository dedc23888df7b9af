#include "cli/CliCommands.h"

#include <ctime>
#include <functional>
#include <map>
#include <ostream>

#include "cli/JsonText.h"
#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "platform/FileNameCodec.h"

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
    "  export IN.fsr OUT    writes OUT in the format its extension names (.fsr)\n"
    "\n"
    "Run 'volcatra-cli VERB --help' for the details of a verb.\n"
    "Exit status: 0 success, 1 file or usage error, 2 format error, 3 general failure.\n";

constexpr char kInfoHelp[] =
    "Usage: volcatra-cli info FILE.fsr\n"
    "\n"
    "Prints one tab-separated line per volume: display name, serial number\n"
    "(XXXX-XXXX), drive type code, used size, folder count, file count and the\n"
    "local time the volume was read.\n";

constexpr char kDumpHelp[] =
    "Usage: volcatra-cli dump FILE.fsr\n"
    "\n"
    "Prints the whole catalogue as one JSON object on standard output:\n"
    "{\"volumes\":[{\"name\", \"volumeName\", \"serialNumber\", \"driveType\", \"usedBytes\",\n"
    "  \"time\", \"attributes\", \"iconNumber\", \"childIndex\", \"folderCount\", \"fileCount\",\n"
    "  \"comment\", \"iconCount\", \"extBlockCount\", \"folders\":[{\"path\", \"entries\":[{\"name\",\n"
    "  \"extraText\", \"time\", \"attributes\", \"iconNumber\", \"size\", \"childIndex\"}]}]}]}\n";

constexpr char kExportHelp[] =
    "Usage: volcatra-cli export IN.fsr OUT\n"
    "\n"
    "Writes the catalogue IN.fsr to OUT in the format OUT's extension names:\n"
    "  .fsr   a catalogue file\n"
    "An existing OUT is replaced only once the new file is completely written.\n";

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

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

// Reports a catalogue failure in the system's own words; `saving` selects
// the text of a general failure.
int ReportFailure(const CatalogueError& e, bool saving, std::ostream& err) {
    switch (e.Kind()) {
        case CatalogueFailure::Format:
            err << Utf8(kFormatErrorText) << '\n';
            return CLI_FORMAT_ERROR;
        case CatalogueFailure::General:
            err << Utf8(saving ? kSaveFailedText : kOpenFailedText) << '\n';
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

int Info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Usage(err, kInfoHelp);
    const RootList roots = LoadCatalogueFile(args[0], HeaderAcceptance::Document);
    for (const auto& root : roots) {
        out << Utf8(root->GetDisplayName()) << '\t' << Utf8(root->GetSerialText()) << '\t' << root->m_driveType << '\t'
            << Utf8(root->GetUsedSizeText()) << '\t' << root->m_folderCount << '\t' << root->m_fileCount << '\t'
            << LocalTimeText(root->m_time) << '\n';
    }
    return CLI_OK;
}

void DumpRoot(const CRootEntry& root, std::ostream& out) {
    out << "{\"name\":" << JsonString(root.m_name) << ",\"volumeName\":" << JsonString(root.m_volumeName)
        << ",\"serialNumber\":" << root.m_serialNumber << ",\"driveType\":" << root.m_driveType
        << ",\"usedBytes\":" << root.m_usedBytes << ",\"time\":" << root.m_time
        << ",\"attributes\":" << root.m_attributes << ",\"iconNumber\":" << root.m_iconNumber
        << ",\"childIndex\":" << root.m_childIndex << ",\"folderCount\":" << root.m_folderCount
        << ",\"fileCount\":" << root.m_fileCount << ",\"comment\":" << JsonString(root.m_comment)
        << ",\"iconCount\":" << root.m_icons.GetCount() << ",\"extBlockCount\":" << root.m_extBlocks.size()
        << ",\"folders\":[";
    bool firstArray = true;
    for (const auto& array : root.m_folders) {
        out << (firstArray ? "" : ",") << "{\"path\":" << JsonString(array->m_path) << ",\"entries\":[";
        firstArray = false;
        bool firstEntry = true;
        for (const auto& e : array->m_entries) {
            out << (firstEntry ? "" : ",") << "{\"name\":" << JsonString(e->m_name)
                << ",\"extraText\":" << JsonString(e->m_extraText) << ",\"time\":" << e->m_time
                << ",\"attributes\":" << e->m_attributes << ",\"iconNumber\":" << e->m_iconNumber
                << ",\"size\":" << e->m_size << ",\"childIndex\":" << e->m_childIndex << '}';
            firstEntry = false;
        }
        out << "]}";
    }
    out << "]}";
}

int Dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Usage(err, kDumpHelp);
    const RootList roots = LoadCatalogueFile(args[0], HeaderAcceptance::Document);
    out << "{\"volumes\":[";
    for (size_t i = 0; i < roots.size(); ++i) {
        if (i) out << ',';
        DumpRoot(*roots[i], out);
    }
    out << "]}\n";
    return CLI_OK;
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

int Export(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) return Usage(err, kExportHelp);
    const std::string ext = LowerExtension(args[1]);
    if (ext != ".fsr") {
        err << "volcatra-cli: unsupported output format '" << ext << "' (supported: .fsr)\n";
        return CLI_FILE_OR_USAGE_ERROR;
    }
    const RootList roots = LoadCatalogueFile(args[0], HeaderAcceptance::Document);
    try {
        std::vector<CRootEntry*> plain;
        for (const auto& root : roots) plain.push_back(root.get());
        SaveCatalogueFile(args[1], plain);
    } catch (const CatalogueError& e) {
        return ReportFailure(e, true, err);
    }
    return CLI_OK;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Usage(err, kToolHelp);
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        out << kToolHelp;
        return CLI_OK;
    }
    if (verb == "--version") {
        out << kVersionText << '\n';
        return CLI_OK;
    }
    using Handler = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;
    static const std::map<std::string, std::pair<Handler, const char*>> verbs = {
        {"info", {Info, kInfoHelp}},
        {"dump", {Dump, kDumpHelp}},
        {"export", {Export, kExportHelp}},
    };
    const auto it = verbs.find(verb);
    if (it == verbs.end()) {
        err << "volcatra-cli: unknown verb '" << verb << "'\n\n";
        return Usage(err, kToolHelp);
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) {
        out << it->second.second;
        return CLI_OK;
    }
    try {
        return it->second.first(rest, out, err);
    } catch (const CatalogueError& e) {
        return ReportFailure(e, false, err);
    } catch (const std::exception& e) {
        err << Utf8(kOpenFailedText) << " (" << e.what() << ")\n";
        return CLI_GENERAL_FAILURE;
    }
}

}  // namespace volcatra
