// Entries, arrays and roots: display texts, document attachment, the tree
// walk over sound and damaged trees, and the run-time class records.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "model/FileEntry.h"

namespace volcatra {
namespace {

CFileEntry& AddEntry(CFileArray& array, std::u16string name, uint16_t attributes, int32_t childIndex = 0) {
    auto entry = std::make_unique<CFileEntry>();
    entry->m_name = std::move(name);
    entry->m_attributes = attributes;
    entry->m_childIndex = childIndex;
    array.m_entries.push_back(std::move(*entry));
    return array.m_entries.back();
}

CFileArray& AddArray(CRootEntry& root, std::u16string path) {
    root.m_folders.push_back(std::make_unique<CFileArray>());
    root.m_folders.back()->m_path = std::move(path);
    return *root.m_folders.back();
}

// One visit of the walk, as "name@depth in path".
std::vector<std::string> Walk(const CRootEntry& root) {
    std::vector<std::string> visits;
    WalkTree(root, [&](const CFileEntry& entry, const CFileArray& array, int depth) {
        std::string name(entry.m_name.begin(), entry.m_name.end());
        std::string path(array.m_path.begin(), array.m_path.end());
        visits.push_back(name + "@" + std::to_string(depth) + " in " + path);
    });
    return visits;
}

// --- Display texts ------------------------------------------------------

TEST(RootEntryTest, DisplayName) {
    struct Case {
        std::u16string name;
        std::u16string volumeName;
        uint32_t driveType;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"旅行の写真", u"PHOTO2010", DRIVE_CDROM, u"旅行の写真"},
        {u"名前", u"", DRIVE_CDROM, u"名前"},
        {u"", u"DATA::\\photos\\2010", DRIVE_FIXED, u"DATA::\\photos\\2010"},
        {u"", u"DATA", DRIVE_FIXED, u"DATA"},
        {u"", u"", DRIVE_CDROM, u"CD-ROM"},
        {u"", u"", DRIVE_FIXED, u"ディスク"},
        {u"", u"", DRIVE_REMOVABLE, u"ディスク"},
        {u"", u"", DRIVE_REMOTE, u"ディスク"},
        {u"", u"", 0, u"ディスク"},
    };
    for (const Case& c : cases) {
        CRootEntry root;
        root.m_name = c.name;
        root.m_volumeName = c.volumeName;
        root.m_driveType = c.driveType;
        EXPECT_EQ(root.GetDisplayName(), c.expected) << "drive type " << c.driveType;
    }
}

TEST(RootEntryTest, ClearedNameShowsTheDefaultAgain) {
    CRootEntry root;
    root.m_driveType = DRIVE_CDROM;
    root.m_name = u"映画";
    ASSERT_EQ(root.GetDisplayName(), u"映画");
    root.m_name.clear();
    EXPECT_EQ(root.GetDisplayName(), u"CD-ROM");

    root.m_volumeName = u"MOVIES";
    root.m_name = u"映画";
    root.m_name.clear();
    EXPECT_EQ(root.GetDisplayName(), u"MOVIES");
}

TEST(RootEntryTest, LabelAndFolderParts) {
    struct Case {
        std::u16string volumeName;
        std::u16string label;
        std::u16string folder;
    };
    const Case cases[] = {
        {u"DATA", u"DATA", u""}, {u"DATA::\\photos\\2010", u"DATA", u"\\photos\\2010"},
        {u"", u"", u""},         {u"::\\", u"", u"\\"},
        {u"A:B", u"A:B", u""},  // a lone colon is part of the label
    };
    for (const Case& c : cases) {
        CRootEntry root;
        root.m_volumeName = c.volumeName;
        EXPECT_EQ(root.GetLabelPart(), c.label);
        EXPECT_EQ(root.GetFolderPart(), c.folder);
    }
}

TEST(FileEntryTest, SizeText) {
    struct Case {
        uint64_t size;
        bool inBytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, false, u"0KB"},
        {1, false, u"1KB"},
        {1023, false, u"1KB"},
        {1024, false, u"1KB"},
        {1025, false, u"2KB"},
        {1'048'577, false, u"1,025KB"},
        {5'000'000'000, false, u"4,882,813KB"},
        {0, true, u"0"},
        {1'048'577, true, u"1,048,577"},
        {5'000'000'000, true, u"5,000,000,000"},
    };
    for (const Case& c : cases) {
        CFileEntry entry;
        entry.m_size = c.size;
        EXPECT_EQ(entry.GetSizeText(c.inBytes), c.expected) << c.size << (c.inBytes ? " bytes" : " KB");
    }
}

TEST(FileEntryTest, SizeTextOfTheLargestSizeDoesNotCrash) {
    CFileEntry entry;
    entry.m_size = std::numeric_limits<uint64_t>::max();
    const std::u16string kilobytes = entry.GetSizeText(false);
    ASSERT_GE(kilobytes.size(), 2u);
    EXPECT_EQ(kilobytes.substr(kilobytes.size() - 2), u"KB");
    EXPECT_FALSE(entry.GetSizeText(true).empty());
}

TEST(FormatWithSeparatorsTest, Values) {
    struct Case {
        int64_t value;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, u"0"},
        {999, u"999"},
        {1000, u"1,000"},
        {1'234'567, u"1,234,567"},
        {-1234, u"-1,234"},
        {-999, u"-999"},
        {std::numeric_limits<int64_t>::max(), u"9,223,372,036,854,775,807"},
        {std::numeric_limits<int64_t>::min(), u"-9,223,372,036,854,775,808"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatWithSeparators(c.value), c.expected) << c.value;
}

TEST(RootEntryTest, UsedSizeText) {
    struct Case {
        uint64_t usedBytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, u""},
        {511, u""},
        {512, u"1KB"},
        {1535, u"1KB"},
        {1536, u"2KB"},
        {3'145'727, u"3,072KB"},
        {3'145'728, u"3MB"},
        {128'849'018'880, u"122,880MB"},
    };
    for (const Case& c : cases) {
        CRootEntry root;
        root.m_usedBytes = c.usedBytes;
        EXPECT_EQ(root.GetUsedSizeText(), c.expected) << c.usedBytes;
    }
}

TEST(RootEntryTest, SerialText) {
    struct Case {
        uint32_t serial;
        std::u16string expected;
    };
    const Case cases[] = {
        {0x1234ABCD, u"1234-ABCD"},
        {0x0000000F, u"0000-000F"},
        {0xFFFFFFFF, u"FFFF-FFFF"},
    };
    for (const Case& c : cases) {
        CRootEntry root;
        root.m_serialNumber = c.serial;
        EXPECT_EQ(root.GetSerialText(), c.expected);
    }
}

// --- Attaching to a document --------------------------------------------

TEST(RootEntryTest, AttachStampsEveryEntryAndSizesTheMapsOnce) {
    CRootEntry root;
    root.m_icons.m_images.assign(3, std::vector<uint8_t>(kStoredImageSize));
    CFileArray& top = AddArray(root, u"\\");
    AddEntry(top, u"DIR", FA_DIRECTORY, 1).m_imageIndex = 7;
    AddEntry(top, u"a.txt", FA_ARCHIVE).m_imageIndex = 8;
    AddEntry(AddArray(root, u"\\DIR"), u"b.txt", FA_ARCHIVE).m_imageIndex = 9;

    auto expectStamped = [&](uint16_t position) {
        EXPECT_EQ(root.m_rootStamp, position);
        for (const auto& array : root.m_folders)
            for (const auto& entry : array->m_entries) {
                EXPECT_EQ(entry.m_rootStamp, position);
                EXPECT_EQ(entry.m_imageIndex, 0);
            }
    };

    ASSERT_TRUE(root.AttachToDocument(4, 10));
    EXPECT_TRUE(root.m_imageListsReady);
    EXPECT_EQ(root.m_sysImageMap, std::vector<uint16_t>(10, 0));
    EXPECT_EQ(root.m_storeImageMap, std::vector<uint16_t>(3, 0));
    expectStamped(4);

    // The views fill the maps in; a second attachment (the document's roots
    // renumbered) keeps them and only restamps.
    root.m_sysImageMap[2] = 11;
    root.m_storeImageMap[1] = 12;
    root.m_folders[1]->m_entries[0].m_imageIndex = 5;
    root.m_icons.m_images.emplace_back(kStoredImageSize);
    ASSERT_TRUE(root.AttachToDocument(1, 20));
    ASSERT_EQ(root.m_sysImageMap.size(), 10u);
    ASSERT_EQ(root.m_storeImageMap.size(), 3u);
    EXPECT_EQ(root.m_sysImageMap[2], 11);
    EXPECT_EQ(root.m_storeImageMap[1], 12);
    expectStamped(1);
}

// --- Tree walk ----------------------------------------------------------

TEST(WalkTreeTest, PreOrderWithContentsRightAfterTheirEntry) {
    CRootEntry root;
    CFileArray& top = AddArray(root, u"\\");
    AddEntry(top, u"A", FA_DIRECTORY, 1);
    AddEntry(top, u"x.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 3);
    AddEntry(top, u"top.txt", FA_ARCHIVE);
    CFileArray& a = AddArray(root, u"\\A");
    AddEntry(a, u"B", FA_DIRECTORY, 2);
    AddEntry(a, u"a.txt", FA_ARCHIVE);
    AddEntry(AddArray(root, u"\\A\\B"), u"b.txt", FA_ARCHIVE);
    CFileArray& zip = AddArray(root, u"\\x.zip");
    AddEntry(zip, u"dir/", FA_ARCHIVE_FOLDER);
    AddEntry(zip, u"dir/m.txt", 0);

    const std::vector<std::string> expected = {
        "A@0 in \\",     "B@1 in \\A",        "b.txt@2 in \\A\\B",      "a.txt@1 in \\A",
        "x.zip@0 in \\", "dir/@1 in \\x.zip", "dir/m.txt@1 in \\x.zip", "top.txt@0 in \\",
    };
    EXPECT_EQ(Walk(root), expected);
}

TEST(WalkTreeTest, EmptyRootAndEmptyFolders) {
    CRootEntry root;
    EXPECT_TRUE(Walk(root).empty());

    AddEntry(AddArray(root, u"\\"), u"EMPTY", FA_DIRECTORY, 1);
    AddArray(root, u"\\EMPTY");
    EXPECT_EQ(Walk(root), std::vector<std::string>{"EMPTY@0 in \\"});
}

TEST(WalkTreeTest, FollowsOnlyEntriesThatHaveContents) {
    // The top holds one entry of the case; arrays 1 and 2 exist so that a
    // wrongly followed index has something to show.
    struct Case {
        const char* what;
        uint16_t attributes;
        int32_t childIndex;
        bool followed;
    };
    const Case cases[] = {
        {"folder", FA_DIRECTORY, 2, true},
        {"listed archive", FA_ARCHIVE | FA_ARCHIVE_LISTED, 2, true},
        {"archive not listed, index 0", FA_ARCHIVE, 0, false},
        {"archive not listed, index of a later array", FA_ARCHIVE, 2, false},
        {"archive member folder", FA_ARCHIVE_FOLDER, 2, false},
        {"system folder", FA_DIRECTORY | FA_HIDDEN | FA_SYSTEM, -1, false},
        {"index past the end", FA_DIRECTORY, 3, false},
        {"large index", FA_DIRECTORY, std::numeric_limits<int32_t>::max(), false},
        {"negative index", FA_DIRECTORY, std::numeric_limits<int32_t>::min(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRootEntry root;
        AddEntry(AddArray(root, u"\\"), u"E", c.attributes, c.childIndex);
        AddEntry(AddArray(root, u"\\one"), u"one", 0);
        AddEntry(AddArray(root, u"\\two"), u"two", 0);
        std::vector<std::string> expected{"E@0 in \\"};
        if (c.followed) expected.push_back("two@1 in \\two");
        EXPECT_EQ(Walk(root), expected);
        EXPECT_EQ(root.ChildArray(root.m_folders[0]->m_entries[0]) != nullptr, c.followed);
    }
}

TEST(WalkTreeTest, DamagedTreesEndAndEnterEachArrayOnce) {
    struct Case {
        const char* what;
        // Child indices of the folders of array 0 and of array 1.
        std::vector<int32_t> top;
        std::vector<int32_t> second;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"index back to the top", {1}, {0}, {"t0@0 in \\1", "s0@1 in \\2"}},
        {"index to its own array", {1}, {1}, {"t0@0 in \\1", "s0@1 in \\2"}},
        {"top names itself", {0}, {}, {"t0@0 in \\1"}},
        {"index back to an array not yet entered", {2}, {}, {"t0@0 in \\1", "u0@1 in \\3"}},
        {"two folders name one array", {1, 1}, {}, {"t0@0 in \\1", "s0@1 in \\2", "t1@0 in \\1"}},
        {"two arrays name each other",
         {1, 2},
         {2, 1},
         {"t0@0 in \\1", "s0@1 in \\2", "u0@2 in \\3", "s1@1 in \\2", "t1@0 in \\1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRootEntry root;
        CFileArray& top = AddArray(root, u"\\1");
        for (size_t i = 0; i < c.top.size(); ++i)
            AddEntry(top, u"t" + std::u16string(1, char16_t(u'0' + i)), FA_DIRECTORY, c.top[i]);
        CFileArray& second = AddArray(root, u"\\2");
        if (c.second.empty()) AddEntry(second, u"s0", FA_ARCHIVE);
        for (size_t i = 0; i < c.second.size(); ++i)
            AddEntry(second, u"s" + std::u16string(1, char16_t(u'0' + i)), FA_DIRECTORY, c.second[i]);
        // Array 2, when reached, names array 1 again: refused.
        CFileArray& third = AddArray(root, u"\\3");
        AddEntry(third, u"u0", FA_DIRECTORY, 1);
        EXPECT_EQ(Walk(root), c.expected);
    }
}

// --- Run-time classes ---------------------------------------------------

TEST(RuntimeClassTest, FromNameAndFactory) {
    for (const CRuntimeClass* cls : {&CFileEntry::s_class, &CFileArray::s_class, &CRootEntry::s_class}) {
        SCOPED_TRACE(cls->m_className);
        EXPECT_EQ(CRuntimeClass::FromName(cls->m_className), cls);
        EXPECT_EQ(cls->m_schema, 1);
        const std::unique_ptr<CObjectBase> object = cls->m_createObject();
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetRuntimeClass(), cls);
    }
    EXPECT_NE(dynamic_cast<CRootEntry*>(CRootEntry::s_class.m_createObject().get()), nullptr);
    EXPECT_EQ(dynamic_cast<CRootEntry*>(CFileEntry::s_class.m_createObject().get()), nullptr);
    EXPECT_NE(dynamic_cast<CFileArray*>(CFileArray::s_class.m_createObject().get()), nullptr);

    for (const char* name : {"", "CObject", "cfileentry", "CFileEntry ", "CFileEntryX", "CRoot"})
        EXPECT_EQ(CRuntimeClass::FromName(name), nullptr) << '"' << name << '"';
    // The name is compared by its length, not up to a zero.
    EXPECT_EQ(CRuntimeClass::FromName(std::string_view("CFileArray\0", 11)), nullptr);
}

}  // namespace
}  // namespace volcatra
