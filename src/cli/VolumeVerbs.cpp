// volcatra-cli verbs that edit the volumes of a catalogue file. They work
// through the catalogue document as the catalogue window does: a rename is a
// label edit, a removal a cut, and moving or copying a volume into another
// catalogue goes through the volume payload on an in-process clipboard,
// exactly as cut or copy and paste do. Every changed file is saved safely
// (a complete new file is renamed over the old one).
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliVerbs.h"
#include "document/FSRecDoc.h"
#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

constexpr char kVolumesHelp[] =
    "Usage: volcatra-cli volumes FILE.fsr\n"
    "\n"
    "Prints one tab-separated line per volume, numbered from 1 in list order:\n"
    "number, display name, serial number (XXXX-XXXX), folder count, file count.\n";

constexpr char kRenameHelp[] =
    "Usage: volcatra-cli rename FILE.fsr N TEXT\n"
    "\n"
    "Gives volume N the name TEXT. An empty TEXT removes the given name, so the\n"
    "volume shows its label (or \"CD-ROM\" / \"ディスク\") again.\n";

constexpr char kCommentHelp[] =
    "Usage: volcatra-cli comment FILE.fsr N TEXT\n"
    "\n"
    "Sets the comment of volume N to TEXT (empty: no comment). The file is left\n"
    "untouched when the comment is already TEXT.\n";

constexpr char kRemoveHelp[] =
    "Usage: volcatra-cli remove FILE.fsr N\n"
    "\n"
    "Removes volume N from the catalogue.\n";

constexpr char kMoveHelp[] =
    "Usage: volcatra-cli move-volume SRC.fsr N DST.fsr\n"
    "\n"
    "Moves volume N of SRC.fsr to the end of DST.fsr (created when it does not\n"
    "exist). DST.fsr is saved first and SRC.fsr only after that, so a failure\n"
    "never loses the volume: at worst it is left in both files. When SRC and DST\n"
    "are the same file the volume moves to the end of it.\n";

constexpr char kCopyHelp[] =
    "Usage: volcatra-cli copy-volume SRC.fsr N DST.fsr\n"
    "\n"
    "Copies volume N of SRC.fsr to the end of DST.fsr (created when it does not\n"
    "exist); SRC.fsr is not changed. SRC and DST may be the same file.\n";

// Message boxes on the terminal: the text goes to the error stream. The
// verbs ask no questions; one that came up would be declined.
class CTerminalMessages : public IMessageService {
public:
    explicit CTerminalMessages(std::ostream& err) : m_err(err) {}
    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon) override {
        m_err << Utf8(text) << '\n';
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageAnswer::Ok;
            case MessageButtons::YesNo:
                return MessageAnswer::No;
            default:
                return MessageAnswer::Cancel;
        }
    }

private:
    std::ostream& m_err;
};

// One catalogue file as a document.
class CCliCatalogue {
public:
    CCliCatalogue(std::ostream& err, IClipboard& clipboard) : m_messages(err) {
        CatalogueServices services;
        services.m_messages = &m_messages;
        services.m_clipboard = &clipboard;
        m_doc = std::make_unique<CFSRecDoc>(services);
    }

    CFSRecDoc& Doc() { return *m_doc; }
    const std::string& Path() const { return m_path; }

    bool Open(const std::string& path) {
        m_path = path;
        return CDocumentKind::OpenDocumentFile(*m_doc, path);
    }
    // A new catalogue that will be saved as path.
    bool Create(const std::string& path) {
        m_path = path;
        return m_doc->OnNewDocument();
    }
    bool Save() { return m_doc->DoSave(m_path, true); }

    // The exit status of the failure the document reported.
    int FailureStatus() const {
        switch (m_doc->LastFailure()) {
            case CatalogueFailure::Format:
                return CLI_FORMAT_ERROR;
            case CatalogueFailure::General:
                return CLI_GENERAL_FAILURE;
            case CatalogueFailure::File:
                break;
        }
        return CLI_FILE_OR_USAGE_ERROR;
    }

private:
    CTerminalMessages m_messages;
    std::unique_ptr<CFSRecDoc> m_doc;
    std::string m_path;
};

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// A file that is to be changed must not be read-only: the desktop program
// would ask for another name, which a command line cannot.
bool CheckWritable(const std::string& path, std::ostream& err) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0) return true;
    err << Utf8(FileErrorText(FileErrorCause::AccessDenied, FileNameToUtf16(path))) << '\n';
    return false;
}

// Volume number text (from 1) → the root, or nullptr after a message.
CRootEntry* VolumeAt(CCliCatalogue& catalogue, const std::string& text, std::ostream& err) {
    const size_t count = catalogue.Doc().Roots().size();
    size_t number = 0;
    bool valid = !text.empty() && text.size() <= 9;
    for (char c : text) {
        if (c < '0' || c > '9') valid = false;
        number = number * 10 + size_t(c - '0');
    }
    if (!valid || number < 1 || number > count) {
        err << "volcatra-cli: " << catalogue.Path() << " has no volume " << text << " (it has " << count
            << (count == 1 ? " volume" : " volumes") << ")\n";
        return nullptr;
    }
    return catalogue.Doc().Roots()[number - 1].get();
}

