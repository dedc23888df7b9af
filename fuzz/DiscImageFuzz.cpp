// Feeds arbitrary bytes as a disc image through the whole read: detection,
// the volume descriptors, the ISO 9660 or UDF tree with the libraries
// behind it, and the archives inside the image.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ArchiverLibraries.h"
#include "platform/DiscImageFileSystem.h"
#include "reading/ArchiveContents.h"
#include "reading/VolumeScan.h"

using namespace volcatra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("image", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    if (size && write(fd, data, size) != ssize_t(size)) std::abort();
    // Opened by name, as a read opens an image.
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    std::string reason;
    if (std::unique_ptr<DiscImageFileSystem> fs = DiscImageFileSystem::Open(path, reason)) {
        CArchiverTable archivers(BuiltInArchiverLoader());
        archivers.LoadArchivers();
        CRootEntry root;
        const ReadServices services{*fs, nullptr, &archivers};
        ReadFailure failure;
        ReadVolume(root, services, 5, path, path, nullptr, &failure);
    } else if (reason.empty()) {
        std::abort();  // a refused image always says why
    }
    close(fd);
    return 0;
}
