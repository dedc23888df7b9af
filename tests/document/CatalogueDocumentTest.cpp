// The catalogue document: new and open, save and save-as with the save
// dialog's rules, the safe save, the save question, roots and their picture
// keys, matching a read medium, and adding or replacing a read volume.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "DocumentFakes.h"
#include "SampleCatalogue.h"

namespace volcatra {
namespace {

using test::CatalogueBytes;
using test::DocumentRig;
using test::IconImage;
using test::MakeRoot;
using test::Names;
using test::ScratchFolder;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void SaveRoots(const std::string& path, const RootList& roots) {
    std::vector<CRootEntry*> plain;
    for (const auto& root : roots) plain.push_back(root.get());
    SaveCatalogueFile(path, plain);
}

std::u16string U16(const std::string& path) {
    return std::u16string(path.begin(), path.end());
}

// The user types a name and picks a file type, answering the listing
// warning through the scripted messages.
std::function<bool(CFileSaveDialog&)> Choose(const std::string& path, int typeIndex) {
    return [=](CFileSaveDialog& dialog) { return dialog.Confirm(U16(path), typeIndex); };
}

// --- New documents -------------------------------------------------------------

TEST(CatalogueDocument, UntitledNamesCountOnlyDocumentsThatStand) {
    DocumentRig rig;  // its document took Medium1
    EXPECT_EQ(rig.Doc().GetTitle(), u"Medium1");
    EXPECT_FALSE(rig.Doc().IsModified());

    CatalogueServices services;
    services.m_messages = &rig.m_messages;
    CFSRecDoc second(services);
    EXPECT_TRUE(rig.m_kind.InitNewDocument(second));
    EXPECT_EQ(second.GetTitle(), u"Medium2");

    // A new catalogue whose read does not complete does not stand and does
    // not use up its number.
    int reads = 0;
    services.m_readIntoNewDocument = [&](CFSRecDoc& doc) {
        ++reads;
        EXPECT_EQ(doc.GetTitle(), u"Medium3");
        return false;
    };
    CFSRecDoc failing(services);
    EXPECT_FALSE(rig.m_kind.InitNewDocument(failing));
    services.m_readIntoNewDocument = [&](CFSRecDoc& doc) {
        ++reads;
        return doc.AppendRoot(MakeRoot(u"NEW")) != nullptr;
    };
    CFSRecDoc reading(services);
    EXPECT_TRUE(rig.m_kind.InitNewDocument(reading));
    EXPECT_EQ(reading.GetTitle(), u"Medium3");
    EXPECT_EQ(reads, 2);
}

TEST(CatalogueDocument, PreparePicturesAddsTheSevenFixedPicturesOrFails) {
    DocumentRig rig;
    const std::vector<FixedPicture> expected{
        FixedPicture::OpenFolder, FixedPicture::ClosedFolder, FixedPicture::Catalogue,  FixedPicture::OpticalDisc,
        FixedPicture::FloppyDisk, FixedPicture::HardDisk,     FixedPicture::Transparent};
    EXPECT_EQ(rig.m_pictures.m_fixed, expected);
    EXPECT_EQ(rig.Doc().IconKeys(), std::vector<uint32_t>(7, kNoPictureKey));

    // Any fixed picture that cannot be obtained makes new (and open) fail.
    rig.m_pictures.m_failFixedAt = int(FixedPicture::Transparent);
    EXPECT_FALSE(rig.Doc().OnNewDocument());
    ScratchFolder dir;
    SaveRoots(dir.Path("a.fsr"), MakeWorkedExample());
    EXPECT_FALSE(rig.Doc().OnOpenDocument(dir.Path("a.fsr")));
    EXPECT_TRUE(rig.m_messages.ShownBoxes().empty());  // no message of the document's own
}

// --- Opening -------------------------------------------------------------------

TEST(CatalogueDocument, OpenLoadsAttachesAndNamesTheDocument) {
    ScratchFolder dir;
    const std::string path = dir.Path("photos.fsr");
    SaveRoots(path, MakeSampleCatalogue());
    DocumentRig rig;
    rig.Add(MakeRoot(u"OLD"));
    rig.Doc().SetModifiedFlag();
    ASSERT_TRUE(CDocumentKind::OpenDocumentFile(rig.Doc(), path));
    const CFSRecDoc& doc = rig.Doc();
    ASSERT_EQ(doc.Roots().size(), 2u);
    for (size_t i = 0; i < doc.Roots().size(); ++i) {
        EXPECT_EQ(size_t(doc.Roots()[i]->m_rootStamp), i);
        EXPECT_TRUE(doc.Roots()[i]->m_imageListsReady);
        EXPECT_EQ(doc.Roots()[i]->m_sysImageMap.size(), rig.m_pictures.m_systemImages);
    }
    EXPECT_EQ(doc.GetFileName(), u"photos.fsr");
    EXPECT_EQ(doc.GetTitle(), u"photos.fsr");
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(rig.m_recentFiles, std::vector<std::string>{path});
    EXPECT_EQ(CatalogueBytes(doc), WriteCatalogue(MakeSampleCatalogue()));
}

TEST(CatalogueDocument, OpenFailuresAreReportedInTheSystemsWords) {
    ScratchFolder dir;
    WriteBytes(dir.Path("listing.csv"), {0xFF, 0xFE, 'a', 0});
    std::vector<uint8_t> general = WriteCatalogue(MakeWorkedExample());
    general.resize(82);  // header, count and the root's tag; then a wide text far too long
    for (uint8_t b : {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0})
        general.push_back(b);
    WriteBytes(dir.Path("general.fsr"), general);
    std::filesystem::create_directory(dir.Path("folder.fsr"));

    struct Case {
        std::string name;
        std::u16string text;
        CatalogueFailure kind;
    };
    const Case cases[] = {
        {"missing.fsr", U16(dir.Path("missing.fsr")) + u" が見つかりませんでした。", CatalogueFailure::File},
        {"folder.fsr", U16(dir.Path("folder.fsr")) + u" に正しくないパスが含まれています。", CatalogueFailure::File},
        {"listing.csv", u"予期しないファイル形式です。", CatalogueFailure::Format},
        {"general.fsr", u"ドキュメントを開くことに失敗しました。", CatalogueFailure::General},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentRig rig;
        EXPECT_FALSE(CDocumentKind::OpenDocumentFile(rig.Doc(), dir.Path(c.name)));
        ASSERT_EQ(rig.m_messages.ShownBoxes().size(), 1u);
        EXPECT_EQ(rig.m_messages.ShownBoxes()[0].text, c.text);
        EXPECT_EQ(rig.m_messages.ShownBoxes()[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(rig.Doc().LastFailure(), c.kind);
        EXPECT_TRUE(rig.m_recentFiles.empty());
    }
}

// --- Saving --------------------------------------------------------------------

TEST(CatalogueDocument, FirstSaveProposesTheTitleWithTheExtension) {
    struct Case {
        std::u16string title;
        std::u16string proposed;
    };
    const Case cases[] = {
        {u"Medium1", u"Medium1.fsr"},
        {u"a:b", u"a.fsr"},
        {u"x/y\\z", u"x.fsr"},
        {u"dir\\name:x", u"dir.fsr"},
    };
    for (const Case& c : cases) {
        DocumentRig rig;
        rig.Doc().SetTitle(c.title);
        EXPECT_FALSE(rig.Doc().DoFileSave());  // the user cancels
        EXPECT_EQ(rig.m_dialog.m_shownName, c.proposed);
        EXPECT_EQ(rig.m_dialog.m_shownTitle, u"名前を付けて保存");
        EXPECT_EQ(rig.m_dialog.m_shownType, 1);
        EXPECT_EQ(rig.Doc().GetTitle(), c.title);
        EXPECT_TRUE(rig.m_view.m_hints.empty());
    }
}

TEST(CatalogueDocument, SaveAsWritesTheCatalogueAndRenamesTheDocument) {
    ScratchFolder dir;
    DocumentRig rig;
    rig.Add(MakeRoot(u"DATA"));
    rig.Doc().SetModifiedFlag();
    const std::string path = dir.Path("cat.fsr");
    rig.m_dialog.m_user = Choose(path, 1);
    ASSERT_TRUE(rig.Doc().DoFileSave());
    EXPECT_EQ(ReadWholeFile(path), CatalogueBytes(rig.Doc()));
    EXPECT_EQ(rig.Doc().GetPathName(), path);
    EXPECT_EQ(rig.Doc().GetTitle(), u"cat.fsr");
    EXPECT_FALSE(rig.Doc().IsModified());
    EXPECT_EQ(rig.m_recentFiles, std::vector<std::string>{path});
    ASSERT_EQ(rig.m_view.m_hints.size(), 1u);
    EXPECT_EQ(rig.m_view.m_hints[0], std::make_pair(HINT_RELABEL, static_cast<CObjectBase*>(nullptr)));

    // A plain save of a file that is still there and writable needs no dialog.
    rig.Add(MakeRoot(u"MORE"));
    rig.Doc().SetModifiedFlag();
    ASSERT_TRUE(rig.Doc().DoFileSave());
    EXPECT_EQ(rig.m_dialog.m_runs, 1);
    EXPECT_EQ(ReadWholeFile(path), CatalogueBytes(rig.Doc()));
    EXPECT_EQ(dir.Listing(), std::vector<std::string>{"cat.fsr"});
}

TEST(CatalogueDocument, PlainSaveOfAReadOnlyOrVanishedFileAsksForAName) {
    ScratchFolder dir;
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly);
        const std::string path = dir.Path(readOnly ? "ro.fsr" : "gone.fsr");
        SaveRoots(path, MakeWorkedExample());
        DocumentRig rig;
        ASSERT_TRUE(CDocumentKind::OpenDocumentFile(rig.Doc(), path));
        if (readOnly)
            ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        else
            ASSERT_EQ(::unlink(path.c_str()), 0);
        EXPECT_FALSE(rig.Doc().DoFileSave());
        EXPECT_EQ(rig.m_dialog.m_runs, 1);
        EXPECT_EQ(rig.m_dialog.m_shownName, U16(path));  // the path itself is proposed
    }
}

TEST(CatalogueDocument, SaveAsListingWarnsAndKeepsWritingTheListing) {
    ScratchFolder dir;
    DocumentRig rig;
    rig.Add(MakeRoot(u"DATA"));
    rig.Doc().SetModifiedFlag();
    const std::string path = dir.Path("list.csv");
    // The warning's Cancel keeps the dialog open; the user then confirms.
    rig.m_messages.Answer({MessageAnswer::Cancel, MessageAnswer::Ok});
    bool keptOpen = false;
    rig.m_dialog.m_user = [&](CFileSaveDialog& dialog) {
        keptOpen = !dialog.Confirm(U16(path), 2);
        return dialog.Confirm(U16(path), 2);
    };
    ASSERT_TRUE(rig.Doc().DoFileSave());
    EXPECT_TRUE(keptOpen);
    ASSERT_EQ(rig.m_messages.ShownBoxes().size(), 2u);
    EXPECT_EQ(rig.m_messages.ShownBoxes()[0].text,
              u"この形式で保存したファイルは、あとで開くことができません。\nこの形式のまま保存してよろしいですか？");
    EXPECT_EQ(rig.m_messages.ShownBoxes()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(rig.Doc().GetSaveFormat(), SAVE_CSV);
    EXPECT_EQ(rig.Doc().GetTitle(), u"list.csv");
    EXPECT_FALSE(rig.Doc().IsModified());
    const std::vector<uint8_t> written = ReadWholeFile(path);
    ASSERT_GE(written.size(), 3u);
    EXPECT_EQ(written[0], 0xFF);
    EXPECT_EQ(written[2], '1');  // the listing writer was asked for format 1

    // A later plain save writes the listing again, without a dialog.
    rig.Doc().SetModifiedFlag();
    ASSERT_TRUE(rig.Doc().DoFileSave());
    EXPECT_EQ(rig.m_listingsWritten, 2);
    EXPECT_EQ(rig.m_dialog.m_runs, 1);
    // The next save-as preselects the listing's type.
    rig.m_dialog.m_user = nullptr;
    EXPECT_FALSE(rig.Doc().DoSave(std::string(), true));
    EXPECT_EQ(rig.m_dialog.m_shownType, 2);
}

TEST(CatalogueDocument, SaveFormatFollowsTheChosenType) {
    struct Case {
        int type;
        int format;
        bool warned;
    };
    const Case cases[] = {{1, SAVE_CATALOGUE, false},
                          {2, SAVE_CSV, true},
                          {3, SAVE_PRN, true},
                          {4, SAVE_CATALOGUE, false},
                          {0, SAVE_CATALOGUE, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ScratchFolder dir;
        DocumentRig rig;
        rig.Add(MakeRoot(u"DATA"));
        if (c.warned) rig.m_messages.Answer({MessageAnswer::Ok});
        const std::string path = dir.Path("out.txt");
        rig.m_dialog.m_user = Choose(path, c.type);
        ASSERT_TRUE(rig.Doc().DoSave(std::string(), true));
        EXPECT_EQ(rig.Doc().GetSaveFormat(), c.format);
        EXPECT_EQ(rig.m_messages.ShownBoxes().size(), c.warned ? 1u : 0u);
        // The all-files type writes a catalogue file whatever the name.
        if (c.format == SAVE_CATALOGUE)
            EXPECT_EQ(ReadWholeFile(path), CatalogueBytes(rig.Doc()));
        else
            EXPECT_EQ(rig.m_listingsWritten, 1);
    }
}

TEST(CatalogueDocument, SavesAndOpensRunAsLongWork) {
    struct Case {
        int type;
        const char* file;
        bool showAtOnce;  // listings take long
    };
    const Case cases[] = {{1, "c.fsr", false}, {2, "c.csv", true}, {3, "c.prn", true}, {4, "c.txt", false}};
    ScratchFolder dir;
    DocumentRig rig;
    rig.Add(MakeRoot(u"DATA"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.showAtOnce) rig.m_messages.Answer({MessageAnswer::Ok});
        rig.m_dialog.m_user = Choose(dir.Path(c.file), c.type);
        ASSERT_TRUE(rig.Doc().DoSave(std::string(), true));
        ASSERT_FALSE(rig.m_longWork.m_calls.empty());
        EXPECT_EQ(rig.m_longWork.m_calls.back().text, U16(c.file) + u" を保存しています...");
        EXPECT_EQ(rig.m_longWork.m_calls.back().showAtOnce, c.showAtOnce);
    }
    EXPECT_EQ(rig.m_longWork.m_calls.size(), 4u);
    DocumentRig opened;
    ASSERT_TRUE(CDocumentKind::OpenDocumentFile(opened.Doc(), dir.Path("c.fsr")));
    ASSERT_EQ(opened.m_longWork.m_calls.size(), 1u);
    EXPECT_EQ(opened.m_longWork.m_calls[0].text, u"c.fsr を開いています...");
    EXPECT_FALSE(opened.m_longWork.m_calls[0].showAtOnce);
    EXPECT_EQ(opened.Doc().Roots().size(), 1u);
}

TEST(CatalogueDocument, FailedSaveAsKeepsTheDocumentAndItsFormat) {
    ScratchFolder dir;
    const std::string path = dir.Path("cat.fsr");
    SaveRoots(path, MakeWorkedExample());
    const std::vector<uint8_t> original = ReadWholeFile(path);
    DocumentRig rig;
    ASSERT_TRUE(CDocumentKind::OpenDocumentFile(rig.Doc(), path));
    rig.Add(MakeRoot(u"NEW"));
    rig.Doc().SetModifiedFlag();
    rig.m_view.m_hints.clear();

    // Save-as of a listing into a folder that does not exist fails.
    const std::string bad = dir.Path("no/such/folder/list.csv");
    rig.m_messages.Answer({MessageAnswer::Ok});
    rig.m_dialog.m_user = Choose(bad, 2);
    EXPECT_FALSE(rig.Doc().DoSave(std::string(), true));
    ASSERT_FALSE(rig.m_messages.ShownBoxes().empty());
    EXPECT_EQ(rig.m_messages.ShownBoxes().back().text, U16(bad) + u" が見つかりませんでした。");
    EXPECT_EQ(rig.Doc().GetPathName(), path);
    EXPECT_EQ(rig.Doc().GetTitle(), u"cat.fsr");
    EXPECT_TRUE(rig.Doc().IsModified());
    // The document still belongs to its catalogue file: a plain save must
    // not write a listing over it.
    EXPECT_EQ(rig.Doc().GetSaveFormat(), SAVE_CATALOGUE);
    EXPECT_EQ(ReadWholeFile(path), original);
    ASSERT_TRUE(rig.Doc().DoFileSave());
    EXPECT_EQ(ReadWholeFile(path), CatalogueBytes(rig.Doc()));
    EXPECT_EQ(rig.m_listingsWritten, 1);  // only by the failed save-as
}

TEST(CatalogueDocument, SaveFailingHalfWayLeavesTheOldFileByteForByte) {
    ScratchFolder dir;
    const std::string path = dir.Path("cat.fsr");
    SaveRoots(path, MakeWorkedExample());
    const std::vector<uint8_t> original = ReadWholeFile(path);
    const std::string other = dir.Path("other.fsr");
    SaveRoots(other, MakeSampleCatalogue());
    const std::vector<uint8_t> otherOriginal = ReadWholeFile(other);

    DocumentRig rig;
    ASSERT_TRUE(CDocumentKind::OpenDocumentFile(rig.Doc(), path));
    std::vector<std::u16string> many;
    for (int i = 0; i < 20000; ++i) many.push_back(u"a-rather-long-file-name-" + U16(std::to_string(i)));
    rig.Add(MakeRoot(u"BIG", 1, DRIVE_FIXED, many));
    rig.Doc().SetModifiedFlag();

    // A file-size limit makes the writes fail part-way, as a full disk would:
    // first the plain save, then a save-as onto another existing file.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool plainSaved = rig.Doc().DoFileSave();
    rig.m_dialog.m_user = Choose(other, 1);
    const bool savedAs = rig.Doc().DoSave(std::string(), true);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(plainSaved);
    EXPECT_FALSE(savedAs);
    EXPECT_EQ(ReadWholeFile(path), original);
    EXPECT_EQ(ReadWholeFile(other), otherOriginal);  // not deleted either
    EXPECT_EQ(dir.Listing(), (std::vector<std::string>{"cat.fsr", "other.fsr"}));
    ASSERT_EQ(rig.m_messages.ShownBoxes().size(), 2u);
    EXPECT_EQ(rig.m_messages.ShownBoxes()[0].text, U16(path) + u" へのアクセス中にディスクがいっぱいになりました。");
    EXPECT_EQ(rig.m_messages.ShownBoxes()[1].text, U16(other) + u" へのアクセス中にディスクがいっぱいになりました。");
    EXPECT_TRUE(rig.Doc().IsModified());
    EXPECT_EQ(rig.Doc().GetPathName(), path);
}

TEST(CatalogueDocument, ListingWithoutAWriterIsAGeneralSaveFailure) {
    ScratchFolder dir;
    test::ScriptedMessageService messages;
    CatalogueServices services;
    services.m_messages = &messages;
    CFSRecDoc doc(services);
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetSaveFormat(SAVE_PRN);
    EXPECT_FALSE(doc.DoSave(dir.Path("x.prn"), true));
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"ドキュメントの保存に失敗しました。"});
    EXPECT_TRUE(dir.Listing().empty());
}

TEST(CatalogueDocument, SaveQuestionOnClose) {
    ScratchFolder dir;
    struct Case {
        bool modified;
        MessageAnswer answer;
        bool saveSucceeds;
        bool mayClose;
    };
    const Case cases[] = {
        {false, MessageAnswer::Cancel, true, true}, {true, MessageAnswer::No, true, true},
        {true, MessageAnswer::Cancel, true, false}, {true, MessageAnswer::Yes, true, true},
        {true, MessageAnswer::Yes, false, false},
    };
    for (const Case& c : cases) {
        DocumentRig rig;
        rig.Doc().SetModifiedFlag(c.modified);
        if (c.modified) rig.m_messages.Answer({c.answer});
        rig.m_dialog.m_user = [&](CFileSaveDialog& d) {
            return c.saveSucceeds && d.Confirm(U16(dir.Path("q.fsr")), 1);
        };
        EXPECT_EQ(rig.Doc().SaveModified(), c.mayClose);
        if (c.modified) {
            ASSERT_EQ(rig.m_messages.ShownBoxes().size(), 1u);
            EXPECT_EQ(rig.m_messages.ShownBoxes()[0].text, u"Medium1 への変更を保存しますか?");
            EXPECT_EQ(rig.m_messages.ShownBoxes()[0].buttons, MessageButtons::YesNoCancel);
        } else {
            EXPECT_TRUE(rig.m_messages.ShownBoxes().empty());
        }
    }
}

// --- The save dialog's logic -----------------------------------------------------

TEST(SaveDialog, ExtensionsComeFromTheFilter) {
    test::ScriptedMessageService messages;
    const CFileSaveDialog dialog(messages, Tr(kSaveAsTitle), Tr(kCatalogueSaveFilter), kCatalogueExtension, u"a", 1);
    EXPECT_EQ(dialog.Extensions(), (std::vector<std::u16string>{u".fsr", u".csv", u".prn"}));
    const std::vector<FileTypeFilter> filters = dialog.Filters();
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].m_description, u"メディア構成 ファイル (*.fsr)");
    EXPECT_EQ(filters[2].m_description, u"テキストファイル (スペース区切り) (*.prn)");
    EXPECT_EQ(filters[3].m_pattern, u"*.*");
    const CFileSaveDialog odd(messages, u"t", u"A|*.ab|B|*.htm|", u".ab", u"a", 1);
    EXPECT_EQ(odd.Extensions(), (std::vector<std::u16string>{u".ab|", u".htm"}));
}

