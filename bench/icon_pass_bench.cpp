// The icon pass over a tree of 20,000 files, 2,000 of them executables
// with 200 distinct icons, timed next to the directory phase of the same
// tree in the same run.
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "PeFixture.h"
#include "platform/DirectoryListing.h"
#include "platform/QtIconSource.h"
#include "reading/IconPass.h"
#include "reading/VolumeScan.h"

using namespace volcatra;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 200;
constexpr int kExecutablesPerFolder = 20;
constexpr int kDistinctIcons = 200;

// A 32 x 32 icon whose rows are black or white by the bits of pattern.
std::vector<uint8_t> PatternDib(int pattern, int size) {
    std::vector<uint8_t> dib = testing::MakeIconDib(size, 0xFF000000);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((pattern >> (y % 8)) & 1) testing::PutLE(dib, 40 + 4 * size_t(y * size + x), 0xFFFFFFFF, 4);
    return dib;
}

std::vector<uint8_t> PatternExe(int pattern) {
    const auto large = PatternDib(pattern, 32);
    const auto small = PatternDib(pattern, 16);
    return testing::MakePeFile({
        {3, {{1, large}, {2, small}}},
        {14, {{1, testing::MakeGroupIcon({{32, 32, 1, uint32_t(large.size())}, {16, 32, 2, uint32_t(small.size())}})}}},
    });
}

class QuietMessages : public IMessageService {
public:
    MessageAnswer Show(const std::u16string&, MessageButtons, MessageIcon) override { return MessageAnswer::No; }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto root = std::filesystem::temp_directory_path() / ("icon-bench-" + std::to_string(getpid()));
    std::vector<std::vector<uint8_t>> executables;
    for (int i = 0; i < kDistinctIcons; ++i) executables.push_back(PatternExe(i));
    int made = 0;
    for (int f = 0; f < kFolders; ++f) {
        const auto folder = root / ("folder" + std::to_string(f));
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const bool exe = i < kExecutablesPerFolder;
            const auto name = folder / ((exe ? "app" : "doc") + std::to_string(i) + (exe ? ".exe" : ".txt"));
            std::ofstream out(name, std::ios::binary);
            if (exe) {
                const auto& bytes = executables[size_t(made++ % kDistinctIcons)];
                out.write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
            } else {
                out << "text";
            }
        }
    }

    LocalFileSystem fileSystem;
    CRootEntry volume;
    const std::string path = root.string();
    const auto t0 = Clock::now();
    const bool scanned =
        ReadVolume(volume, ReadServices{fileSystem, nullptr, nullptr}, DRIVE_FIXED, path, path, nullptr);
    const auto t1 = Clock::now();
    PreparedIconImages prepared;
    prepared.hardDisk.large = QImage(32, 32, QImage::Format_ARGB32);
    prepared.hardDisk.large.fill(Qt::gray);
    CQtIconSource source(prepared);
    QuietMessages messages;
    const bool icons = ReadIcons(volume, nullptr, messages, source, path, path);
    const auto t2 = Clock::now();
    std::filesystem::remove_all(root);
    if (!scanned || !icons) {
        std::fprintf(stderr, "read failed\n");
        return 1;
    }
    const double files = double(volume.m_fileCount + volume.m_folderCount);
    const double scanUs = std::chrono::duration<double, std::micro>(t1 - t0).count();
    const double iconUs = std::chrono::duration<double, std::micro>(t2 - t1).count();
    std::printf("entries %.0f, stored icons %zu\n", files, volume.m_icons.GetCount());
    std::printf("directory phase: %8.1f ms  %6.2f us/entry\n", scanUs / 1000, scanUs / files);
    std::printf("icon pass:       %8.1f ms  %6.2f us/entry\n", iconUs / 1000, iconUs / files);
    return 0;
}
