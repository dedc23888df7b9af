// Feeds arbitrary bytes to the catalogue reader (as a whole file and as a
// volume payload). Whatever is accepted must write back into a file that
// reads back and writes the same bytes again. Opening the bytes as a file,
// decoded while it is read through a small window, must end as reading them
// whole does. Searching the bytes by name must keep what reading them whole
// keeps, or fail in the same way.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ScanOutcome.h"
#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueScan.h"

using namespace volcatra;

namespace {

// The bytes the volumes read write back into, or the failure.
template <typename F>
std::string ReadOutcome(F&& read) {
    try {
        const std::vector<uint8_t> written = WriteCatalogue(read());
        return "read " + std::string(written.begin(), written.end());
    } catch (const CatalogueError& e) {
        return "failure " + std::to_string(int(e.Kind())) + " " + std::to_string(int(e.FormatCause()));
    }
}

// A file in memory that holds the input of the current run.
const std::string& InputFile(const uint8_t* data, size_t size) {
    static const int fd = ::memfd_create("catalogue", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) std::abort();
        done += size_t(n);
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::string whole = ReadOutcome([&] { return ReadCatalogue(bytes, HeaderAcceptance::Document); });
    if (whole.starts_with("read ")) {
        const std::vector<uint8_t> first(whole.begin() + 5, whole.end());
        try {
            RootList again = ReadCatalogue(first, HeaderAcceptance::Document);
            if (WriteCatalogue(again) != first) std::abort();
        } catch (const CatalogueError&) {
            std::abort();
        }
    }
    // Windows from 1 to 97 bytes put the window's end at every kind of item.
    const std::string& path = InputFile(data, size);
    const std::string streamed =
        ReadOutcome([&] { return LoadCatalogueFile(path, HeaderAcceptance::Document, 1 + size % 97); });
    if (streamed != whole) std::abort();

    for (const char16_t* typed : {u"", u"*.A*"}) {
        const CNamePattern pattern = PrepareNamePattern(typed);
        const std::string scanned =
            test::ScanOutcome([&] { return ScanCatalogue(bytes, HeaderAcceptance::Search, pattern); });
        const std::string matched =
            test::ScanOutcome([&] { return test::ReadAndMatch(bytes, HeaderAcceptance::Search, pattern); });
        if (scanned != matched) std::abort();
    }
    try {
        std::unique_ptr<CRootEntry> root = ReadVolumePayload(std::span(data, size));
        const std::vector<uint8_t> first = WriteVolumePayload(*root);
        std::unique_ptr<CRootEntry> again = ReadVolumePayload(first);
        if (WriteVolumePayload(*again) != first) std::abort();
    } catch (const CatalogueError&) {
    }
    return 0;
}
