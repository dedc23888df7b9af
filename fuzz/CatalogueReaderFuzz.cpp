// Feeds arbitrary bytes to the catalogue reader (as a whole file and as a
// volume payload). Whatever is accepted must write back into a file that
// reads back and writes the same bytes again. Searching the bytes by name
// must keep what reading them whole keeps, or fail in the same way.
#include <cstdint>
#include <cstdlib>

#include "ScanOutcome.h"
#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueScan.h"

using namespace volcatra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        RootList roots = ReadCatalogue(std::span(data, size), HeaderAcceptance::Document);
        const std::vector<uint8_t> first = WriteCatalogue(roots);
        RootList again = ReadCatalogue(first, HeaderAcceptance::Document);
        if (WriteCatalogue(again) != first) std::abort();
    } catch (const CatalogueError&) {
    }
    const std::span<const uint8_t> bytes(data, size);
    for (const char16_t* typed : {u"", u"*.A*"}) {
        const CNamePattern pattern = PrepareNamePattern(typed);
        const std::string scanned =
            test::ScanOutcome([&] { return ScanCatalogue(bytes, HeaderAcceptance::Search, pattern); });
        const std::string whole =
            test::ScanOutcome([&] { return test::ReadAndMatch(bytes, HeaderAcceptance::Search, pattern); });
        if (scanned != whole) std::abort();
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
