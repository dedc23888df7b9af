// The verbs that work on catalogue files: info, dump, export.
#include <ostream>

#include "cli/CliVerbs.h"
#include "cli/JsonText.h"
#include "model/CatalogueFile.h"
#include "model/TextListing.h"
#include "platform/ShellTypeNames.h"

namespace volcatra {

namespace {

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
    "  .csv   a text listing of every volume, folder and file, comma-separated\n"
    "  .prn   the same listing with space-aligned columns\n"
    "Listings are UTF-16LE text with a byte-order mark and CR LF line ends; dates\n"
    "are in local time, types come from the shared MIME database by name.\n"
    "An existing OUT is replaced only once the new file is completely written.\n";

int Info(const CliArgs& args, std::ostream& out, std::ostream& err) {
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
            out << (firstEntry ? "" : ",") << "{\"name\":" << JsonString(e.m_name)
                << ",\"extraText\":" << JsonString(e.m_extraText) << ",\"time\":" << e.m_time
                << ",\"attributes\":" << e.m_attributes << ",\"iconNumber\":" << e.m_iconNumber
                << ",\"size\":" << e.m_size << ",\"childIndex\":" << e.m_childIndex << '}';
            firstEntry = false;
        }
        out << "]}";
    }
    out << "]}";
}

int Dump(const CliArgs& args, std::ostream& out, std::ostream& err) {
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

int Export(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) return Usage(err, kExportHelp);
    const std::string ext = LowerExtension(args[1]);
    if (ext != ".fsr" && ext != ".csv" && ext != ".prn") {
        err << "volcatra-cli: unsupported output format '" << ext << "' (supported: .fsr, .csv, .prn)\n";
        return CLI_FILE_OR_USAGE_ERROR;
    }
    const RootList roots = LoadCatalogueFile(args[0], HeaderAcceptance::Document);
    try {
        std::vector<CRootEntry*> plain;
        for (const auto& root : roots) plain.push_back(root.get());
        if (ext == ".fsr") {
            SaveCatalogueFile(args[1], plain);
        } else {
            CCatalogueStream stream;
            const CMimeTypeNames types;
            WriteListing(stream, plain, ext == ".csv" ? ListingFormat::Csv : ListingFormat::SpaceAligned, types);
            WriteFileReplacing(args[1], stream.Output());
        }
    } catch (const CatalogueError& e) {
        return ReportFailure(e, true, err);
    }
    return CLI_OK;
}

}  // namespace

const CliVerb kInfoVerb{"info", kInfoHelp, Info};
const CliVerb kDumpVerb{"dump", kDumpHelp, Dump};
const CliVerb kExportVerb{"export", kExportHelp, Export};

}  // namespace volcatra
