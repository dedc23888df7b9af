// volcatra-cli read: reads a mounted volume or folder into a catalogue file
// through the catalogue document, as the additional-read command does: the
// same-volume question is asked on the terminal or answered by a flag, and
// the file is saved safely only after a complete read.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliVerbs.h"
#include "document/FSRecDoc.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "platform/ArchiverLibraries.h"
#include "platform/DirectoryListing.h"
#include "platform/DiscImageFileSystem.h"
#include "platform/MountedVolumes.h"
#include "reading/ArchiveContents.h"
#include "reading/QtIconPass.h"
#include "reading/ReadCommand.h"
#include "reading/ReadPath.h"
#include "reading/ReadProgress.h"
#include "reading/VolumeScan.h"

namespace volcatra {

namespace {

constexpr char kReadHelp[] =
    "Usage: volcatra-cli read PATH -o CATALOGUE.fsr [--no-archives] [--icons]\n"
    "                         [--replace | --add] [--name TEXT] [--comment TEXT]\n"
    "                         [--no-image]\n"
    "\n"
    "Reads the mounted volume or folder PATH (every file and folder with its\n"
    "size, attributes and last-write time, and the member lists of LZH, ARJ,\n"
    "ZIP, CAB, TAR, TGZ and GZ archives) into CATALOGUE.fsr: a new catalogue,\n"
    "or a further volume at the end of an existing one. The read stays on the\n"
    "file system of PATH; folders where another file system is mounted are\n"
    "recorded but not entered.\n"
    "\n"
    "PATH may also be a disc image file: an ISO 9660 or UDF file system in\n"
    "2048-byte sectors (.iso) or in raw 2352-byte sectors (.bin), recognised\n"
    "by its content. It is read without mounting, as the disc it holds: the\n"
    "label, serial number, space in use and tree the burned disc shows in a\n"
    "drive (drive type 5). Of a hybrid image the UDF side is read.\n"
    "\n"
    "  -o, --output FILE   the catalogue file to write or extend\n"
    "  --no-archives       do not list the members of archive files\n"
    "  --icons             also keep the icons files carry on the medium (Windows\n"
    "                      programs and libraries, .ico and .cur files, the\n"
    "                      medium's autorun.inf icon; shortcuts with the arrow)\n"
    "  --replace           when CATALOGUE.fsr already records the same medium or\n"
    "                      folder (same serial number, label and folder), read it\n"
    "                      again in place of the recorded volume: its position,\n"
    "                      name and comment stay\n"
    "  --add               in that case add the read as a further volume\n"
    "  --name TEXT         the name the new volume shows instead of its label\n"
    "  --comment TEXT      the comment of the new volume\n"
    "  --no-image          do not read a disc image file as a disc (PATH is then an\n"
    "                      ordinary path, and a file that is no folder is refused)\n"
    "\n"
    "Without --replace or --add the question is asked on the terminal (y\n"
    "replaces, n adds, anything else cancels). With no terminal to ask on the\n"
    "read is refused before it starts and the file is left as it is.\n"
    "\n"
    "A progress line appears on standard error when it is a terminal; Ctrl-C\n"
    "asks whether to stop the read. A failed or stopped read prints\n"
    "\"読み取りに失敗しました\" and leaves an existing catalogue file untouched.\n"
    "A catalogue file (or folder) that cannot be written is refused before\n"
    "anything is read. The file is replaced only by a complete new file. On\n"
    "success one line describes the new volume, as 'info' prints it.\n";

// Set by Ctrl-C; the progress object turns it into a cancel request.
std::atomic<int> g_interrupted{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void OnReadInterrupt(int) {
    g_interrupted.store(1, std::memory_order_relaxed);
}

// Catches Ctrl-C for the duration of a read and restores the previous
// disposition afterwards. Without SA_RESTART, so that a question waiting
// on the terminal sees a second Ctrl-C.
class InterruptGuard {
public:
    InterruptGuard() {
        g_interrupted.store(0);
        struct sigaction action {};
        action.sa_handler = OnReadInterrupt;
        sigemptyset(&action.sa_mask);
        m_installed = ::sigaction(SIGINT, &action, &m_previous) == 0;
    }
    ~InterruptGuard() {
        if (m_installed) ::sigaction(SIGINT, &m_previous, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction m_previous {};
    bool m_installed = false;
};

// Deep trees keep one open folder per level: allow as many open files as
// the hard limit permits while reading, and put the old limit back after.
class OpenFileLimit {
public:
    OpenFileLimit() {
        if (::getrlimit(RLIMIT_NOFILE, &m_previous) != 0) return;
        rlimit raised = m_previous;
        raised.rlim_cur = m_previous.rlim_max;
        m_changed = raised.rlim_cur != m_previous.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0;
    }
    ~OpenFileLimit() {
        if (m_changed) ::setrlimit(RLIMIT_NOFILE, &m_previous);
    }
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;

private:
    rlimit m_previous{};
    bool m_changed = false;
};

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += size_t(n);
    }
}

uint64_t MonotonicMilliseconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000;
}

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

class TerminalProgress;

// The progress line of the read under way, for the questions to clear.
struct ProgressSlot {
    TerminalProgress* current = nullptr;
};

// The progress line on standard error: phase, percent, entries per second
// and the path being read, shortened to the terminal's width. Redrawn at
// most ten times a second. Without a terminal it draws nothing and only
// turns Ctrl-C into cancel requests.
class TerminalProgress : public CReadProgressBase {
public:
    TerminalProgress(int fd, bool draw, std::function<uint64_t()> entries, ProgressSlot& slot)
        : m_fd(fd), m_draw(draw), m_entries(std::move(entries)), m_slot(slot) {
        m_slot.current = this;
    }
    ~TerminalProgress() override {
        Clear();
        m_slot.current = nullptr;
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void SetPhaseText(ReadPhase phase) override {
        m_phase = ReadPhaseText(phase);
        m_phaseStart = MonotonicMilliseconds();
        m_entriesAtStart = m_entries ? m_entries() : 0;
        Draw();
    }
    void SetPathText(const std::u16string& path) override { m_path = path; }
    void PumpMessages() override {
        if (g_interrupted.load(std::memory_order_relaxed) && g_interrupted.exchange(0, std::memory_order_relaxed))
            RequestCancel();
        if (m_draw && MonotonicMilliseconds() >= m_nextDraw) Draw();
    }

    // Removes the progress line so that other output starts at the margin.
    void Clear() {
        if (m_draw && m_shown) WriteAll(m_fd, "\r\033[K");
        m_shown = false;
    }

    // Draws the line again after a question has been answered; the time
    // the question waited does not count against the entries per second.
    void Redraw(uint64_t waitedMilliseconds) {
        m_phaseStart += waitedMilliseconds;
        Draw();
    }

protected:
    void OnPercentChanged(int percent) override { m_percent = percent; }

private:
    void Draw() {
        if (!m_draw || m_phase.empty()) return;
        const uint64_t now = MonotonicMilliseconds();
        m_nextDraw = now + 100;
        winsize size{};
        const size_t columns = ::ioctl(m_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
        std::u16string line(m_phase);
        line += u"  " + Ascii(std::to_string(m_percent < 0 ? 0 : m_percent)) + u"%";
        if (m_entries && now > m_phaseStart) {
            const uint64_t done = m_entries() - m_entriesAtStart;
            line += u"  " + Ascii(std::to_string(done * 1000 / (now - m_phaseStart))) + u" entries/s";
        }
        const size_t used = DisplayColumns(line) + 2;
        if (!m_path.empty() && columns > used + 8) line += u"  " + ShortenPathForColumns(m_path, columns - used - 1);
        std::string text = "\r";
        text += Utf8(line);
        text += "\033[K";
        WriteAll(m_fd, text);
        m_shown = true;
    }

    int m_fd;
    bool m_draw;
    std::function<uint64_t()> m_entries;
    ProgressSlot& m_slot;
    std::u16string m_phase;
    std::u16string m_path;
    int m_percent = 0;
    uint64_t m_phaseStart = 0;
    uint64_t m_entriesAtStart = 0;
    uint64_t m_nextDraw = 0;
    bool m_shown = false;
};

// Message boxes of a read. Failures go to the error stream; questions are
// asked on the terminal (/dev/tty, so that redirected streams do not
// matter). Without a terminal a cancel request is confirmed at once, the
// insert-medium prompt cancels, and the same-volume question is refused
// with a hint at --replace and --add.
class CliReadMessages : public IMessageService {
public:
    CliReadMessages(std::ostream& err, int tty, ProgressSlot& progress)
        : m_err(err), m_tty(tty), m_progress(progress) {}

    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon) override {
        if (m_progress.current) m_progress.current->Clear();
        switch (buttons) {
            case MessageButtons::Ok:
                m_err << Utf8(text) << '\n';
                return MessageAnswer::Ok;
            case MessageButtons::OkCancel:
                m_err << Utf8(text) << '\n';
                return MessageAnswer::Cancel;
            case MessageButtons::YesNo:
                // The question whether to stop the read.
                if (m_tty < 0) return MessageAnswer::Yes;
                return Ask(text, " [y/N] ", buttons, MessageAnswer::No, MessageAnswer::Yes);
            case MessageButtons::YesNoCancel:
                if (m_tty < 0) {
                    m_err << Utf8(text) << '\n' << "volcatra-cli: no terminal to answer on: give --replace or --add\n";
                    m_refusedQuestion = true;
                    return MessageAnswer::Cancel;
                }
                return Ask(text, " [y=replace/n=add/C=cancel] ", buttons, MessageAnswer::Cancel, MessageAnswer::Cancel);
            case MessageButtons::RetryCancel:
                if (m_tty < 0) {
                    m_err << Utf8(text) << '\n';
                    return MessageAnswer::Cancel;
                }
                return Ask(text, " [r=retry/C=cancel] ", buttons, MessageAnswer::Cancel, MessageAnswer::Cancel);
        }
        return MessageAnswer::Cancel;
    }

    // The same-volume question came up with no terminal to ask on.
    bool RefusedQuestion() const { return m_refusedQuestion; }

private:
    // Asks on the terminal; an answer that is not understood (or the end of
    // input) gives `otherwise`, Ctrl-C gives `interrupted`.
    MessageAnswer Ask(const std::u16string& text, const char* choices, MessageButtons buttons, MessageAnswer otherwise,
                      MessageAnswer interrupted) {
        WriteAll(m_tty, Utf8(text) + choices);
        const uint64_t asked = MonotonicMilliseconds();
        const MessageAnswer answer = ReadAnswer(buttons, otherwise, interrupted);
        if (m_progress.current) m_progress.current->Redraw(MonotonicMilliseconds() - asked);
        return answer;
    }

    MessageAnswer ReadAnswer(MessageButtons buttons, MessageAnswer otherwise, MessageAnswer interrupted) {
        std::string line;
        for (;;) {
            char c = 0;
            const ssize_t n = ::read(m_tty, &c, 1);
            if (n < 0 && errno == EINTR) {
                if (g_interrupted.exchange(0)) {
                    WriteAll(m_tty, "\n");
                    return interrupted;
                }
                continue;
            }
            if (n <= 0) return otherwise;
            if (c == '\n') break;
            if (line.size() < 64) line.push_back(c);
        }
        for (char& c : line)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        const bool yesNo = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel;
        if (yesNo && (line == "y" || line == "yes" || line == "はい")) return MessageAnswer::Yes;
        if (yesNo && (line == "n" || line == "no" || line == "いいえ")) return MessageAnswer::No;
        if (buttons == MessageButtons::RetryCancel && (line == "r" || line == "retry")) return MessageAnswer::Retry;
        return otherwise;
    }

    std::ostream& m_err;
    int m_tty;
    ProgressSlot& m_progress;
    bool m_refusedQuestion = false;
};

class TtyHandle {
public:
    TtyHandle() : m_fd(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~TtyHandle() {
        if (m_fd >= 0) ::close(m_fd);
    }
    TtyHandle(const TtyHandle&) = delete;
    TtyHandle& operator=(const TtyHandle&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

struct ReadOptions {
    std::string path;
    std::string output;
    bool archives = true;
    bool icons = false;
    bool images = true;
    SameVolumeAnswer sameVolume = SameVolumeAnswer::Ask;
    std::optional<std::u16string> name;
    std::optional<std::u16string> comment;
};

// An option's value from "--option VALUE" or "--option=VALUE"; false for a
// missing value or an option given twice.
bool TakeValue(const CliArgs& args, size_t& i, const std::string& option, std::optional<std::u16string>& value,
               bool& matched) {
    const std::string& a = args[i];
    matched = false;
    std::string text;
    if (a == option) {
        matched = true;
        if (i + 1 >= args.size()) return false;
        text = args[++i];
    } else if (a.rfind(option + "=", 0) == 0) {
        matched = true;
        text = a.substr(option.size() + 1);
    } else {
        return true;
    }
    if (value) return false;
    value = FileNameToUtf16(text);
    return true;
}

bool ParseArgs(const CliArgs& args, ReadOptions& options) {
    bool replace = false;
    bool add = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool matched = false;
        if (!TakeValue(args, i, "--name", options.name, matched)) return false;
        if (matched) continue;
        if (!TakeValue(args, i, "--comment", options.comment, matched)) return false;
        if (matched) continue;
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size() || !options.output.empty()) return false;
            options.output = args[++i];
        } else if (a.rfind("--output=", 0) == 0 && options.output.empty()) {
            options.output = a.substr(9);
        } else if (a == "--no-archives") {
            options.archives = false;
        } else if (a == "--no-image") {
            options.images = false;
        } else if (a == "--icons") {
            options.icons = true;
        } else if (a == "--replace") {
            replace = true;
        } else if (a == "--add") {
            add = true;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (options.path.empty()) {
            options.path = a;
        } else {
            return false;
        }
    }
    if (replace && add) return false;
    if (replace) options.sameVolume = SameVolumeAnswer::Replace;
    if (add) options.sameVolume = SameVolumeAnswer::Add;
    return !options.path.empty() && !options.output.empty();
}

// The folder of this program's executable, where "Through.ico" lies.
QString ProgramDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? QString() : QString::fromStdString(self.parent_path().string());
}

int ReadFailed(std::ostream& err, const std::string& detail = {}) {
    err << Utf8(Tr(kReadFailedText)) << '\n';
    if (!detail.empty()) err << "volcatra-cli: " << detail << '\n';
    return CLI_GENERAL_FAILURE;
}

// Whether the catalogue can be saved once the read is done: a save writes a
// temporary file beside the catalogue and renames it over the old one, so
// the folder must take new files, and an existing catalogue must not be
// read-only (as the desktop program treats a read-only file). Otherwise
// the reason, as the save would report it, goes to err.
bool CheckCatalogueWritable(const std::string& path, bool exists, std::ostream& err) {
    int error = 0;
    struct stat st {};
    if (exists && ::stat(path.c_str(), &st) == 0) {
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            error = EACCES;
        else if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            error = errno;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (error == 0 && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) error = errno;
    if (error == 0) return true;
    err << Utf8(FileErrorText(FileErrorCauseFromErrno(error), FileNameToUtf16(path))) << '\n';
    return false;
}

// The exit status of an open or save failure the document reported.
int DocumentFailureStatus(const CFSRecDoc& doc) {
    switch (doc.LastFailure()) {
        case CatalogueFailure::Format:
            return CLI_FORMAT_ERROR;
        case CatalogueFailure::General:
            return CLI_GENERAL_FAILURE;
        case CatalogueFailure::File:
            break;
    }
    return CLI_FILE_OR_USAGE_ERROR;
}

int Read(const CliArgs& args, std::ostream& out, std::ostream& err) {
    ReadOptions options;
    if (!ParseArgs(args, options)) return Usage(err, kReadHelp);

    TtyHandle tty;
    ProgressSlot progressSlot;
    CliReadMessages messages(err, tty.Get(), progressSlot);
    CatalogueServices documentServices;
    documentServices.m_messages = &messages;
    ReadReport report;
    std::optional<ReadChoice> choice;
    LocalFileSystem fileSystem;
    CArchiverTable archivers(BuiltInArchiverLoader());
    ReadCommandServices readServices;
    readServices.fileSystem = &fileSystem;
    readServices.messages = &messages;
    readServices.archivers = &archivers;
    readServices.makeProgress = [&progressSlot](const CRootEntry& root) -> std::unique_ptr<IReadProgress> {
        return std::make_unique<TerminalProgress>(
            STDERR_FILENO, ::isatty(STDERR_FILENO) == 1,
            [&root] { return uint64_t(root.m_folderCount) + root.m_fileCount; }, progressSlot);
    };
    if (options.icons) readServices.readIcons = MakeQtIconPass(PrepareIconImagesFromFiles(ProgramDirectory()));
    // The command line stands in for the read dialog.
    const ReadDialog dialog = [&choice](bool, const std::u16string&) { return choice; };
    // A new catalogue stands only together with a volume read into it.
    documentServices.m_readIntoNewDocument = [&](CFSRecDoc& doc) {
        return ReadMedia(doc, true, readServices, dialog, &report);
    };

    // The existing catalogue is read first: a file that cannot be used is
    // reported before any reading starts, and stays as it is.
    CFSRecDoc doc(documentServices);
    struct stat st {};
    const bool exists = ::stat(options.output.c_str(), &st) == 0;
    if (exists) {
        if (!CDocumentKind::OpenDocumentFile(doc, options.output)) return DocumentFailureStatus(doc);
    } else if (errno != ENOENT) {
        return ReportFailure(CatalogueError::File(FileErrorCauseFromErrno(errno), FileNameToUtf16(options.output)),
                             false, err);
    }
    // A file that cannot be saved is reported before a long read.
    if (!CheckCatalogueWritable(options.output, exists, err)) return CLI_FILE_OR_USAGE_ERROR;

    // The same name for the folder as the read dialog gives it, so that a
    // read from either recognises a volume the other recorded.
    const std::string readPath = NormalizeReadPath(options.path);
    if (::stat(readPath.c_str(), &st) != 0) return ReadFailed(err, options.path + ": " + std::strerror(errno));
    // A disc image file is read as its disc (the read command opens it).
    const bool image = options.images && S_ISREG(st.st_mode) && IsDiscImageFile(readPath);
    if (!image && !S_ISDIR(st.st_mode)) return ReadFailed(err, options.path + ": " + std::strerror(ENOTDIR));
    uint32_t driveType = DRIVE_CDROM;
    if (!image) {
        const std::optional<MountEntry> mount = FindMountedVolume(readPath);
        if (!mount) return ReadFailed(err, readPath + ": no mounted file system holds it");
        driveType = GetDriveType(*mount);
        if (driveType == 0) return ReadFailed(err, readPath + ": " + mount->fsType + " holds no files to catalogue");
    }

    choice.emplace();
    choice->readArchives = options.archives;
    ReadRequest& request = choice->request;
    request.path = readPath;
    request.driveType = driveType;
    request.sameVolume = options.sameVolume;
    request.readIcons = options.icons;
    request.readImages = options.images;
    request.name = options.name;
    request.comment = options.comment;

    bool read = false;
    {
        std::optional<InterruptGuard> interrupts;
        if (tty.Get() >= 0) interrupts.emplace();
        OpenFileLimit openFiles;
        if (exists) {
            read = ReadMedia(doc, false, readServices, dialog, &report);
        } else {
            CDocumentKind kind(kCatalogueUntitledBase);
            read = kind.InitNewDocument(doc);
        }
    }
    if (!read) {
        if (report.outcome == ReadOutcome::Failed) {
            if (!report.failure.cancelled && !report.failure.path.empty())
                err << "volcatra-cli: " << Utf8(report.failure.path) << ": "
                    << (report.failure.reason.empty() ? std::string(std::strerror(report.failure.error))
                                                      : report.failure.reason)
                    << '\n';
            else if (!report.failure.reason.empty())
                err << "volcatra-cli: " << options.path << ": " << report.failure.reason << '\n';
            return CLI_GENERAL_FAILURE;
        }
        if (messages.RefusedQuestion()) return CLI_FILE_OR_USAGE_ERROR;
        err << "volcatra-cli: nothing was read; " << options.output << (exists ? " is unchanged" : " was not created")
            << '\n';
        return CLI_GENERAL_FAILURE;
    }

    if (!doc.DoSave(options.output, true)) return DocumentFailureStatus(doc);
    const CRootEntry& added = *doc.Roots()[size_t(report.position)];
    out << Utf8(added.GetDisplayName()) << '\t' << Utf8(added.GetSerialText()) << '\t' << added.m_driveType << '\t'
        << Utf8(added.GetUsedSizeText()) << '\t' << added.m_folderCount << '\t' << added.m_fileCount << '\t'
        << LocalTimeText(added.m_time) << '\n';
    return CLI_OK;
}

}  // namespace

const CliVerb kReadVerb{"read", kReadHelp, Read};

}  // namespace volcatra
