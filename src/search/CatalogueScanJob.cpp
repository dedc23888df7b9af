#include "search/CatalogueScanJob.h"

#include <system_error>

#include "model/CatalogueFile.h"

namespace volcatra {

std::optional<ScannedCatalogue> ScanCatalogueFile(const std::string& path, const CNamePattern& pattern,
                                                  std::vector<uint8_t>& buffer, ScannedCatalogue recycled) {
    const std::optional<std::span<const uint8_t>> data = ReadRegularFileInto(path, buffer);
    if (!data) return std::nullopt;
    // The whole file is decoded before any of it is searched, so a file that
    // turns out damaged contributes no hits at all.
    return ScanCatalogue(*data, HeaderAcceptance::Search, pattern, std::move(recycled));
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
