// The data and the save timing of the model benchmark (model_bench.sh).
//
//   model_bench_tool make OUT.fsr ENTRIES BIG_FOLDER
//     writes one volume of ENTRIES entries: a folder of BIG_FOLDER files
//     (0 for none) and the rest in folders of 100 entries each; prints the
//     number of name characters of all entries.
//   model_bench_tool save IN.fsr RUNS
//     loads IN.fsr once, then prints the best of RUNS saves of it and the
//     best of RUNS writes of the same bytes the way a save writes them
//     (temporary file, fsync, rename), in seconds.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/CatalogueFile.h"

using namespace volcatra;

namespace {

constexpr size_t kPerFolder = 100;

// Names of 14.5 characters on average, half of them with Japanese.
std::u16string FileName(size_t i) {
    static const char16_t* const kStems[] = {u"IMG_", u"写真データ_", u"report-", u"議事録"};
    std::u16string name = kStems[i % 4];
    for (char c : std::to_string(i % 1'000'000)) name.push_back(char16_t(c));
    name += (i % 3 == 0) ? u".jpeg" : u".JPG";
    return name;
}

size_t Make(const std::string& out, size_t entries, size_t big) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"MODEL_BENCH";
    root->m_usedBytes = 987'654'321'000;
    root->m_driveType = DRIVE_FIXED;
    root->m_folders.push_back(std::make_unique<CFileArray>());
    root->m_folders[0]->m_path = u"\\";
    size_t characters = 0;
    size_t made = 0;
    auto addFile = [&](CFileArray& array) {
        auto e = std::make_unique<CFileEntry>();
        e->m_name = FileName(made);
        e->m_attributes = FA_ARCHIVE;
        e->m_size = made * 7919 % 50'000'000 + (made % 97 == 0 ? 5'000'000'000ull : 0);
        e->m_time = int64_t(1'300'000'000 + made * 37);
        characters += e->m_name.size();
        array.m_entries.push_back(std::move(*e));
        ++made;
    };
    auto addFolder = [&](CFileArray& parent, const std::u16string& name) -> CFileArray& {
        auto e = std::make_unique<CFileEntry>();
        e->m_name = name;
        e->m_attributes = FA_DIRECTORY;
        e->m_time = 1'300'000'000;
        e->m_childIndex = int32_t(root->m_folders.size());
        characters += name.size();
        auto array = std::make_unique<CFileArray>();
        array->m_path = (parent.m_path == u"\\" ? u"" : parent.m_path) + u"\\" + name;
        parent.m_entries.push_back(std::move(*e));
        ++made;
        root->m_folders.push_back(std::move(array));
        return *root->m_folders.back();
    };
    if (big) {
        CFileArray& folder = addFolder(*root->m_folders[0], u"大きなフォルダ");
        for (size_t i = 0; i < big && made < entries; ++i) addFile(folder);
    }
    // Groups of 100 folders under the top, each folder holding up to 99 files.
    for (size_t group = 0; made < entries; ++group) {
        std::u16string groupName = u"group";
        for (char c : std::to_string(group)) groupName.push_back(char16_t(c));
        const size_t groupIndex = root->m_folders.size();
        addFolder(*root->m_folders[0], groupName);
        for (size_t f = 0; f < kPerFolder && made < entries; ++f) {
            std::u16string name = u"folder";
            for (char c : std::to_string(f)) name.push_back(char16_t(c));
            CFileArray& folder = addFolder(*root->m_folders[groupIndex], name);
            for (size_t i = 0; i + 1 < kPerFolder && made < entries; ++i) addFile(folder);
        }
    }
    SaveCatalogueFile(out, {root.get()});
    return characters;
}

template <typename F>
double Best(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 5) {
        std::printf("%zu\n", Make(argv[2], std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[4], nullptr, 10)));
        return 0;
    }
    if (mode == "save" && argc == 4) {
        const std::string in = argv[2];
        const int runs = std::max(1, std::atoi(argv[3]));
        RootList roots = LoadCatalogueFile(in, HeaderAcceptance::Document);
        std::vector<CRootEntry*> list;
        for (auto& r : roots) list.push_back(r.get());
        const std::string out = in + ".saved.fsr";
        const double save = Best(runs, [&] { SaveCatalogueFile(out, list); });
        const std::vector<uint8_t> bytes = ReadWholeFile(out);
        const double write = Best(runs, [&] { WriteFileReplacing(out, bytes); });
        ::unlink(out.c_str());
        std::printf("%.4f %.4f\n", save, write);
        return 0;
    }
    std::fprintf(stderr, "usage: model_bench_tool make OUT ENTRIES BIG_FOLDER | save IN RUNS\n");
    return 1;
}
