// Listing and reading real folders: what the listing reports per item,
// names that are not UTF-8, links and FIFOs, unreadable folders, deep
// trees, and the mount points of other file systems.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "model/FileNameCodec.h"
#include "platform/DirectoryListing.h"
#include "reading/VolumeScan.h"

namespace volcatra {
namespace {

const std::string kData = VOLCATRA_READING_DATA_DIR;
constexpr int64_t kSpringForward = 1616895000;  // 2021-03-28 01:30:00 UTC, inside a DST change in Europe
constexpr int64_t kFolderTime = 1262304000;

class LocalFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-tree-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        char* real = ::realpath(pattern.c_str(), nullptr);
        ASSERT_NE(real, nullptr);
        m_dir = real;
        std::free(real);
        ::chmod(m_dir.c_str(), 0755);
    }
    void TearDown() override {
        // Make everything removable again first.
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(m_dir, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            if (!it->is_symlink(ignored))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    void MakeFile(const std::string& name, size_t size, int64_t time = 0) {
        std::ofstream(Path(name), std::ios::binary) << std::string(size, 'x');
        if (time) SetTime(name, time);
    }
    void SetTime(const std::string& name, int64_t time) {
        const timespec times[2] = {{time, 0}, {time, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
    }

    std::map<std::string, DirectoryItem> ListTop() {
        LocalFileSystem fs;
        int error = 0;
        auto listing = fs.OpenFolder(m_dir, error);
        EXPECT_TRUE(listing) << error;
        std::map<std::string, DirectoryItem> items;
        if (!listing) return items;
        DirectoryItem item;
        ListingStatus status;
        while ((status = listing->Next(item)) == ListingStatus::Item) items[item.name] = item;
        EXPECT_EQ(status, ListingStatus::End);
        return items;
    }

    std::string m_dir;
};

TEST_F(LocalFileSystemTest, ListingReportsEachItemAsStored) {
    MakeFile("file.bin", 1000, kSpringForward);
    MakeFile("readonly.txt", 3);
    ASSERT_EQ(::chmod(Path("readonly.txt").c_str(), 0444), 0);
    MakeFile(".hidden", 1);
    ASSERT_EQ(::mkdir(Path("folder").c_str(), 0755), 0);
    SetTime("folder", kFolderTime);
    ASSERT_EQ(::symlink("file.bin", Path("link").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/target", Path("dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    const std::string bytes = "\xFF\xFE name.bin";  // not UTF-8
    MakeFile(bytes, 2);
    {
        const int fd = ::open(Path("sparse.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(5) << 30), 0);  // 5 GiB without using the space
        ::close(fd);
    }

    const auto items = ListTop();
    struct Expected {
        std::string name;
        ItemKind kind;
        uint16_t attributes;
        uint64_t size;
    };
    const Expected expected[] = {
        {"file.bin", ItemKind::RegularFile, 0x20, 1000}, {"readonly.txt", ItemKind::RegularFile, 0x21, 3},
        {".hidden", ItemKind::RegularFile, 0x22, 1},     {"folder", ItemKind::Folder, 0x10, 0},
        {"link", ItemKind::SymbolicLink, 0x00, 8},  // the link's own size: "file.bin"
        {"dangling", ItemKind::SymbolicLink, 0x00, 19},  {"fifo", ItemKind::Other, 0x00, 0},
        {bytes, ItemKind::RegularFile, 0x20, 2},         {"sparse.bin", ItemKind::RegularFile, 0x20, uint64_t(5) << 30},
    };
    EXPECT_EQ(items.size(), std::size(expected)) << "no . and ..";
    for (const Expected& e : expected) {
        const auto it = items.find(e.name);
        ASSERT_NE(it, items.end()) << e.name;
        EXPECT_EQ(it->second.kind, e.kind) << e.name;
        EXPECT_EQ(it->second.attributes, e.attributes) << e.name;
        EXPECT_EQ(it->second.size, e.size) << e.name;
        EXPECT_FALSE(it->second.otherFileSystem) << e.name;
    }
    EXPECT_EQ(items.at("file.bin").time, kSpringForward) << "straight from the inode, no local-time round trip";
    EXPECT_EQ(items.at("folder").time, kFolderTime);
}

struct RealRead {
    CRootEntry root;
    ReadFailure failure;
    bool ok = false;
};

RealRead ReadReal(const std::string& path, CArchiverTable* archivers) {
    RealRead result;
    const std::optional<MountEntry> mount = FindMountedVolume(path);
    if (!mount) return result;
    LocalFileSystem fs;
    ReadServices services{fs, nullptr, archivers};
    result.ok =
        ReadVolume(result.root, services, GetDriveType(*mount), path, mount->mountPoint, nullptr, &result.failure);
    return result;
}

const CFileEntry* FindEntry(const CFileArray& array, const std::u16string& name) {
    for (const auto& e : array.m_entries)
        if (e.m_name == name) return &e;
    return nullptr;
}

TEST_F(LocalFileSystemTest, ReadsATreeWithArchivesLinksAndForeignNames) {
    ASSERT_EQ(::mkdir(Path("docs").c_str(), 0755), 0);
    const std::string foreign = "docs/caf\xE9.txt";  // Latin-1, not UTF-8
    MakeFile(foreign, 5);
    std::filesystem::copy_file(kData + "/sample.zip", Path("docs/sample.zip"));
    ASSERT_EQ(::symlink("docs/sample.zip", Path("link.zip").c_str()), 0);
    ASSERT_EQ(::mkfifo(Path("pipe.zip").c_str(), 0644), 0);  // opening it would block the read
    MakeFile("top.txt", 4);

    CArchiverTable archivers(BuiltInArchiverLoader());
    archivers.LoadArchivers();
    RealRead read = ReadReal(m_dir, &archivers);
    ASSERT_TRUE(read.ok) << Utf16ToFileName(read.failure.path) << " " << read.failure.error;
    const CRootEntry& root = read.root;
    const std::optional<MountEntry> mount = FindMountedVolume(m_dir);
    const std::u16string folderPart = CataloguePathBelow(mount->mountPoint, m_dir);
    EXPECT_EQ(root.GetFolderPart(), folderPart);
    EXPECT_EQ(root.m_childIndex, 0);
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(root.m_fileCount, 5u);

    ASSERT_EQ(root.m_folders.size(), 3u);  // top, \docs, \docs\sample.zip
    const CFileEntry* docs = FindEntry(*root.m_folders[0], u"docs");
    ASSERT_NE(docs, nullptr);
    const CFileArray& docsArray = *root.m_folders[size_t(docs->m_childIndex)];
    EXPECT_EQ(docsArray.m_path, u"\\docs");
    const CFileEntry* zip = FindEntry(docsArray, u"sample.zip");
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->m_attributes, 0x8020);
    EXPECT_EQ(root.m_folders[size_t(zip->m_childIndex)]->m_path, u"\\docs\\sample.zip");
    EXPECT_EQ(root.m_folders[size_t(zip->m_childIndex)]->m_entries.size(), 5u);

    const CFileEntry* link = FindEntry(*root.m_folders[0], u"link.zip");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_attributes & FA_ARCHIVE_LISTED, 0) << "a link is not followed into the archive";
    EXPECT_EQ(link->m_size, std::string("docs/sample.zip").size());
    const CFileEntry* pipe = FindEntry(*root.m_folders[0], u"pipe.zip");
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(pipe->m_childIndex, 0);

    // The name that is not UTF-8 leads back to the same file.
    bool found = false;
    for (const auto& e : docsArray.m_entries) {
        if (e.m_name == u"sample.zip") continue;
        const std::string back = Utf16ToFileName(e.m_name);
        EXPECT_EQ(back, "caf\xE9.txt");
        struct stat st {};
        EXPECT_EQ(::stat((m_dir + "/docs/" + back).c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 5);
        found = true;
    }
    EXPECT_TRUE(found);
}

TEST_F(LocalFileSystemTest, DeepTreesNeedNoDeepStack) {
    std::string path = m_dir;
    constexpr int kDepth = 400;
    for (int i = 0; i < kDepth; ++i) {
        path += "/d";
        ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    }
    std::ofstream(path + "/leaf.txt") << "x";
    RealRead read = ReadReal(m_dir, nullptr);
    ASSERT_TRUE(read.ok) << read.failure.error;
    EXPECT_EQ(read.root.m_folders.size(), size_t(kDepth) + 1);
    EXPECT_EQ(read.root.m_folderCount, uint32_t(kDepth));
    EXPECT_EQ(read.root.m_fileCount, 1u);
    EXPECT_EQ(read.root.m_folders.back()->m_path.size(), size_t(kDepth) * 2);
}

// Runs check in a child process without the privileges of root (if the
// tests run as root), because root reads every folder regardless of its
// permissions. Returns the child's exit status.
int RunUnprivileged(const std::function<bool()>& check) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

TEST_F(LocalFileSystemTest, UnreadableFolders) {
    MakeFile("ok.txt", 1);
    ASSERT_EQ(::mkdir(Path("locked").c_str(), 0755), 0);
    MakeFile("locked/secret.txt", 1);
    ASSERT_EQ(::chmod(Path("locked").c_str(), 0), 0);
    const std::string dir = m_dir;
    EXPECT_EQ(RunUnprivileged([&] {
                  RealRead read = ReadReal(dir, nullptr);
                  if (read.ok) return false;  // a subfolder that cannot be listed fails the read
                  const bool ok = read.failure.error == EACCES && Utf16ToFileName(read.failure.path) == dir + "/locked";
                  if (!ok) std::fprintf(stderr, "failure: %d\n", read.failure.error);
                  return ok;
              }),
              0);
    // The top folder itself unreadable: an empty volume.
    EXPECT_EQ(RunUnprivileged([&] {
                  RealRead read = ReadReal(dir + "/locked", nullptr);
                  return read.ok && read.root.m_childIndex == -1 && read.root.m_folders.empty();
              }),
              0);
}

TEST(OtherFileSystemsTest, MountPointsAreReportedNotEntered) {
    const std::optional<MountEntry> proc = FindMountedVolume("/proc");
    if (!proc || proc->mountPoint != "/proc") GTEST_SKIP() << "/proc is not a mount point here";
    LocalFileSystem fs;
    int error = 0;
    auto listing = fs.OpenFolder("/", error);
    ASSERT_TRUE(listing);
    DirectoryItem item;
    bool sawProc = false;
    while (listing->Next(item) == ListingStatus::Item) {
        if (item.name != "proc") continue;
        sawProc = true;
        EXPECT_EQ(item.kind, ItemKind::Folder);
        EXPECT_TRUE(item.otherFileSystem);
    }
    EXPECT_TRUE(sawProc);
}

}  // namespace
}  // namespace volcatra
