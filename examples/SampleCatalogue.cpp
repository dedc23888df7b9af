#include "SampleCatalogue.h"

namespace volcatra {

namespace {

CFileEntry& Add(CFileArray& array, std::u16string name, uint16_t attributes, uint64_t size, int64_t time,
                int32_t childIndex = 0) {
    auto entry = std::make_unique<CFileEntry>();
    entry->m_name = std::move(name);
    entry->m_attributes = attributes;
    entry->m_size = size;
    entry->m_time = time;
    entry->m_childIndex = childIndex;
    array.m_entries.push_back(std::move(*entry));
    return array.m_entries.back();
}

CFileArray& AddArray(CRootEntry& root, std::u16string path) {
    root.m_folders.push_back(std::make_unique<CFileArray>());
    root.m_folders.back()->m_path = std::move(path);
    return *root.m_folders.back();
}

}  // namespace

RootList MakeWorkedExample() {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"DATA";
    root->m_serialNumber = 0x1234ABCD;
    root->m_driveType = DRIVE_CDROM;
    root->m_usedBytes = 8192;
    root->m_size = 8192;
    root->m_time = 0x4D7C6D00;  // 2011-03-13 07:06:40 UTC
    root->m_folderCount = 1;
    root->m_fileCount = 1;
    root->m_childIndex = 0;
    CFileArray& top = AddArray(*root, u"\\");
    Add(top, u"DOCS", FA_DIRECTORY, 0, 0x4B3D3B00, 1);  // 2010-01-01 00:00:00 UTC
    Add(top, u"A.TXT", FA_ARCHIVE, 1234, 0x4C2BDA80);   // 2010-07-01 00:00:00 UTC
    AddArray(*root, u"\\DOCS\\");
    RootList roots;
    roots.push_back(std::move(root));
    return roots;
}

RootList MakeSampleCatalogue() {
    RootList roots;

    auto photos = std::make_unique<CRootEntry>();
    photos->m_name = u"旅行の写真";
    photos->m_volumeName = u"PHOTO2010";
    photos->m_serialNumber = 0x5A3C9E01;
    photos->m_driveType = DRIVE_CDROM;
    photos->m_usedBytes = 12'582'912;
    photos->m_size = photos->m_usedBytes;
    photos->m_time = 1293192000;  // 2010-12-24 12:00 UTC
    photos->m_comment = u"2010年の旅行。京都と大阪。";
    photos->m_folderCount = 3;
    photos->m_fileCount = 7;
    {
        CFileArray& top = AddArray(*photos, u"\\");
        Add(top, u"京都", FA_DIRECTORY, 0, 1286000000, 1);
        Add(top, u"大阪", FA_DIRECTORY, 0, 1286600000, 3);
        Add(top, u"README.TXT", FA_ARCHIVE | FA_READONLY, 1500, 1286700000);
        Add(top, u"photos.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 3'145'728, 1286800000, 4);
        CFileArray& kyoto = AddArray(*photos, u"\\京都");
        Add(kyoto, u"IMG_0001.JPG", FA_ARCHIVE, 2'345'678, 1286000100);
        Add(kyoto, u"IMG_0002.JPG", FA_ARCHIVE, 2'456'789, 1286000200);
        Add(kyoto, u"動画", FA_DIRECTORY, 0, 1286000300, 2);
        CFileArray& video = AddArray(*photos, u"\\京都\\動画");
        Add(video, u"MOV_0001.MP4", FA_ARCHIVE, 4'567'890, 1286000400);
        CFileArray& osaka = AddArray(*photos, u"\\大阪");
        Add(osaka, u"IMG_0101.JPG", FA_ARCHIVE, 1'987'654, 1286600100);
        CFileArray& zip = AddArray(*photos, u"\\photos.zip");
        Add(zip, u"best/", FA_ARCHIVE_FOLDER, 0, 1286790000);
        Add(zip, u"best/IMG_0001.JPG", 0, 2'345'678, 1286000100);
    }
    roots.push_back(std::move(photos));

    auto backup = std::make_unique<CRootEntry>();
    backup->m_volumeName = u"BACKUP::\\home\\taro";
    backup->m_serialNumber = 0x0BADF00D;
    backup->m_driveType = DRIVE_FIXED;
    backup->m_usedBytes = 128'849'018'880;
    backup->m_size = backup->m_usedBytes;
    backup->m_time = 1700000000;  // 2023-11-14 22:13:20 UTC
    backup->m_folderCount = 2;
    backup->m_fileCount = 2;
    {
        CFileArray& top = AddArray(*backup, u"\\");
        Add(top, u"disk.img", FA_ARCHIVE, 5'000'000'000, 1690000000);
        Add(top, u".cache", FA_DIRECTORY | FA_HIDDEN | FA_SYSTEM, 0, 1695000000, -1);
        Add(top, u"メモ", FA_DIRECTORY, 0, 1699000000, 1);
        CFileArray& notes = AddArray(*backup, u"\\メモ");
        Add(notes, u"買い物.txt", FA_ARCHIVE, 42, 1699000100);
    }
    roots.push_back(std::move(backup));
    return roots;
}

}  // namespace volcatra
