#include "search/CatalogueScanJob.h"

#include <system_error>

#include "model/CatalogueFile.h"
#include "platform/VectorState.h"

namespace volcatra {

std::optional<ScannedCatalogue> ScanCatalogueFile(const std::string& path, const CNamePattern& pattern,
                                                  std::vector<uint8_t>& buffer, ScannedCatalogue recycled,
                                                  const std::atomic<bool>* cancel) {
    const std::optional<std::span<const uint8_t>> data =
        ReadRegularCatalogueInto(path, HeaderAcceptance::Search, buffer, cancel);
    if (!data || (cancel && cancel->load(std::memory_order_relaxed))) return std::nullopt;
    // The whole file is decoded before any of it is searched, so a file that
    // turns out damaged contributes no hits at all.
    return ScanCatalogue(*data, HeaderAcceptance::Search, pattern, std::move(recycled));
}

CCatalogueScanJob::CCatalogueScanJob(std::string path, const CNamePattern& pattern, std::vector<uint8_t>& buffer,
                                     std::optional<ScannedCatalogue> spent)
    : m_path(std::move(path)), m_pattern(pattern), m_buffer(buffer), m_spent(std::move(spent)) {
    try {
        m_thread = std::thread([this] {
            ClearUpperVectorState();
            Run();
        });
    } catch (const std::system_error&) {
        Run();  // no thread to be had: read it now
    }
}

CCatalogueScanJob::~CCatalogueScanJob() {
    m_cancel.store(true, std::memory_order_relaxed);
    if (m_thread.joinable()) m_thread.join();
}

void CCatalogueScanJob::Run() noexcept {
    try {
        ScannedCatalogue spent;
        if (m_spent) spent = std::move(*m_spent);
        m_spent.reset();
        m_result = ScanCatalogueFile(m_path, m_pattern, m_buffer, std::move(spent), &m_cancel);
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
