// volcatra-cli read: reads a mounted volume or folder into a catalogue file.
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
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliVerbs.h"
#include "model/CatalogueFile.h"
#include "platform/ArchiverLibraries.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNameCodec.h"
#include "platform/MountedVolumes.h"
#include "reading/ArchiveContents.h"
#include "reading/ReadProgress.h"
#include "reading/VolumeScan.h"

namespace volcatra {

namespace {

constexpr char kReadHelp[] =
    "Usage: volcatra-cli read PATH -o CATALOGUE.fsr [--no-archives]\n"
    "\n"
    "Reads the mounted volume or folder PATH (every file and folder with its\n"
    "size, attributes and last-write time, and the member lists of LZH, ARJ,\n"
    "ZIP, CAB, TAR, TGZ and GZ archives) into CATALOGUE.fsr: a new catalogue,\n"
    "or a further volume at the end of an existing one. The read stays on the\n"
    "file system of PATH; folders where another file system is mounted are\n"
    "recorded but not entered.\n"
    "\n"
    "  -o, --output FILE   the catalogue file to write or extend\n"
    "  --no-archives       do not list the members of archive files\n"
    "\n"
    "A progress line appears on standard error when it is a terminal; Ctrl-C\n"
    "asks whether to stop the read. A failed or stopped read prints\n"
    "\"読み取りに失敗しました\" and leaves an existing catalogue file untouched.\n"
    "On success one line describes the new volume, as 'info' prints it.\n";

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

// The progress line on standard error: phase, percent, entries per second
// and the path being read, shortened to the terminal's width. Redrawn at
// most ten times a second. Without a terminal it draws nothing and only
// turns Ctrl-C into cancel requests.
class TerminalProgress : public CReadProgressBase {
public:
    TerminalProgress(int fd, bool draw, std::function<uint64_t()> entries)
        : m_fd(fd), m_draw(draw), m_entries(std::move(entries)) {}

