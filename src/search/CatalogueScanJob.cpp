#include "search/CatalogueScanJob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#include "model/CatalogueFile.h"

namespace volcatra {

namespace {

// Opening without blocking: a FIFO or device named like a catalogue file
// must not stall the search.
bool IsRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

}  // namespace

std::optional<ScannedCatalogue> ScanCatalogueFile(const std::string& path, const CNamePattern& pattern,
                                                  std::vector<uint8_t>& buffer, ScannedCatalogue recycled) {
    if (!IsRegularFile(path)) return std::nullopt;
    // The whole file is decoded before any of it is searched, so a file that
    // turns out damaged contributes no hits at all.
    return ScanCatalogue(ReadWholeFileInto(path, buffer), HeaderAcceptance::Search, pattern, std::move(recycled));
}

CCatalogueScanJob::CCatalogueScanJob(std::string path, const CNamePattern& pattern, std::vector<uint8_t>& buffer,
                                     std::optional<ScannedCatalogue> spent)
    : m_path(std::move(path)), m_pattern(pattern), m_buffer(buffer), m_spent(std::move(spent)) {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        Run();  // no thread to be had: read it now
    }
}

CCatalogueScanJob::~CCatalogueScanJob() {
    if (m_thread.joinable()) m_thread.join();
}

void CCatalogueScanJob::Run() noexcept {
    try {
        ScannedCatalogue spent;
        if (m_spent) spent = std::move(*m_spent);
        m_spent.reset();
        m_result = ScanCatalogueFile(m_path, m_pattern, m_buffer, std::move(spent));
    } catch (...) {
        m_error = std::current_exception();
    }
}

std::optional<ScannedCatalogue> CCatalogueScanJob::Take() {
    if (m_thread.joinable()) m_thread.join();
    if (m_error) std::rethrow_exception(m_error);
    return std::move(m_result);
}

}  // namespace volcatra