TEST(SaveDialog, TypeChangeSwitchesTheExtension) {
    test::ScriptedMessageService messages;
    CFileSaveDialog dialog(messages, Tr(kSaveAsTitle), Tr(kCatalogueSaveFilter), kCatalogueExtension, u"a", 1);
    struct Case {
        std::u16string name;
        int type;
        std::u16string result;
    };
    const Case cases[] = {
        {u"Medium1.fsr", 2, u"Medium1.csv"}, {u"Medium1.fsr", 3, u"Medium1.prn"}, {u"Medium1", 2, u"Medium1.csv"},
        {u"Medium1.csv", 4, u"Medium1.fsr"},                                     // all files: the first extension
        {u"name.", 1, u"name.fsr"},          {u"a.txt2", 2, u"a.txt2.csv"},      // more than three after the dot
        {u"my.cat.fsr", 2, u"my.cat.csv"},   {u"my.cat.csv", 4, u"my.cat.fsr"},  // the last dot counts
        {u"a.b.c", 3, u"a.b.prn"},           {u"a.b.text", 1, u"a.b.text.fsr"},   {u"dir.x/name", 2, u"dir.x/name.csv"},
        {u"a.b/c", 3, u"a.b/c.prn"},  // only the file name's dots
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialog.OnTypeChange(c.name, c.type), c.result) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(dialog.TypeIndex(), c.type);
    }
}