    void SetPhaseText(ReadPhase phase) override {
        m_phase = ReadPhaseText(phase);
        m_phaseStart = MonotonicMilliseconds();
        m_entriesAtStart = m_entries ? m_entries() : 0;
        Draw();
    }
    void SetPathText(const std::u16string& path) override { m_path = path; }
    void PumpMessages() override {
        if (g_interrupted.exchange(0, std::memory_order_relaxed)) RequestCancel();
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
    std::u16string m_phase;
    std::u16string m_path;
    int m_percent = 0;
    uint64_t m_phaseStart = 0;
    uint64_t m_entriesAtStart = 0;
    uint64_t m_nextDraw = 0;
    bool m_shown = false;
};

// Message boxes on the terminal (/dev/tty, so that redirected streams do
// not matter). A Yes/No question waits for an answer; a second Ctrl-C
// while it waits answers Yes.
class TerminalMessageService : public IMessageService {
public:
    TerminalMessageService(int tty, TerminalProgress& progress) : m_tty(tty), m_progress(progress) {}

    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon) override {
        m_progress.Clear();
        const bool yesNo = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel;
        WriteAll(m_tty, Utf8(text) + (yesNo ? " [y/N] " : "\n"));
        if (!yesNo) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        const uint64_t asked = MonotonicMilliseconds();
        const MessageAnswer answer = ReadAnswer();
        m_progress.Redraw(MonotonicMilliseconds() - asked);
        return answer;
    }

private:
    MessageAnswer ReadAnswer() {
        std::string line;
        for (;;) {
            char c = 0;
            const ssize_t n = ::read(m_tty, &c, 1);
            if (n < 0 && errno == EINTR) {
                if (g_interrupted.exchange(0)) {
                    WriteAll(m_tty, "\n");
                    return MessageAnswer::Yes;
                }
                continue;
            }
            if (n <= 0) return MessageAnswer::No;
            if (c == '\n') break;
            if (line.size() < 64) line.push_back(c);
        }
        const bool yes =
            line == "y" || line == "Y" || line == "yes" || line == "YES" || line == "Yes" || line == "はい";
        return yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    int m_tty;
    TerminalProgress& m_progress;
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
};

bool ParseArgs(const CliArgs& args, ReadOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size() || !options.output.empty()) return false;
            options.output = args[++i];
        } else if (a.rfind("--output=", 0) == 0 && options.output.empty()) {
            options.output = a.substr(9);
        } else if (a == "--no-archives") {
            options.archives = false;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (options.path.empty()) {
            options.path = a;
        } else {
            return false;
        }
    }
    return !options.path.empty() && !options.output.empty();
}

int ReadFailed(std::ostream& err, const std::string& detail = {}) {
    err << Utf8(kReadFailedText) << '\n';
    if (!detail.empty()) err << "volcatra-cli: " << detail << '\n';
    return CLI_GENERAL_FAILURE;
}

int Read(const CliArgs& args, std::ostream& out, std::ostream& err) {
    ReadOptions options;
    if (!ParseArgs(args, options)) return Usage(err, kReadHelp);

    // The existing catalogue is read first: a file that cannot be used is
    // reported before any reading starts, and stays as it is.
    RootList roots;
    struct stat st {};
    if (::stat(options.output.c_str(), &st) == 0) {
        roots = LoadCatalogueFile(options.output, HeaderAcceptance::Document);
    } else if (errno != ENOENT) {
        return ReportFailure(CatalogueError::File(FileErrorCauseFromErrno(errno), FileNameToUtf16(options.output)),
                             false, err);
    }

    char* resolved = ::realpath(options.path.c_str(), nullptr);
    if (!resolved) return ReadFailed(err, options.path + ": " + std::strerror(errno));
    const std::string readPath = resolved;
    std::free(resolved);
    if (::stat(readPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ReadFailed(err, options.path + ": " + std::strerror(ENOTDIR));
    const std::optional<MountEntry> mount = FindMountedVolume(readPath);
    if (!mount) return ReadFailed(err, readPath + ": no mounted file system holds it");
    const uint32_t driveType = GetDriveType(*mount);
    if (driveType == 0) return ReadFailed(err, readPath + ": " + mount->fsType + " holds no files to catalogue");

    auto root = std::make_unique<CRootEntry>();
    const CRootEntry* rootView = root.get();
    TtyHandle tty;
    std::optional<InterruptGuard> interrupts;
    if (tty.Get() >= 0) interrupts.emplace();
    TerminalProgress progress(STDERR_FILENO, ::isatty(STDERR_FILENO) == 1,
                              [rootView] { return uint64_t(rootView->m_folderCount) + rootView->m_fileCount; });
    TerminalMessageService messages(tty.Get(), progress);

    LocalFileSystem fileSystem;
    CArchiverTable archivers(BuiltInArchiverLoader());
    if (options.archives) archivers.LoadArchivers();
    ReadServices services{fileSystem, tty.Get() >= 0 ? &messages : nullptr, options.archives ? &archivers : nullptr};
    ReadFailure failure;
    bool ok = false;
    {
        OpenFileLimit openFiles;
        ok = ReadVolume(*root, services, driveType, readPath, mount->mountPoint, &progress, &failure);
    }
    archivers.UnloadArchivers();
    progress.Clear();
    if (!ok) {
        if (failure.cancelled || failure.path.empty()) return ReadFailed(err);
        return ReadFailed(err, Utf8(failure.path) + ": " + std::strerror(failure.error));
    }
    root->m_time = int64_t(std::time(nullptr));

    roots.push_back(std::move(root));
    try {
        std::vector<CRootEntry*> plain;
        for (const auto& r : roots) plain.push_back(r.get());
        SaveCatalogueFile(options.output, plain);
    } catch (const CatalogueError& e) {
        return ReportFailure(e, true, err);
    }
    const CRootEntry& added = *roots.back();
    out << Utf8(added.GetDisplayName()) << '\t' << Utf8(added.GetSerialText()) << '\t' << added.m_driveType << '\t'
        << Utf8(added.GetUsedSizeText()) << '\t' << added.m_folderCount << '\t' << added.m_fileCount << '\t'
        << LocalTimeText(added.m_time) << '\n';
    return CLI_OK;
}

}  // namespace

const CliVerb kReadVerb{"read", kReadHelp, Read};

}  // namespace volcatra
