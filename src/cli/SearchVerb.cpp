// volcatra-cli search: finds entries by name in catalogue files.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>

#include "cli/CliVerbs.h"
#include "cli/JsonText.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "platform/ShellTypeNames.h"
#include "search/SearchEngine.h"
#include "search/SearchHitTexts.h"

namespace volcatra {

namespace {

constexpr char kSearchHelp[] =
    "Usage: volcatra-cli search [--in PLACE] [--no-subfolders] [--catalogue FILE.fsr] [--json] NAME\n"
    "\n"
    "Finds recorded files and folders by name in the catalogue files (*.fsr) of\n"
    "PLACE (default: the current folder) and of all its subfolders, or with\n"
    "--catalogue in the volumes of one catalogue file.\n"
    "\n"
    "NAME without a dot finds every name that contains it; with a dot it is the\n"
    "whole name. '*' and '?' are wildcards; ASCII letters match in any case.\n"
    "An empty NAME finds everything.\n"
    "\n"
    "One line per hit on standard output, tab-separated: name, folder\n"
    "([volume] \\path), size, kind, date, catalogue file. With --json one object\n"
    "per line with \"name\", \"folder\", \"size\", \"kind\", \"date\", \"catalogue\",\n"
    "\"bytes\", \"time\" and \"attributes\". The number of hits goes to standard error.\n"
    "Ctrl+C stops the search and keeps the hits found so far.\n";

// Ctrl+C asks the running search to stop, as the stop button does.
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void OnInterrupt(int) {
    g_stopRequested = 1;
}

// Installs the Ctrl+C handler for the length of a search.
class InterruptScope {
public:
    InterruptScope() {
        g_stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        m_installed = ::sigaction(SIGINT, &action, &m_previous) == 0;
    }
    ~InterruptScope() {
        if (m_installed) ::sigaction(SIGINT, &m_previous, nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction m_previous {};
    bool m_installed = false;
};

// Columns a character takes on a terminal: two for the wide characters of
// East Asian scripts, one otherwise. Enough to keep a status line on one
// terminal row.
int TerminalWidth(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
                      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// The beginning of text that fits in the given number of terminal columns.
std::u16string FitToColumns(const std::u16string& text, int columns) {
    int used = 0;
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = text[i];
        size_t length = 1;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            length = 2;
        }
        const int width = c < 0x20 ? 1 : TerminalWidth(c);
        if (used + width > columns) break;
        used += width;
        i += length;
    }
    return text.substr(0, i);
}

// The terminal side of a search window: the run state, and the status texts
// as a transient line on standard error when that is a terminal.
class CliSearchWindow final : public ISearchWindow {
public:
    CliSearchWindow(std::ostream& out, std::ostream& err, const RootList* source)
        : m_out(out),
          m_err(err),
          m_source(source),
          m_terminal(&err == &std::cerr && ::isatty(STDERR_FILENO)),
          m_sharedTerminal(m_terminal && &out == &std::cout && ::isatty(STDOUT_FILENO)) {}

    int32_t GetSearchState() const override { return g_stopRequested ? SEARCH_STOP : SEARCH_RUNNING; }

    void ShowStatusText(const std::u16string& text) override {
        if (m_terminal) m_status = text;
    }

    // Redraws the status line at most ten times a second; the time check
    // keeps the cost of a call (one per hit) near nothing.
    void PumpSearchMessages() override {
        if (!m_terminal) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastDraw < std::chrono::milliseconds(100)) return;
        m_lastDraw = now;
        winsize size{};
        const int columns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
        FlushOutput();
        m_err << '\r' << Utf8(FitToColumns(m_status, columns - 1)) << "\x1b[K" << std::flush;
        m_shown = true;
    }

    const RootList* GetSourceCatalogue() const override { return m_source; }

    // How the hits collected so far reach standard output; called before
    // anything is drawn on standard error.
    void SetOutputFlush(std::function<void()> flush) { m_flushOutput = std::move(flush); }
    void FlushOutput() {
        if (m_flushOutput) m_flushOutput();
        m_out.flush();
    }

    // Removes the status line before a hit's line when both go to the same
    // terminal.
    void ClearStatusForOutput() {
        if (m_sharedTerminal) ClearStatus();
    }

    // Removes the status line before other output on standard error.
    void ClearStatus() {
        if (!m_shown) return;
        m_err << "\r\x1b[K" << std::flush;
        m_shown = false;
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    const RootList* m_source;
    const bool m_terminal;        // standard error is a terminal
    const bool m_sharedTerminal;  // and so is standard output
    std::u16string m_status;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
    std::function<void()> m_flushOutput;
};

// Message boxes become lines on standard error.
class CliMessages final : public IMessageService {
public:
    CliMessages(std::ostream& err, CliSearchWindow& window) : m_err(err), m_window(window) {}
    MessageAnswer Show(const std::u16string& text, MessageButtons, MessageIcon) override {
        m_window.FlushOutput();
        m_window.ClearStatus();
        m_err << Utf8(text) << '\n';
        return MessageAnswer::Ok;
    }

private:
    std::ostream& m_err;
    CliSearchWindow& m_window;
};

// The result list: one line per hit on standard output. Lines are
// collected in a buffer that goes out in large pieces, and the texts that
// stay the same from hit to hit (folder, catalogue file) are encoded once.
class CliResults final : public ISearchResults {
public:
    CliResults(std::ostream& out, bool json, CliSearchWindow& window)
        : m_out(out), m_json(json), m_window(window), m_lineByLine(&out == &std::cout && ::isatty(STDOUT_FILENO)) {}
    ~CliResults() override { Flush(); }
    CliResults(const CliResults&) = delete;
    CliResults& operator=(const CliResults&) = delete;

