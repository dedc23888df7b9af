// Reading and scanning catalogue files for a search, now or on a worker
// thread, so that the next file of a folder is ready when the search comes
// to it.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/CatalogueScan.h"
#include "model/NamePattern.h"

namespace volcatra {

// Reads the file (its path as bytes) into buffer and keeps the volumes and
// the entries that match. Only its 64-byte header is read before it is
// known to be a catalogue this search takes: a file of another kind costs
// no more than that, however large it is. nullopt for a file that is
// skipped without a word: one that cannot be opened or is no regular file
// (FIFOs and devices are never read), or one whose reading was cancelled.
// Throws CatalogueError when reading or decoding fails, or with
// HeaderRejected set for another header. The storage of a result no longer
// needed (recycled) is used again.
std::optional<ScannedCatalogue> ScanCatalogueFile(const std::string& path, const CNamePattern& pattern,
                                                  std::vector<uint8_t>& buffer, ScannedCatalogue recycled = {},
                                                  const std::atomic<bool>* cancel = nullptr);

// ScanCatalogueFile on a worker thread. The pattern and the buffer are used
// until Take returns or the job is destroyed. Destroying a job that has not
// been taken cancels it: it waits only for the piece of the file being read
// (or for the decoding, once the file is read), not for the rest of a large
// file. A result no longer needed (spent) is recycled by the job: its
// storage is used again or released by the thread that took it.
class CCatalogueScanJob {
public:
    CCatalogueScanJob(std::string path, const CNamePattern& pattern, std::vector<uint8_t>& buffer,
                      std::optional<ScannedCatalogue> spent = std::nullopt);
    ~CCatalogueScanJob();
    CCatalogueScanJob(const CCatalogueScanJob&) = delete;
    CCatalogueScanJob& operator=(const CCatalogueScanJob&) = delete;

    const std::string& Path() const { return m_path; }

    // Waits for the job and gives its result, or throws what it threw. Once.
    std::optional<ScannedCatalogue> Take();

private:
    void Run() noexcept;

    const std::string m_path;
    const CNamePattern& m_pattern;
    std::vector<uint8_t>& m_buffer;
    std::optional<ScannedCatalogue> m_spent;
    std::optional<ScannedCatalogue> m_result;
    std::exception_ptr m_error;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
};

}  // namespace volcatra
