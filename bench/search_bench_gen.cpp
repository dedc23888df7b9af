// Writes the data of the search benchmark: FILES catalogue files of
// ENTRIES entries each (one volume: a top folder of folders, each folder
// holding files), and names.txt with every entry's name in UTF-8, one per
// line, for the grep reference. Names mix extensions (about one in ten is a
// JPEG in either case), Japanese and ASCII, lengths of 8 to 30 characters.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"

using namespace volcatra;

namespace {

constexpr int kFilesPerFolder = 100;

// A small fixed generator, so every run writes the same data.
struct Random {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(state >> 33);
    }
};

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string MakeName(Random& random, int serial) {
    static const char* const kExtensions[] = {".jpg", ".JPG", ".txt", ".doc", ".png", ".mp3",    ".html",
                                              ".c",   ".h",   ".pdf", ".zip", ".xls", ".wav",    ".jpeg",
                                              ".gif", ".ini", ".exe", ".dll", ".bmp", ".jpg.bak"};
    static const char16_t* const kStems[] = {u"IMG_",  u"DSC",    u"report_", u"写真",  u"議事録_",
                                             u"track", u"notes-", u"データ",  u"setup", u"README"};
    const uint32_t r = random.Next();
    std::u16string name = kStems[r % 10];
    name += Ascii(std::to_string(serial));
    if (r % 7 == 0) name += u"_final_version";
    // Two of the twenty extensions are .jpg/.JPG: one name in ten.
    name += Ascii(kExtensions[(r >> 8) % 20]);
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: search_bench_gen DIR FILES ENTRIES_PER_FILE\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int files = std::atoi(argv[2]);
    const int entries = std::atoi(argv[3]);
    const int folders = entries / (kFilesPerFolder + 1);
    const int topFiles = entries - folders * (kFilesPerFolder + 1);
    std::ofstream names(dir + "/names.txt", std::ios::binary | std::ios::trunc);
    Random random{12345};
    int serial = 0;
    for (int f = 0; f < files; ++f) {
        RootList roots;
        roots.push_back(std::make_unique<CRootEntry>());
        CRootEntry& root = *roots[0];
        root.m_volumeName = u"BENCH" + Ascii(std::to_string(f));
        root.m_serialNumber = 0x12340000u + uint32_t(f);
        root.m_driveType = DRIVE_CDROM;
        root.m_time = 1'300'000'000;
        root.m_folders.push_back(std::make_unique<CFileArray>());
        root.m_folders[0]->m_path = u"\\";
        auto add = [&](CFileArray& array, std::u16string name, uint16_t attributes, int32_t child) {
            auto entry = std::make_unique<CFileEntry>();
            entry->m_name = std::move(name);
            entry->m_attributes = attributes;
            entry->m_childIndex = child;
            entry->m_size = attributes & FA_DIRECTORY ? 0 : random.Next() % 5'000'000;
            entry->m_time = 1'000'000'000 + int64_t(random.Next() % 400'000'000);
            names << Utf16ToFileName(entry->m_name) << '\n';
            array.m_entries.push_back(std::move(*entry));
        };
        for (int d = 0; d < folders; ++d) {
            const std::u16string folder = u"フォルダ" + Ascii(std::to_string(d));
            add(*root.m_folders[0], folder, FA_DIRECTORY, d + 1);
            auto array = std::make_unique<CFileArray>();
            array->m_path = u"\\" + folder;
            root.m_folders.push_back(std::move(array));
        }
        for (int i = 0; i < topFiles; ++i) add(*root.m_folders[0], MakeName(random, ++serial), FA_ARCHIVE, 0);
        for (int d = 0; d < folders; ++d)
            for (int i = 0; i < kFilesPerFolder; ++i)
                add(*root.m_folders[size_t(d) + 1], MakeName(random, ++serial), FA_ARCHIVE, 0);
        char name[32];
        std::snprintf(name, sizeof(name), "/cat%02d.fsr", f);
        SaveCatalogueFile(dir + name, {&root});
    }
    names.close();
    return names ? 0 : 1;
}
