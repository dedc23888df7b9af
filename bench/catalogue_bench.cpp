// Saves and loads a synthetic catalogue of 1,000,000 entries and compares
// the load with reading the same file's bytes into memory (the floor any
// loader has to pay), measured in the same run.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "model/CatalogueFile.h"

using namespace volcatra;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 10'000;
constexpr int kFilesPerFolder = 99;  // plus one folder entry each: 1,000,000 entries

std::unique_ptr<CRootEntry> MakeRoot() {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"BENCH";
    root->m_usedBytes = 123'456'789'012;
    root->m_folders.push_back(std::make_unique<CFileArray>());
    root->m_folders[0]->m_path = u"\\";
    // Ten thousand folders in a chain of 100 top folders with 99 children each.
    for (int f = 0; f < kFolders; ++f) {
        auto array = std::make_unique<CFileArray>();
        array->m_path = u"\\フォルダ" + std::u16string(1, char16_t(u'0' + f % 10)) + u"\\sub";
        for (int i = 0; i < kFilesPerFolder; ++i) {
            auto e = std::make_unique<CFileEntry>();
            e->m_name = u"IMG_" + std::u16string(1, char16_t(u'A' + i % 26)) + u"_写真データ.JPG";
            e->m_attributes = FA_ARCHIVE;
            e->m_size = uint64_t(i) * 104'729 + (i % 50 == 0 ? 5'000'000'000ull : 0);
            e->m_time = 1'300'000'000 + i * 60;
            array->m_entries.push_back(std::move(*e));
        }
        root->m_folders.push_back(std::move(array));
    }
    // One folder entry per array, spread over the arrays so every array is named once.
    for (int f = 0; f < kFolders; ++f) {
        auto e = std::make_unique<CFileEntry>();
        e->m_name = u"folder";
        e->m_attributes = FA_DIRECTORY;
        e->m_childIndex = f + 1;
        root->m_folders[size_t(f == 0 ? 0 : 1 + (f - 1) / 100)]->m_entries.push_back(std::move(*e));
    }
    return root;
}

template <typename F>
double BestSeconds(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string path = "/tmp/volcatra-bench-" + std::to_string(::getpid()) + ".fsr";
    std::unique_ptr<CRootEntry> root = MakeRoot();
    size_t entries = 0;
    for (const auto& a : root->m_folders) entries += a->m_entries.size();

    const int runs = 3;
    const double save = BestSeconds(runs, [&] { SaveCatalogueFile(path, {root.get()}); });
    const double encode = BestSeconds(runs, [&] { (void)WriteCatalogue(std::vector<CRootEntry*>{root.get()}); });
    size_t bytes = 0;
    const double floor = BestSeconds(runs, [&] { bytes = ReadWholeFile(path).size(); });
    size_t loaded = 0;
    const double load = BestSeconds(runs, [&] {
        RootList roots = LoadCatalogueFile(path, HeaderAcceptance::Document);
        loaded = 0;
        for (const auto& a : roots[0]->m_folders) loaded += a->m_entries.size();
    });
    const std::vector<uint8_t> image = ReadWholeFile(path);
    const double decode = BestSeconds(runs, [&] { (void)ReadCatalogue(image, HeaderAcceptance::Document); });
    ::unlink(path.c_str());

    const double mb = double(bytes) / 1e6;
    std::printf("catalogue: %zu entries, %zu arrays, %.1f MB on disk (loaded back %zu entries)\n", entries,
                root->m_folders.size(), mb, loaded);
    std::printf("save (encode + write + fsync): %7.3f s  %10.0f entries/s  %7.1f MB/s\n", save, entries / save,
                mb / save);
    std::printf("encode only:                   %7.3f s  %10.0f entries/s  %7.1f MB/s\n", encode, entries / encode,
                mb / encode);
    std::printf("load (read + decode):          %7.3f s  %10.0f entries/s  %7.1f MB/s\n", load, entries / load,
                mb / load);
    std::printf("decode only (from memory):     %7.3f s  %10.0f entries/s  %7.1f MB/s\n", decode, entries / decode,
                mb / decode);
    std::printf("floor (read file bytes):       %7.3f s  %24.1f MB/s\n", floor, mb / floor);
    std::printf("ratio load / floor: %.1f   ratio save / floor: %.1f\n", load / floor, save / floor);
    return loaded == entries ? 0 : 1;
}
