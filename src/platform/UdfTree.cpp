// The UDF back end of disc images, on libudfread over the disc's 2048-byte
// sectors (so raw .bin images need no copy).
#include <udfread/blockinput.h>
#include <udfread/udfread.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <vector>

#include "platform/DiscImageFileSystem.h"
#include "platform/UdfMetadata.h"

namespace volcatra {

namespace {

constexpr size_t kMaxDepth = 1024;

// The library's block input over the disc's sectors.
struct SectorInput {
    udfread_block_input input{};
    const IByteSource* disc = nullptr;
};

int ReadBlocks(udfread_block_input* input, uint32_t lba, void* buffer, uint32_t count, int) {
    const auto* self = reinterpret_cast<SectorInput*>(input);
    const uint64_t sectors = self->disc->Size() / kDiscSectorSize;
    if (uint64_t(lba) >= sectors) return 0;
    const uint32_t available = uint32_t(std::min<uint64_t>(count, sectors - lba));
    if (!self->disc->Read(uint64_t(lba) * kDiscSectorSize, buffer, size_t(available) * kDiscSectorSize)) return -1;
    return int(available);
}

uint32_t InputSize(udfread_block_input* input) {
    const auto* self = reinterpret_cast<SectorInput*>(input);
    return uint32_t(std::min<uint64_t>(self->disc->Size() / kDiscSectorSize, UINT32_MAX));
}

// A file's bytes through the library (which follows its allocation
// descriptors).
class UdfFileSource : public IByteSource {
public:
    explicit UdfFileSource(UDFFILE* file)
        : m_file(file), m_size(uint64_t(std::max<int64_t>(0, udfread_file_size(file)))) {}
    ~UdfFileSource() override { udfread_file_close(m_file); }
    UdfFileSource(const UdfFileSource&) = delete;
    UdfFileSource& operator=(const UdfFileSource&) = delete;
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t count) const override {
        if (offset > m_size || count > m_size - offset) return false;
        if (udfread_file_seek(m_file, int64_t(offset), UDF_SEEK_SET) != int64_t(offset)) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        while (count > 0) {
            const ssize_t n = udfread_file_read(m_file, out, count);
            if (n <= 0) return false;
            out += n;
            count -= size_t(n);
        }
        return true;
    }

private:
    UDFFILE* m_file;
    uint64_t m_size;
};

class UdfTree;

using UdfFacts = std::optional<std::map<std::string, UdfEntryFacts>>;

class UdfListing : public IDirectoryListing {
public:
    UdfListing(UdfTree& tree, UDFDIR* dir, size_t depth, UdfFacts facts)
        : m_tree(tree), m_dir(dir), m_depth(depth), m_facts(std::move(facts)) {}
    ~UdfListing() override { udfread_closedir(m_dir); }
    UdfListing(const UdfListing&) = delete;
    UdfListing& operator=(const UdfListing&) = delete;

    ListingStatus Next(DirectoryItem& item) override;
    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override;
    int Error() const override { return 0; }

private:
    UdfTree& m_tree;
    UDFDIR* m_dir;
    size_t m_depth;
    UdfFacts m_facts;  // times, permissions and hidden flags by name, where they can be read
};

class UdfTree : public IDiscTree {
public:
    UdfTree(const IByteSource& disc, std::unique_ptr<SectorInput> input, udfread* udf)
        : m_input(std::move(input)),
          m_udf(udf),
          m_metadata(UdfMetadata::Open(disc)),
          m_maxFolders(disc.Size() / kDiscSectorSize) {}
    ~UdfTree() override { udfread_close(m_udf); }
    UdfTree(const UdfTree&) = delete;
    UdfTree& operator=(const UdfTree&) = delete;

    std::unique_ptr<IDirectoryListing> OpenRoot(int& error) override {
        UDFDIR* dir = udfread_opendir(m_udf, "/");
        if (!dir) {
            error = EIO;
            m_reason = "the UDF root directory cannot be read";
            return nullptr;
        }
        UdfFacts facts;
        m_visited.clear();  // a new walk from the top
        m_folders = 0;
        if (m_metadata) {
            m_visited.insert(m_metadata->RootBlock());
            facts = m_metadata->ReadDirectory(m_metadata->RootBlock());
        }
        return std::make_unique<UdfListing>(*this, dir, 0, std::move(facts));
    }

    std::unique_ptr<IByteSource> OpenFile(const std::string& relativePath) override {
        UDFFILE* file = udfread_file_open(m_udf, ("/" + relativePath).c_str());
        if (!file) return nullptr;
        return std::make_unique<UdfFileSource>(file);
    }

