// Feeds arbitrary bytes to the catalogue reader (as a whole file and as a
// volume payload). Whatever is accepted must write back into a file that
// reads back and writes the same bytes again.
#include <cstdint>
#include <cstdlib>

#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"

using namespace volcatra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        RootList roots = ReadCatalogue(std::span(data, size), HeaderAcceptance::Document);
        const std::vector<uint8_t> first = WriteCatalogue(roots);
        RootList again = ReadCatalogue(first, HeaderAcceptance::Document);
        if (WriteCatalogue(again) != first) std::abort();
    } catch (const CatalogueError&) {
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