TEST(SaveDialog, OnlyTheListingTypesWarn) {
    for (int type = 1; type <= 4; ++type) {
        test::ScriptedMessageService messages;
        const bool listing = type == 2 || type == 3;
        if (listing) messages.Answer({MessageAnswer::Cancel});
        CFileSaveDialog dialog(messages, Tr(kSaveAsTitle), Tr(kCatalogueSaveFilter), kCatalogueExtension, u"a", 1);
        EXPECT_EQ(dialog.Confirm(u"/tmp/a", type), !listing) << type;
        EXPECT_EQ(messages.ShownBoxes().size(), listing ? 1u : 0u) << type;
        EXPECT_EQ(dialog.GetPathName(), listing ? u"" : u"/tmp/a");
    }
}

// --- Roots and pictures ----------------------------------------------------------

TEST(CatalogueDocument, RemoveRootRestampsRootsAndPictureKeys) {
    DocumentRig rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry* roots[3];
    for (int i = 0; i < 3; ++i) {
        roots[i] = rig.Add(MakeRoot(u"V" + U16(std::to_string(i))));
        roots[i]->m_icons.m_images = {IconImage(uint8_t(i)), IconImage(uint8_t(10 + i))};
        EXPECT_EQ(roots[i]->m_rootStamp, i);
        EXPECT_EQ(roots[i]->m_folders[0]->m_entries[0].m_rootStamp, i);
    }
    EXPECT_EQ(doc.GetRootPicture(1, *roots[0]), 7);
    EXPECT_EQ(doc.GetRootPicture(2, *roots[1]), 8);
    EXPECT_EQ(doc.GetRootPicture(1, *roots[2]), 9);
    EXPECT_EQ(doc.GetRootPicture(2, *roots[1]), 8);  // cached
    EXPECT_EQ(rig.m_pictures.m_pairSizes, (std::vector<int>{32, 32, 32}));
    EXPECT_EQ(doc.IconKeys()[8], 0x10001u);

    std::unique_ptr<CRootEntry> removed = doc.RemoveRoot(roots[0]);
    ASSERT_EQ(removed.get(), roots[0]);
    EXPECT_EQ(roots[1]->m_rootStamp, 0);
    EXPECT_EQ(roots[2]->m_rootStamp, 1);
    EXPECT_EQ(roots[2]->m_folders[0]->m_entries[0].m_rootStamp, 1);
    std::vector<uint32_t> keys(7, kNoPictureKey);
    keys.insert(keys.end(), {kNoPictureKey, 0x00001u, 0x10000u});
    EXPECT_EQ(doc.IconKeys(), keys);
    // The moved roots still find their pictures.
    EXPECT_EQ(doc.GetRootPicture(2, *roots[1]), 8);
    EXPECT_EQ(doc.GetRootPicture(1, *roots[2]), 9);
    EXPECT_EQ(rig.m_pictures.m_pairSizes.size(), 3u);
    // A root that is not in the list is not found and nothing changes.
    EXPECT_EQ(doc.RemoveRoot(removed.get()), nullptr);
    EXPECT_EQ(doc.Roots().size(), 2u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(rig.m_view.m_hints.empty());
}

TEST(CatalogueDocument, RootPictureByDriveTypeAndStoredIcon) {
    DocumentRig rig;
    struct Case {
        uint32_t driveType;
        int picture;
    };
    const Case cases[] = {{DRIVE_REMOVABLE, 4}, {DRIVE_CDROM, 3},   {DRIVE_FIXED, 5},
                          {DRIVE_REMOTE, 5},    {DRIVE_RAMDISK, 5}, {0, 5}};
    for (const Case& c : cases) {
        CRootEntry* root = rig.Add(MakeRoot(u"V", 1, c.driveType));
        EXPECT_EQ(rig.Doc().GetRootPicture(0, *root), c.picture) << c.driveType;
        EXPECT_EQ(rig.Doc().GetRootPicture(-3, *root), c.picture) << c.driveType;
    }
    CRootEntry* root = rig.Add(MakeRoot(u"ICONS"));
    root->m_icons.m_images = {IconImage(1), std::vector<uint8_t>(10, 0)};
    EXPECT_EQ(rig.Doc().GetRootPicture(2, *root), -1);  // damaged image
    EXPECT_EQ(rig.Doc().GetRootPicture(3, *root), -1);  // no such image
    rig.m_pictures.m_failPairs = true;
    EXPECT_EQ(rig.Doc().GetRootPicture(1, *root), -1);
    EXPECT_EQ(rig.Doc().IconKeys().size(), 7u);
}

// The label is compared ignoring ASCII case; the folder part exactly, or
// ignoring ASCII case when the file system of the read folds case.
TEST(CatalogueDocument, FindRecordedVolumeMatchesSerialLabelAndFolder) {
    DocumentRig rig;
    rig.Add(MakeRoot(u"DATA", 0x11112222));                  // 0: whole drive
    rig.Add(MakeRoot(u"DATA::\\photos\\2010", 0x11112222));  // 1: a folder
    rig.Add(MakeRoot(u"ＤＡＴＡ", 0x33334444));              // 2: full-width label
    rig.Add(MakeRoot(u"", 0x55556666));                      // 3: no label
    rig.Add(MakeRoot(u"DATA", 0x11112222));                  // 4: a second copy of 0
    rig.Add(MakeRoot(u"T::\\tree", 0x77778888));             // 5: a folder whose name has a case twin
    struct Case {
        uint32_t serial;
        std::u16string label;
        std::u16string folder;
        int exact;  // found on a file system that keeps case apart
        int folds;  // found on one that folds case
    };
    const Case cases[] = {
        {0x11112222, u"DATA", u"\\", 0, 0},
        {0x11112222, u"data", u"\\", 0, 0},  // the label's ASCII case is ignored either way
        {0x11112223, u"DATA", u"\\", -1, -1},
        {0x11112222, u"DATA2", u"\\", -1, -1},
        {0x11112222, u"DATA", u"\\photos\\2010", 1, 1},
        {0x11112222, u"DATA", u"\\PHOTOS\\2010", -1, 1},
        {0x11112222, u"DATA", u"\\photos", -1, -1},  // another folder of the volume
        {0x33334444, u"ＤＡＴＡ", u"\\", 2, 2},
        {0x33334444, u"ｄａｔａ", u"\\", -1, -1},  // full-width case is not folded
        {0x55556666, u"", u"\\", 3, 3},
        {0x77778888, u"t", u"\\tree", 5, 5},
        {0x77778888, u"T", u"\\TREE", -1, 5},
        {0x77778888, u"T", u"\\Tree", -1, 5},
    };
    for (const Case& c : cases) {
        const std::string folder(c.folder.begin(), c.folder.end());
        EXPECT_EQ(rig.Doc().FindRecordedVolume(c.serial, c.label, c.folder, false), c.exact)
            << std::hex << c.serial << " " << folder;
        EXPECT_EQ(rig.Doc().FindRecordedVolume(c.serial, c.label, c.folder, true), c.folds)
            << std::hex << c.serial << " " << folder << " (folding)";
    }
}

TEST(CatalogueDocument, FolderPartOfAReadPathBelowItsMountPoint) {
    struct Case {
        std::string path;
        std::string mount;
        std::u16string part;
    };
    const Case cases[] = {
        {"/media/cd", "/media/cd", u"\\"},
        {"/media/cd/", "/media/cd", u"\\"},
        {"/media/cd/photos/2010", "/media/cd", u"\\photos\\2010"},
        {"/media/cd/photos//2010/", "/media/cd/", u"\\photos\\2010"},
        {"/home/u/写真", "/", u"\\home\\u\\写真"},
        {"/", "/", u"\\"},
        {"/media/cd2/x", "/media/cd", u"\\media\\cd2\\x"},  // not below: the whole path
        {"/media/cd/bad\xff", "/media/cd", u"\\bad\xdcff"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadFolderPart(c.path, c.mount), c.part) << c.path;
}

// --- Adding or replacing a read volume ----------------------------------------------

struct ReadRig : DocumentRig {
    ReadRig() {
        Add(MakeRoot(u"FIRST", 1));
        CRootEntry* second = Add(MakeRoot(u"SECOND", 2, DRIVE_CDROM, {u"OLD1.TXT", u"OLD2.TXT"}));
        second->m_name = u"二番目";
        second->m_comment = u"コメント";
        Add(MakeRoot(u"THIRD", 3));
        // An earlier edit that a completed read forgets.
        Doc().RenameRoot(*Doc().Roots()[0], u"renamed");
        m_view.m_hints.clear();
    }
    static void Fill(CRootEntry& root) {
        std::unique_ptr<CRootEntry> read = MakeRoot(u"SECOND", 2, DRIVE_CDROM, {u"NEW.TXT"});
        root.m_volumeName = read->m_volumeName;
        root.m_serialNumber = read->m_serialNumber;
        root.m_driveType = read->m_driveType;
        root.m_fileCount = read->m_fileCount;
        root.m_folders = std::move(read->m_folders);
    }
};

TEST(ReadVolume, AddingAppendsAndBecomesTheUndoStep) {
    ReadRig rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry* root = doc.BeginReadVolume(-1);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(doc.IsReadingVolume());
    EXPECT_EQ(doc.Roots().size(), 4u);
    EXPECT_EQ(doc.Roots()[3].get(), root);
    EXPECT_EQ(doc.BeginReadVolume(-1), nullptr);  // one read at a time
    ReadRig::Fill(*root);
    doc.CommitReadVolume(1700000000);
    EXPECT_FALSE(doc.IsReadingVolume());
    EXPECT_EQ(root->m_time, 1700000000);
    EXPECT_EQ(root->m_rootStamp, 3);
    EXPECT_EQ(root->m_folders[0]->m_entries[0].m_rootStamp, 3);
    EXPECT_EQ(doc.UndoKind(), HISTORY_ADDED);
    EXPECT_EQ(doc.UndoRoot(), root);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(rig.m_view.m_hints, (std::vector<std::pair<int, CObjectBase*>>{{HINT_REBUILD, nullptr}}));
    // Undo removes the read volume, redo appends it again.
    doc.Undo();
    EXPECT_EQ(doc.Roots().size(), 3u);
    doc.Redo();
    ASSERT_EQ(doc.Roots().size(), 4u);
    EXPECT_EQ(doc.Roots()[3].get(), root);
}

TEST(ReadVolume, ReplacingKeepsPositionNameAndCommentAndLeavesNoUndo) {
    ReadRig rig;
    CFSRecDoc& doc = rig.Doc();
    const CRootEntry* old = doc.Roots()[1].get();
    ASSERT_EQ(doc.FindRecordedVolume(2, u"second", u"\\", false), 1);
    CRootEntry* root = doc.BeginReadVolume(1);
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root, old);
    EXPECT_EQ(doc.Roots()[1].get(), root);
    EXPECT_EQ(root->m_name, u"二番目");
    EXPECT_EQ(root->m_comment, u"コメント");
    ReadRig::Fill(*root);
    doc.CommitReadVolume(1700000000);
    ASSERT_EQ(doc.Roots().size(), 3u);
    EXPECT_EQ(doc.Roots()[1].get(), root);
    EXPECT_EQ(root->GetDisplayName(), u"二番目");
    EXPECT_EQ(root->m_folders[0]->m_entries[0].m_name, u"NEW.TXT");
    EXPECT_EQ(root->m_rootStamp, 1);
    EXPECT_FALSE(doc.CanUndo());  // the earlier rename is forgotten too
    doc.Undo();
    EXPECT_EQ(doc.Roots().size(), 3u);
    EXPECT_EQ(doc.Roots()[0]->m_name, u"renamed");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(rig.m_view.m_hints.size(), 1u);
}

TEST(ReadVolume, ReplacingForgetsThePicturesOfTheOldVolume) {
    ReadRig rig;
    CFSRecDoc& doc = rig.Doc();
    doc.Roots()[1]->m_icons.m_images = {IconImage(1)};
    EXPECT_EQ(doc.GetRootPicture(1, *doc.Roots()[1]), 7);
    CVolumeReadScope read(doc, 1);
    ASSERT_NE(read.Root(), nullptr);
    read.Root()->m_icons.m_images = {IconImage(2)};
    read.Commit(1);
    EXPECT_EQ(doc.GetRootPicture(1, *doc.Roots()[1]), 8);
    EXPECT_EQ(rig.m_pictures.m_pairSizes.size(), 2u);
}

TEST(ReadVolume, FailureRestoresTheDocumentExactly) {
    for (const int position : {-1, 0, 1, 2}) {
        SCOPED_TRACE(position);
        ReadRig rig;
        CFSRecDoc& doc = rig.Doc();
        doc.SetModifiedFlag(false);
        const std::vector<uint8_t> before = CatalogueBytes(doc);
        std::vector<const CRootEntry*> identities;
        for (const auto& root : doc.Roots()) identities.push_back(root.get());
        {
            CVolumeReadScope read(doc, position);
            ASSERT_NE(read.Root(), nullptr);
            ReadRig::Fill(*read.Root());
            // The scope ends without a commit, as on failure or cancellation.
        }
        EXPECT_FALSE(doc.IsReadingVolume());
        EXPECT_EQ(CatalogueBytes(doc), before);
        for (size_t i = 0; i < identities.size(); ++i) {
            EXPECT_EQ(doc.Roots()[i].get(), identities[i]);
            EXPECT_EQ(size_t(doc.Roots()[i]->m_rootStamp), i);
        }
        EXPECT_EQ(doc.UndoKind(), HISTORY_RENAMED);  // the history stays
        EXPECT_EQ(doc.UndoRoot(), identities[0]);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_TRUE(rig.m_view.m_hints.empty());
        doc.Undo();  // and still works
        EXPECT_EQ(doc.Roots()[0]->m_name, u"");
    }
}

TEST(ReadVolume, BadPositionsDoNotBegin) {
    ReadRig rig;
    for (const int position : {-2, 3, 100}) EXPECT_EQ(rig.Doc().BeginReadVolume(position), nullptr) << position;
    EXPECT_FALSE(rig.Doc().IsReadingVolume());
    rig.Doc().CommitReadVolume(1);  // nothing to commit
    rig.Doc().AbortReadVolume();
    EXPECT_EQ(rig.Doc().Roots().size(), 3u);
    EXPECT_TRUE(rig.m_view.m_hints.empty());
}

TEST(ReadVolume, ClosingDuringAReadReleasesEverything) {
    ReadRig rig;
    CVolumeReadScope read(rig.Doc(), 1);
    ASSERT_NE(read.Root(), nullptr);
    rig.Doc().OnCloseDocument();
    EXPECT_TRUE(rig.Doc().Roots().empty());
    EXPECT_FALSE(rig.Doc().IsReadingVolume());
}

// --- Commands --------------------------------------------------------------------

TEST(CatalogueDocument, CommandsAndTheirEnabling) {
    DocumentRig rig;
    CFSRecDoc& doc = rig.Doc();
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_UNDO), false);
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_REDO), false);
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_FIND), false);
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_PASTE), false);
    EXPECT_EQ(doc.IsCommandEnabled(ID_READ_ADDITIONAL), true);
    EXPECT_EQ(doc.IsCommandEnabled(57634), std::nullopt);  // copy is the views'
    EXPECT_FALSE(doc.OnCommand(ID_EDIT_PASTE));

    CRootEntry* root = rig.Add(MakeRoot(u"DATA"));
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_FIND), true);
    ASSERT_TRUE(doc.CopyRoot(*root));
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_PASTE), true);
    doc.EndLabelEdit(*root, u"x");
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_UNDO), true);
    EXPECT_TRUE(doc.OnCommand(ID_EDIT_UNDO));
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_UNDO), false);
    EXPECT_EQ(doc.IsCommandEnabled(ID_EDIT_REDO), true);
    EXPECT_TRUE(doc.OnCommand(ID_EDIT_REDO));
    EXPECT_EQ(root->m_name, u"x");
}