    std::string Reason() const override { return m_reason; }

    std::unique_ptr<IDirectoryListing> OpenSubfolder(UDFDIR* parent, const std::string& name, size_t depth,
                                                     const UdfEntryFacts* known, int& error) {
        UdfFacts facts;
        if (known && m_metadata) {
            if (!m_visited.insert(known->icbBlock).second) {
                error = ELOOP;
                m_reason = "a directory is listed twice (a cycle)";
                return nullptr;
            }
            facts = m_metadata->ReadDirectory(known->icbBlock);
        }
        // Every folder takes a block of its own: more folders than blocks
        // means the tree runs in a circle.
        if (depth > kMaxDepth || ++m_folders > m_maxFolders) {
            error = ELOOP;
            m_reason = "folders nested too deep or in a cycle";
            return nullptr;
        }
        UDFDIR* dir = udfread_opendir_at(parent, name.c_str());
        if (!dir) {
            error = EIO;
            m_reason = "a UDF directory cannot be read";
            return nullptr;
        }
        return std::make_unique<UdfListing>(*this, dir, depth, std::move(facts));
    }

    bool FileSize(UDFDIR* parent, const std::string& name, uint64_t& size) {
        UDFFILE* file = udfread_file_openat(parent, name.c_str());
        if (!file) return false;
        const int64_t length = udfread_file_size(file);
        udfread_file_close(file);
        if (length < 0) return false;
        size = uint64_t(length);
        return true;
    }

    void SetReason(std::string reason) { m_reason = std::move(reason); }

private:
    std::unique_ptr<SectorInput> m_input;
    udfread* m_udf;
    std::optional<UdfMetadata> m_metadata;
    std::set<uint64_t> m_visited;  // File Entries of the folders listed
    uint64_t m_maxFolders;
    uint64_t m_folders = 0;
    std::string m_reason;
};

ListingStatus UdfListing::Next(DirectoryItem& item) {
    udfread_dirent entry{};
    for (;;) {
        if (!udfread_readdir(m_dir, &entry)) return ListingStatus::End;
        if (!entry.d_name || !*entry.d_name) continue;
        if (std::strcmp(entry.d_name, ".") == 0 || std::strcmp(entry.d_name, "..") == 0) continue;
        break;
    }
    item = DirectoryItem{};
    item.name = entry.d_name;
    if (entry.d_type == UDF_DT_DIR) {
        item.kind = ItemKind::Folder;
        item.attributes = 0x10;
    } else {
        item.kind = ItemKind::RegularFile;
        item.attributes = 0x20;
        if (!m_tree.FileSize(m_dir, item.name, item.size)) {
            m_tree.SetReason("a UDF file entry cannot be read");
            return ListingStatus::Failed;
        }
    }
    bool writable = false;
    if (m_facts) {
        const auto found = m_facts->find(item.name);
        if (found != m_facts->end()) {
            item.time = found->second.time;
            writable = found->second.writable;
            if (found->second.hidden) item.attributes |= 0x02;
        }
    }
    if (!writable) item.attributes |= 0x01;
    if (item.name[0] == '.') item.attributes |= 0x02;
    return ListingStatus::Item;
}

std::unique_ptr<IDirectoryListing> UdfListing::OpenSubfolder(const std::string& name, int& error) {
    const UdfEntryFacts* known = nullptr;
    if (m_facts) {
        const auto found = m_facts->find(name);
        if (found != m_facts->end()) known = &found->second;
    }
    return m_tree.OpenSubfolder(m_dir, name, m_depth + 1, known, error);
}

}  // namespace

std::unique_ptr<IDiscTree> OpenUdfTree(const DiscSectorSource& disc, std::string& reason) {
    const uint32_t blockSize = UdfLogicalBlockSize(disc);
    if (blockSize != kDiscSectorSize) {
        reason = blockSize
                     ? "UDF with " + std::to_string(blockSize) + "-byte blocks cannot be read (only 2048-byte blocks)"
                     : "the UDF logical volume descriptor cannot be read";
        return nullptr;
    }
    auto input = std::make_unique<SectorInput>();
    input->input.read = ReadBlocks;
    input->input.size = InputSize;
    input->disc = &disc;
    udfread* udf = udfread_init();
    if (!udf) {
        reason = "out of memory";
        return nullptr;
    }
    if (udfread_open_input(udf, &input->input) < 0) {
        udfread_close(udf);
        reason = "the UDF volume cannot be read";
        return nullptr;
    }
    return std::make_unique<UdfTree>(disc, std::move(input), udf);
}

}  // namespace volcatra