    void ClearResults() override { m_found = 0; }
    void BeginVolume(const CRootEntry&) override {}

    void AddHit(const CFileEntry& entry, const CRootEntry&, const std::u16string& folderText,
                const std::u16string& catalogueFile) override {
        m_window.ClearStatusForOutput();
        const bool folder = ShowsAsFolder(entry);
        const std::u16string& kind = m_types.TypeNameOf(entry.m_name, folder);
        char date[kHitDateCapacity];
        const size_t dateLength = FormatHitDate(entry.m_time, date);
        if (m_json) {
            m_pending += "{\"name\":";
            m_pending += JsonString(entry.m_name);
            m_pending += ",\"folder\":";
            m_pending += JsonString(folderText);
            m_pending += ",\"size\":";
            m_pending += JsonString(folder ? std::u16string() : entry.GetSizeText(false));
            m_pending += ",\"kind\":";
            m_pending += JsonString(kind);
            m_pending += ",\"date\":\"";
            m_pending.append(date, dateLength);
            m_pending += "\",\"catalogue\":";
            m_pending += JsonString(catalogueFile);
            m_pending += ",\"bytes\":" + std::to_string(entry.m_size);
            m_pending += ",\"time\":" + std::to_string(entry.m_time);
            m_pending += ",\"attributes\":" + std::to_string(entry.m_attributes) + "}\n";
        } else {
            AppendFileName(m_pending, entry.m_name);
            m_pending += '\t';
            m_pending += Encoded(m_folder, folderText);
            m_pending += '\t';
            if (!folder) AppendSizeText(m_pending, entry.m_size, false);
            m_pending += '\t';
            m_pending += Encoded(m_kind, kind);
            m_pending += '\t';
            m_pending.append(date, dateLength);
            m_pending += '\t';
            m_pending += Encoded(m_catalogue, catalogueFile);
            m_pending += '\n';
        }
        if (m_lineByLine) {
            // A reader at a terminal sees each hit as it is found.
            Flush();
            m_out.flush();
        } else if (m_pending.size() >= kFlushSize) {
            Flush();
        }
        ++m_found;
    }

    int32_t GetFoundCount() const override { return m_found; }

    // Writes the collected lines to the output stream.
    void Flush() {
        if (m_pending.empty()) return;
        m_out.write(m_pending.data(), std::streamsize(m_pending.size()));
        m_pending.clear();
    }

private:
    static constexpr size_t kFlushSize = 1 << 16;

    // A text and its UTF-8 form, encoded again only when the text changes.
    struct EncodedText {
        std::u16string m_text;
        std::string m_bytes;
        bool m_valid = false;
    };
    static const std::string& Encoded(EncodedText& cache, const std::u16string& text) {
        if (!cache.m_valid || cache.m_text != text) {
            cache.m_text = text;
            cache.m_bytes.clear();
            AppendFileName(cache.m_bytes, text);
            cache.m_valid = true;
        }
        return cache.m_bytes;
    }

    std::ostream& m_out;
    const bool m_json;
    CliSearchWindow& m_window;
    const bool m_lineByLine;
    CMimeTypeNames m_types;
    int32_t m_found = 0;
    std::string m_pending;
    EncodedText m_folder;
    EncodedText m_catalogue;
    EncodedText m_kind;
};

int Search(const CliArgs& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> place;
    std::optional<std::string> catalogue;
    std::optional<std::string> name;
    bool subfolders = true;
    bool json = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "--in" || a == "--catalogue")) {
            if (i + 1 == args.size()) return Usage(err, kSearchHelp);
            std::optional<std::string>& target = a == "--in" ? place : catalogue;
            if (target) return Usage(err, kSearchHelp);
            target = args[++i];
        } else if (!optionsEnded && a == "--no-subfolders") {
            subfolders = false;
        } else if (!optionsEnded && a == "--json") {
            json = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            return Usage(err, kSearchHelp);
        } else {
            if (name) return Usage(err, kSearchHelp);
            name = a;
        }
    }
    // The volumes of one catalogue, or the catalogue files of a place: not both.
    if (!name || (place && catalogue)) return Usage(err, kSearchHelp);

    // --catalogue opens the file as a catalogue window would (any version
    // 1.xx); its failures end the command like those of the other verbs.
    std::optional<RootList> source;
    if (catalogue) source = LoadCatalogueFile(*catalogue, HeaderAcceptance::Document);

    CliSearchWindow window(out, err, source ? &*source : nullptr);
    CliMessages messages(err, window);
    CliResults results(out, json, window);
    window.SetOutputFlush([&results] { results.Flush(); });
    CSearchEngine engine(results, window, messages);
    const CNamePattern pattern = PrepareNamePattern(FileNameToUtf16(*name));
    {
        InterruptScope interrupt;
        engine.RunSearch(pattern, FileNameToUtf16(place.value_or(".")), subfolders);
    }
    window.ClearStatus();
    window.FlushOutput();
    err << Utf8(FoundCountText(results.GetFoundCount())) << '\n';
    return CLI_OK;
}

}  // namespace

const CliVerb kSearchVerb{"search", kSearchHelp, Search};

}  // namespace volcatra