int Volumes(const CliArgs& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Usage(err, kVolumesHelp);
    CMemoryClipboard clipboard;
    CCliCatalogue catalogue(err, clipboard);
    if (!catalogue.Open(args[0])) return catalogue.FailureStatus();
    size_t number = 0;
    for (const auto& root : catalogue.Doc().Roots()) {
        out << ++number << '\t' << Utf8(root->GetDisplayName()) << '\t' << Utf8(root->GetSerialText()) << '\t'
            << root->m_folderCount << '\t' << root->m_fileCount << '\n';
    }
    return CLI_OK;
}

// Opens FILE, finds volume N, changes it with `change` and saves when it
// reports a change.
template <typename Change>
int EditVolume(const std::string& path, const std::string& number, std::ostream& err, Change change) {
    CMemoryClipboard clipboard;
    CCliCatalogue catalogue(err, clipboard);
    if (!catalogue.Open(path)) return catalogue.FailureStatus();
    CRootEntry* root = VolumeAt(catalogue, number, err);
    if (!root) return CLI_FILE_OR_USAGE_ERROR;
    if (!change(catalogue.Doc(), *root)) return CLI_OK;
    if (!CheckWritable(path, err)) return CLI_FILE_OR_USAGE_ERROR;
    return catalogue.Save() ? CLI_OK : catalogue.FailureStatus();
}

int Rename(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 3) return Usage(err, kRenameHelp);
    const std::u16string name = FileNameToUtf16(args[2]);
    return EditVolume(args[0], args[1], err, [&](CFSRecDoc& doc, CRootEntry& root) {
        doc.EndLabelEdit(root, name);
        return true;
    });
}

int Comment(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 3) return Usage(err, kCommentHelp);
    const std::u16string comment = FileNameToUtf16(args[2]);
    return EditVolume(args[0], args[1], err,
                      [&](CFSRecDoc& doc, CRootEntry& root) { return doc.SetRootComment(root, comment); });
}

int Remove(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) return Usage(err, kRemoveHelp);
    return EditVolume(args[0], args[1], err, [](CFSRecDoc& doc, CRootEntry& root) {
        doc.ClearHistory();
        doc.RemoveWithUndo(&root);
        return true;
    });
}

// Moves or copies volume N of SRC to the end of DST.
int TransferVolume(const CliArgs& args, std::ostream& err, bool move) {
    const std::string& sourcePath = args[0];
    const std::string& targetPath = args[2];
    CMemoryClipboard clipboard;
    CCliCatalogue source(err, clipboard);
    if (!source.Open(sourcePath)) return source.FailureStatus();
    CRootEntry* root = VolumeAt(source, args[1], err);
    if (!root) return CLI_FILE_OR_USAGE_ERROR;

    if (SameFile(sourcePath, targetPath)) {
        // Within one catalogue: cut or copy, then paste at the end.
        if (!CheckWritable(sourcePath, err)) return CLI_FILE_OR_USAGE_ERROR;
        const bool taken = move ? source.Doc().CutRoot(*root) : source.Doc().CopyRoot(*root);
        if (!taken || !source.Doc().Paste()) {
            err << Utf8(Tr(kSaveFailedText)) << '\n';
            return CLI_GENERAL_FAILURE;
        }
        return source.Save() ? CLI_OK : source.FailureStatus();
    }

    CCliCatalogue target(err, clipboard);
    if (Exists(targetPath) ? !target.Open(targetPath) : !target.Create(targetPath)) return target.FailureStatus();
    if (!CheckWritable(targetPath, err) || (move && !CheckWritable(sourcePath, err))) return CLI_FILE_OR_USAGE_ERROR;
    const bool taken = move ? source.Doc().CutRoot(*root) : source.Doc().CopyRoot(*root);
    if (!taken || !target.Doc().Paste()) {
        err << Utf8(Tr(kSaveFailedText)) << '\n';
        return CLI_GENERAL_FAILURE;
    }
    // The copy is saved first: until it is safely on disk the source file
    // keeps the volume.
    if (!target.Save()) {
        if (move) err << "volcatra-cli: nothing was moved; " << sourcePath << " is unchanged\n";
        return target.FailureStatus();
    }
    if (move && !source.Save()) {
        err << "volcatra-cli: the volume was copied to " << targetPath << " but is still in " << sourcePath << '\n';
        return source.FailureStatus();
    }
    return CLI_OK;
}

int MoveVolume(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 3) return Usage(err, kMoveHelp);
    return TransferVolume(args, err, true);
}

int CopyVolume(const CliArgs& args, std::ostream&, std::ostream& err) {
    if (args.size() != 3) return Usage(err, kCopyHelp);
    return TransferVolume(args, err, false);
}

}  // namespace

const CliVerb kVolumesVerb{"volumes", kVolumesHelp, Volumes};
const CliVerb kRenameVerb{"rename", kRenameHelp, Rename};
const CliVerb kCommentVerb{"comment", kCommentHelp, Comment};
const CliVerb kRemoveVerb{"remove", kRemoveHelp, Remove};
const CliVerb kMoveVolumeVerb{"move-volume", kMoveHelp, MoveVolume};
const CliVerb kCopyVolumeVerb{"copy-volume", kCopyHelp, CopyVolume};

}  // namespace volcatra
