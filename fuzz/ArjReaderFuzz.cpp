// Feeds arbitrary bytes to the ARJ header reader through an in-memory file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/ArjReader.h"

using namespace volcatra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("arj", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    if (size && write(fd, data, size) != ssize_t(size)) std::abort();
    ArjReader reader;
    if (reader.Open(fd)) {
        ArjMember member;
        // Every member header takes room in the file, so the listing ends.
        for (size_t n = 0; reader.Next(member) == ArjStatus::Member; ++n)
            if (n > size) std::abort();
    }
    close(fd);
    return 0;
}