TEST(CatalogueDocument, FindAndReadCommandsGoToTheApplication) {
    test::ScriptedMessageService messages;
    int searches = 0;
    int reads = 0;
    CatalogueServices services;
    services.m_messages = &messages;
    services.m_openSearchWindow = [&](CFSRecDoc&) { ++searches; };
    services.m_readAdditional = [&](CFSRecDoc&) { ++reads; };
    CFSRecDoc doc(services);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_TRUE(doc.OnCommand(ID_EDIT_FIND));
    EXPECT_EQ(searches, 0);  // nothing to search yet
    doc.AppendRoot(MakeRoot(u"DATA"));
    EXPECT_TRUE(doc.OnCommand(ID_EDIT_FIND));
    EXPECT_TRUE(doc.OnCommand(ID_READ_ADDITIONAL));
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(reads, 1);
}

TEST(CatalogueDocument, CommentChangesMarkModifiedOnlyWhenDifferent) {
    DocumentRig rig;
    CRootEntry* root = rig.Add(MakeRoot(u"DATA"));
    EXPECT_FALSE(rig.Doc().SetRootComment(*root, u""));
    EXPECT_FALSE(rig.Doc().IsModified());
    EXPECT_TRUE(rig.Doc().SetRootComment(*root, u"メモ"));
    EXPECT_TRUE(rig.Doc().IsModified());
    EXPECT_FALSE(rig.Doc().CanUndo());
    EXPECT_TRUE(rig.m_view.m_hints.empty());
}

}  // namespace
}  // namespace volcatra
