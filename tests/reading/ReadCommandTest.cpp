// The read command over an in-memory medium and a catalogue document: the
// insert-medium prompt, the same-volume question, placing the new volume,
// success, and every way a read can fail or be cancelled, each of which
// must leave the document exactly as it was; and the archiver libraries
// around the read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "DocumentFakes.h"
#include "FakeArchiver.h"
#include "ReadingFakes.h"
#include "model/FileNameCodec.h"
#include "reading/ReadCommand.h"

namespace volcatra {
namespace {

using test::FakeFileSystem;
using test::FakeNode;
using test::RecordingProgress;

const std::string kMount = "/media/disc";
constexpr int64_t kNow = 1700000000;
constexpr uint32_t kDiscSerial = 0x1234ABCD;

// Everything that tells one document state from another.
struct DocState {
    std::vector<uint8_t> bytes;
    std::vector<const CRootEntry*> roots;
    std::vector<uint16_t> stamps;
    std::vector<uint32_t> iconKeys;
    bool modified = false;
    int undoKind = 0;
    const CRootEntry* undoRoot = nullptr;
    std::u16string undoText;
    int redoKind = 0;
    const CRootEntry* redoRoot = nullptr;
    bool reading = false;
    size_t hints = 0;
    bool operator==(const DocState&) const = default;
};

// A progress object that logs when it is made and destroyed.
class LoggedProgress : public RecordingProgress {
public:
    explicit LoggedProgress(std::vector<std::string>& events) : m_events(events) { m_events.push_back("progress"); }
    ~LoggedProgress() override { m_events.push_back("progress gone"); }

private:
    std::vector<std::string>& m_events;
};

// Passes message boxes to the script and logs their first lines, marked
// when the document holds a read under way at that moment.
class LoggedMessages : public IMessageService {
public:
    LoggedMessages(test::ScriptedMessageService& script, std::vector<std::string>& events, const CFSRecDoc& doc)
        : m_script(script), m_events(events), m_doc(doc) {}
    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override {
        m_events.push_back("message " + Utf16ToFileName(text.substr(0, text.find(u'\n'))) +
                           (m_doc.IsReadingVolume() ? " (reading)" : ""));
        return m_script.Show(text, buttons, icon);
    }

private:
    test::ScriptedMessageService& m_script;
    std::vector<std::string>& m_events;
    const CFSRecDoc& m_doc;
};

// The medium: the whole volume DISC1 with a folder, a subfolder and an
// archive file.
FakeFileSystem SampleMedium() {
    FakeFileSystem fs;
    fs.top.children = {
        FakeNode::File("A.TXT", 4096),
        FakeNode::Folder("photos", {FakeNode::File("p1.jpg", 5000), FakeNode::File("p2.jpg", 7000)}),
        FakeNode::Folder("sub", {FakeNode::File("x.txt", 1), FakeNode::File("a.zip", 300)}),
    };
    return fs;
}

// A document with three volumes and a medium to read, with fakes that
// log what happens.
struct ReadRig {
    test::DocumentRig rig;
    FakeFileSystem fs = SampleMedium();
    std::vector<std::string> events;
    LoggedMessages messages{rig.m_messages, events, rig.Doc()};
    ReadCommandServices services;
    // The medium is missing for this many checks.
    int mediumMissing = 0;
    int mediumChecks = 0;
    bool rootIsFolder = true;
    std::vector<std::pair<std::string, std::string>> mediumAsked;  // (drive, path)
    int cancelAtCheck = 0;
    LoggedProgress* progress = nullptr;
    int progressMade = 0;
    CRootEntry* recorded = nullptr;  // DISC1 as recorded before

    ReadRig() {
        services.fileSystem = &fs;
        services.messages = &messages;
        services.findMedium = [this](const std::string& drive, const std::string& path) -> std::optional<MediumRoot> {
            ++mediumChecks;
            mediumAsked.emplace_back(drive, path);
            if (mediumChecks <= mediumMissing) return std::nullopt;
            return MediumRoot{kMount, rootIsFolder};
        };
        services.makeProgress = [this](const CRootEntry&) -> std::unique_ptr<IReadProgress> {
            ++progressMade;
            auto made = std::make_unique<LoggedProgress>(events);
            made->cancelAtCheck = cancelAtCheck;
            progress = made.get();
            return made;
        };
        services.showWaitCursor = [this](bool busy) { events.push_back(busy ? "wait" : "wait end"); };
        services.currentTime = [] { return kNow; };

        // Three volumes: DISC1 (the same medium, whole drive) in the middle
        // with a user-given name and comment; an undo step and the modified
        // flag as a session leaves them.
        rig.Add(test::MakeRoot(u"OTHER", 0x11112222));
        recorded = rig.Add(test::MakeRoot(u"disc1", kDiscSerial, DRIVE_CDROM, {u"OLD.TXT"}));
        recorded->m_name = u"Holiday disc";
        recorded->m_comment = u"summer 2010";
        rig.Add(test::MakeRoot(u"DISC1::\\photos", kDiscSerial));
        rig.Doc().RenameRoot(*rig.Doc().Roots()[0], u"Renamed");
        rig.Doc().SetModifiedFlag(false);
        rig.m_view.m_hints.clear();
    }

    DocState State() const {
        const CFSRecDoc& doc = *rig.m_doc;
        DocState s;
        s.bytes = test::CatalogueBytes(doc);
        for (const auto& root : doc.Roots()) {
            s.roots.push_back(root.get());
            s.stamps.push_back(root->m_rootStamp);
        }
        s.iconKeys = doc.IconKeys();
        s.modified = doc.IsModified();
        s.undoKind = doc.UndoKind();
        s.undoRoot = doc.UndoRoot();
        s.undoText = doc.UndoText();
        s.redoKind = doc.RedoKind();
        s.redoRoot = doc.RedoRoot();
        s.reading = doc.IsReadingVolume();
        s.hints = rig.m_view.m_hints.size();
        return s;
    }

    ReadRequest Whole(uint32_t driveType = DRIVE_CDROM) const {
        ReadRequest request;
        request.path = kMount;
        request.drive = kMount;
        request.driveType = driveType;
        return request;
    }

    bool Read(const ReadRequest& request, ReadReport* report = nullptr) {
        return ReadIntoCatalogue(rig.Doc(), services, request, report);
    }

    // The wait cursor is shown once around everything and ended, and the
    // progress object made for the read is gone again.
    void ExpectCleanEnd() {
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "wait");
        EXPECT_EQ(events.back(), "wait end");
        EXPECT_EQ(std::count(events.begin(), events.end(), "progress"),
                  std::count(events.begin(), events.end(), "progress gone"));
        EXPECT_FALSE(rig.Doc().IsReadingVolume());
    }
};

struct ReadFixture : ::testing::Test, ReadRig {};

TEST_F(ReadFixture, InsertMediumPromptRetriesUntilTheMediumIsThereOrTheUserCancels) {
    struct Case {
        const char* name;
        int missing;
        std::vector<MessageAnswer> answers;
        uint32_t driveType;
        std::string drive;
        std::u16string prompt;
        bool read;
    };
    const std::vector<Case> cases = {
        {"present", 0, {}, DRIVE_CDROM, kMount, u"", true},
        {"retry once",
         1,
         {MessageAnswer::Retry},
         DRIVE_CDROM,
         kMount,
         u"/media/disc ドライブ に CD-ROM をセットしてください",
         true},
        {"retry twice",
         2,
         {MessageAnswer::Retry, MessageAnswer::Retry},
         DRIVE_REMOVABLE,
         kMount,
         u"/media/disc ドライブ に ディスク をセットしてください",
         true},
        {"device named",
         1,
         {MessageAnswer::Retry},
         DRIVE_CDROM,
         "/dev/sr0",
         u"/dev/sr0 ドライブ に CD-ROM をセットしてください",
         true},
        {"no drive: the path",
         1,
         {MessageAnswer::Retry},
         DRIVE_FIXED,
         "",
         u"/media/disc ドライブ に ディスク をセットしてください",
         true},
        {"cancel",
         1,
         {MessageAnswer::Cancel},
         DRIVE_CDROM,
         kMount,
         u"/media/disc ドライブ に CD-ROM をセットしてください",
         false},
        {"retry then cancel",
         3,
         {MessageAnswer::Retry, MessageAnswer::Cancel},
         DRIVE_CDROM,
         kMount,
         u"/media/disc ドライブ に CD-ROM をセットしてください",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig.m_messages = test::ScriptedMessageService{};
        for (MessageAnswer a : c.answers) rig.m_messages.Answer({a});
        mediumMissing = c.missing;
        mediumChecks = 0;
        mediumAsked.clear();
        events.clear();
        const DocState before = State();
        ReadRequest request = Whole(c.driveType);
        request.drive = c.drive;
        request.sameVolume = SameVolumeAnswer::Add;
        ReadReport report;
        EXPECT_EQ(Read(request, &report), c.read);
        const auto& shown = rig.m_messages.ShownBoxes();
        ASSERT_EQ(shown.size(), c.answers.size());
        for (const auto& box : shown) {
            EXPECT_EQ(box.text, c.prompt);
            EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
            EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        }
        EXPECT_EQ(mediumChecks, int(c.answers.size()) + (c.read ? 1 : 0));
        EXPECT_EQ(mediumAsked.front(), std::make_pair(c.drive, kMount));
        if (c.read) {
            EXPECT_EQ(report.outcome, ReadOutcome::Read);
            EXPECT_EQ(rig.Doc().Roots().size(), 4u);
            rig.Doc().Undo();  // takes the added volume out again
        } else {
            // Cancelled quietly: no failure message, nothing made, nothing changed.
            EXPECT_EQ(report.outcome, ReadOutcome::Cancelled);
            EXPECT_EQ(State(), before);
            EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), 0);
        }
        ExpectCleanEnd();
        rig.Doc().SetModifiedFlag(false);
        rig.m_view.m_hints.clear();
    }
}

TEST_F(ReadFixture, FailuresBeforeTheVolumeIsPlacedChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(ReadRig&, ReadRequest&)> arrange;
    };
    const Case cases[] = {
        {"root is not a folder", [](ReadRig& f, ReadRequest&) { f.rootIsFolder = false; }},
        {"no volume information", [](ReadRig& f, ReadRequest&) { f.fs.volumeInformationFails = true; }},
        {"path outside the medium", [](ReadRig&, ReadRequest& r) { r.path = "/media/other/photos"; }},
        {"another read under way",
         [](ReadRig& f, ReadRequest&) { ASSERT_NE(f.rig.Doc().BeginReadVolume(-1), nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadRequest request = Whole();
        c.arrange(*this, request);
        rig.m_messages = test::ScriptedMessageService{};
        rig.m_messages.Answer({MessageAnswer::Yes});  // would replace DISC1 if asked
        events.clear();
        const DocState before = State();
        ReadReport report;
        EXPECT_FALSE(Read(request, &report));
        EXPECT_EQ(report.outcome, ReadOutcome::Failed);
        const auto& shown = rig.m_messages.ShownBoxes();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().text, Tr(kReadFailedText));
        EXPECT_EQ(shown.back().icon, MessageIcon::Stop);
        EXPECT_EQ(State(), before);
        EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), 0);
        EXPECT_EQ(events.back(), "wait end");
        rootIsFolder = true;
        fs.volumeInformationFails = false;
        rig.Doc().AbortReadVolume();
    }
}

TEST(ReadCommandTest, SameVolumeQuestionDecidesBetweenReplacingAddingAndCancelling) {
    struct Case {
        const char* name;
        SameVolumeAnswer policy;
        std::optional<MessageAnswer> answer;  // the user's answer when asked
        ReadOutcome outcome;
        bool replaced;
    };
    const Case cases[] = {
        {"asked: yes", SameVolumeAnswer::Ask, MessageAnswer::Yes, ReadOutcome::Read, true},
        {"asked: no", SameVolumeAnswer::Ask, MessageAnswer::No, ReadOutcome::Read, false},
        {"asked: cancel", SameVolumeAnswer::Ask, MessageAnswer::Cancel, ReadOutcome::Cancelled, false},
        {"--replace", SameVolumeAnswer::Replace, std::nullopt, ReadOutcome::Read, true},
        {"--add", SameVolumeAnswer::Add, std::nullopt, ReadOutcome::Read, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadRig f;  // a fresh document each time
        if (c.answer) f.rig.m_messages.Answer({*c.answer});
        const DocState before = f.State();
        CRootEntry* const old = f.recorded;
        ReadRequest request = f.Whole();
        request.sameVolume = c.policy;
        ReadReport report;
        EXPECT_EQ(f.Read(request, &report), c.outcome == ReadOutcome::Read);
        EXPECT_EQ(report.outcome, c.outcome);

        const auto& shown = f.rig.m_messages.ShownBoxes();
        ASSERT_EQ(shown.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(shown[0].text, Tr(kSameVolumeQuestion));
            EXPECT_EQ(shown[0].buttons, MessageButtons::YesNoCancel);
            EXPECT_EQ(shown[0].icon, MessageIcon::Question);
        }
        f.ExpectCleanEnd();
        CFSRecDoc& doc = f.rig.Doc();
        if (c.outcome == ReadOutcome::Cancelled) {
            EXPECT_EQ(f.State(), before);
            EXPECT_EQ(f.progressMade, 0);
            continue;
        }

        // Success: read time, history cleared, modified, one rebuild.
        EXPECT_TRUE(doc.IsModified());
        ASSERT_EQ(f.rig.m_view.m_hints.size(), 1u);
        EXPECT_EQ(f.rig.m_view.m_hints[0].first, HINT_REBUILD);
        EXPECT_FALSE(doc.CanRedo());
        EXPECT_EQ(report.replaced, c.replaced);
        const CRootEntry& read = *doc.Roots()[size_t(report.position)];
        EXPECT_EQ(read.m_time, kNow);
        EXPECT_EQ(read.m_fileCount, 5u);
        EXPECT_EQ(read.m_volumeName, u"DISC1");
        EXPECT_EQ(read.m_rootStamp, report.position);
        if (c.replaced) {
            // In place: position, name and comment kept, contents new; the
            // old volume is gone and undo has nothing to take back.
            EXPECT_EQ(report.position, 1);
            EXPECT_EQ(doc.Roots().size(), 3u);
            EXPECT_NE(&read, old);
            EXPECT_EQ(read.m_name, u"Holiday disc");
            EXPECT_EQ(read.m_comment, u"summer 2010");
            EXPECT_EQ(read.GetDisplayName(), u"Holiday disc");
            EXPECT_EQ(read.m_folders[0]->m_entries[0].m_name, u"A.TXT");
            EXPECT_FALSE(doc.CanUndo());
            const std::vector<uint8_t> afterRead = test::CatalogueBytes(doc);
            doc.Undo();
            EXPECT_EQ(test::CatalogueBytes(doc), afterRead);
        } else {
            // A second volume of the same medium at the end, with no name or
            // comment of its own; undo takes it out again.
            EXPECT_EQ(report.position, 3);
            ASSERT_EQ(doc.Roots().size(), 4u);
            EXPECT_EQ(doc.Roots()[1].get(), old);
            EXPECT_EQ(read.m_serialNumber, old->m_serialNumber);
            EXPECT_TRUE(read.m_name.empty());
            EXPECT_TRUE(read.m_comment.empty());
            EXPECT_EQ(doc.UndoKind(), HISTORY_ADDED);
            EXPECT_EQ(doc.UndoRoot(), &read);
            doc.Undo();
            EXPECT_EQ(test::CatalogueBytes(doc), before.bytes);
        }
    }
}

TEST(ReadCommandTest, OnlyTheSameSerialLabelAndFolderAskTheQuestion) {
    struct Case {
        const char* name;
        std::string path;
        std::u16string label;
        uint32_t serial;
        bool asks;
        bool foldsCase = false;  // the file system of the read folds case
    };
    const Case cases[] = {
        {"whole drive, label in other case", kMount, u"DISC1", kDiscSerial, true},
        {"the recorded folder", kMount + "/photos", u"DISC1", kDiscSerial, true},
        {"another folder of it", kMount + "/sub", u"DISC1", kDiscSerial, false},
        {"other serial", kMount, u"DISC1", 0x99999999, false},
        {"other label", kMount, u"DISC2", kDiscSerial, false},
        {"a folder named like it in other case", kMount + "/Photos", u"DISC1", kDiscSerial, false},
        {"the recorded folder typed in other case", kMount + "/Photos", u"DISC1", kDiscSerial, true, true},
        {"whole drive on a file system that folds case", kMount, u"DISC1", kDiscSerial, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadRig f;
        f.fs.top.children.push_back(FakeNode::Folder("Photos"));
        f.fs.foldsCase = c.foldsCase;
        f.fs.label = c.label;
        f.fs.serialNumber = c.serial;
        if (c.asks) f.rig.m_messages.Answer({MessageAnswer::No});
        ReadRequest request = f.Whole();
        request.path = c.path;
        EXPECT_TRUE(f.Read(request));
        EXPECT_EQ(f.rig.m_messages.ShownBoxes().size(), c.asks ? 1u : 0u);
        EXPECT_TRUE(f.rig.m_messages.AllAnswersUsed());
        EXPECT_EQ(f.rig.Doc().Roots().size(), 4u);
    }
}

TEST(ReadCommandTest, GivenNameAndCommentGoToTheNewVolume) {
    struct Case {
        const char* title;
        SameVolumeAnswer policy;
        std::optional<std::u16string> givenName, givenComment;
        std::u16string name, comment;
    };
    const Case cases[] = {
        {"added, both", SameVolumeAnswer::Add, u"Backup", u"drawer 3", u"Backup", u"drawer 3"},
        {"replaced, name only", SameVolumeAnswer::Replace, u"New name", std::nullopt, u"New name", u"summer 2010"},
        {"replaced, empty name", SameVolumeAnswer::Replace, u"", std::nullopt, u"", u"summer 2010"},
        {"replaced, comment only", SameVolumeAnswer::Replace, std::nullopt, u"moved", u"Holiday disc", u"moved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ReadRig f;
        ReadRequest request = f.Whole();
        request.sameVolume = c.policy;
        request.name = c.givenName;
        request.comment = c.givenComment;
        ReadReport report;
        ASSERT_TRUE(f.Read(request, &report));
        const CRootEntry& read = *f.rig.Doc().Roots()[size_t(report.position)];
        EXPECT_EQ(read.m_name, c.name);
        EXPECT_EQ(read.m_comment, c.comment);
    }
}

// Every way the read itself can fail, when adding and when replacing:
// "読み取りに失敗しました" is shown while the progress object still stands,
// then the document is exactly as before (the same volume objects at the
// same places, history and modified flag untouched, no view told).
TEST(ReadCommandTest, AFailedOrCancelledReadLeavesTheDocumentExactlyAsBefore) {
    struct Failure {
        const char* name;
        std::function<void(ReadRig&)> arrange;
        std::vector<MessageAnswer> cancelAnswers;  // answers to "読み取りを中止しますか？"
        bool scanCancelled;                        // the directory phase reports a cancel
    };
    const Failure failures[] = {
        {"cancel confirmed", [](ReadRig& f) { f.cancelAtCheck = 3; }, {MessageAnswer::Yes}, true},
        {"cancel at the last check", [](ReadRig& f) { f.cancelAtCheck = 8; }, {MessageAnswer::Yes}, true},
        {"subfolder cannot be listed", [](ReadRig& f) { f.fs.top.children[2].unlistable = true; }, {}, false},
        {"listing fails half-way", [](ReadRig& f) { f.fs.top.children[1].failAfter = 1; }, {}, false},
        {"no disk space figures", [](ReadRig& f) { f.fs.diskSpaceFails = true; }, {}, false},
        {"icon phase fails",
         [](ReadRig& f) {
             f.services.readIcons = [](CRootEntry&, IReadProgress*, IMessageService&, const std::string&,
                                       const std::string&) { return false; };
         },
         {},
         false},
        {"icon phase cancelled",
         [](ReadRig& f) {
             f.services.readIcons = [&f](CRootEntry&, IReadProgress* progress, IMessageService&, const std::string&,
                                         const std::string&) {
                 static_cast<RecordingProgress*>(progress)->RequestCancel();
                 return !(progress->TakeCancelRequest() &&
                          f.messages.Show(Tr(kCancelReadQuestion), MessageButtons::YesNo, MessageIcon::Question) ==
                              MessageAnswer::Yes);
             };
         },
         {MessageAnswer::Yes},
         false},
        {"out of memory in the icon phase",
         [](ReadRig& f) {
             f.services.readIcons = [](CRootEntry&, IReadProgress*, IMessageService&, const std::string&,
                                       const std::string&) -> bool { throw std::bad_alloc(); };
         },
         {},
         false},
    };
    for (const SameVolumeAnswer policy : {SameVolumeAnswer::Add, SameVolumeAnswer::Replace}) {
        for (const Failure& c : failures) {
            SCOPED_TRACE(std::string(c.name) + (policy == SameVolumeAnswer::Add ? ", adding" : ", replacing"));
            ReadRig f;
            c.arrange(f);
            for (MessageAnswer a : c.cancelAnswers) f.rig.m_messages.Answer({a});
            const DocState before = f.State();
            ReadRequest request = f.Whole();
            request.sameVolume = policy;
            request.readIcons = true;
            request.name = u"would be given";
            ReadReport report;
            EXPECT_FALSE(f.Read(request, &report));
            EXPECT_EQ(report.outcome, ReadOutcome::Failed);
            EXPECT_EQ(report.failure.cancelled, c.scanCancelled);
            EXPECT_EQ(f.State(), before);
            EXPECT_EQ(f.recorded->m_name, u"Holiday disc");
            EXPECT_TRUE(f.rig.m_messages.AllAnswersUsed());
            const auto& shown = f.rig.m_messages.ShownBoxes();
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back().text, Tr(kReadFailedText));
            EXPECT_EQ(shown.back().buttons, MessageButtons::Ok);
            EXPECT_EQ(shown.back().icon, MessageIcon::Stop);
            // The message comes while the progress object still stands; the
            // document's list was never changed.
            const std::vector<std::string> tail(f.events.end() - 3, f.events.end());
            EXPECT_EQ(tail, (std::vector<std::string>{"message 読み取りに失敗しました", "progress gone", "wait end"}));
            f.ExpectCleanEnd();
            // The document works on: a later read succeeds.
            f.fs = SampleMedium();
            f.services.readIcons = nullptr;
            f.cancelAtCheck = 0;
            request.readIcons = false;
            EXPECT_TRUE(f.Read(request));
        }
    }
}

TEST(ReadCommandTest, CancelAnsweredNoReadsOnWithoutLosingEntries) {
    ReadRig reference;
    ReadRequest request = reference.Whole();
    request.sameVolume = SameVolumeAnswer::Add;
    ASSERT_TRUE(reference.Read(request));
    for (int check = 1; check <= 8; ++check) {
        SCOPED_TRACE(check);
        ReadRig f;
        f.cancelAtCheck = check;
        f.rig.m_messages.Answer({MessageAnswer::No});
        ASSERT_TRUE(f.Read(request));
        EXPECT_TRUE(f.rig.m_messages.AllAnswersUsed());
        EXPECT_EQ(test::CatalogueBytes(f.rig.Doc()), test::CatalogueBytes(reference.rig.Doc()));
    }
}

TEST(ReadCommandTest, SuccessOrderAndTheIconPhase) {
    struct Case {
        const char* name;
        bool readIcons;
        bool hook;
        bool iconsRun;
    };
    const Case cases[] = {
        {"icons asked", true, true, true},
        {"icons not asked", false, true, false},
        {"no icon phase available", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadRig f;
        int iconRuns = 0;
        if (c.hook)
            f.services.readIcons = [&](CRootEntry& root, IReadProgress* progress, IMessageService&,
                                       const std::string& readPath, const std::string& rootPath) {
                ++iconRuns;
                f.events.push_back("icons");
                EXPECT_EQ(root.m_fileCount, 2u) << "after the directory phase";
                EXPECT_EQ(progress, f.progress);
                EXPECT_EQ(readPath, kMount + "/photos");
                EXPECT_EQ(rootPath, kMount);
                // The document changes only when the read has ended.
                EXPECT_FALSE(f.rig.Doc().IsReadingVolume());
                EXPECT_EQ(f.rig.Doc().Roots().size(), 3u);
                return true;
            };
        ReadRequest request = f.Whole();
        request.path = kMount + "/photos";
        request.sameVolume = SameVolumeAnswer::Add;
        request.readIcons = c.readIcons;
        ReadReport report;
        ASSERT_TRUE(f.Read(request, &report));
        EXPECT_EQ(iconRuns, c.iconsRun ? 1 : 0);
        std::vector<std::string> expected = {"wait", "progress"};
        if (c.iconsRun) expected.push_back("icons");
        expected.insert(expected.end(), {"progress gone", "wait end"});
        EXPECT_EQ(f.events, expected);
        const CRootEntry& read = *f.rig.Doc().Roots()[size_t(report.position)];
        EXPECT_EQ(read.GetFolderPart(), u"\\photos");
        EXPECT_EQ(f.progressMade, 1);
    }
}

// --- The read command around the driver --------------------------------------

// The same with a handler table of one fake archiver library.
struct MediaRig : ReadRig {
    test::FakeLoader loader;
    CArchiverTable table{loader};
    int loadsDuringRead = -1;
    std::vector<std::pair<bool, std::u16string>> dialogs;  // (isNew, extensions) shown

    MediaRig() {
        test::g_script.Reset();
        test::FakeMember member;
        member.wideName = u"inner.txt";
        test::g_script.archives[kMount + "/sub/a.zip"].members = {member};
        loader.libraries["UNZIP32"] = test::FakeExports("UnZip");
        services.archivers = &table;
        const auto make = services.makeProgress;
        services.makeProgress = [this, make](const CRootEntry& root) {
            loadsDuringRead = loader.TotalLoadsHeld();
            return make(root);
        };
    }

    ReadDialog Dialog(std::optional<ReadChoice> choice) {
        return [this, choice](bool isNew, const std::u16string& extensions) {
            dialogs.emplace_back(isNew, extensions);
            EXPECT_EQ(loader.TotalLoadsHeld(), 1) << "loaded before the dialog";
            return choice;
        };
    }
};

TEST(ReadMediaTest, ArchiversAreLoadedAroundTheReadAndAlwaysUnloaded) {
    struct Case {
        const char* name;
        bool chosen;
        bool readArchives;
        bool readFails;
        ReadOutcome outcome;
        int loadsDuringRead;  // -1: no read ran
        bool membersListed;
    };
    const Case cases[] = {
        {"archives read", true, true, false, ReadOutcome::Read, 1, true},
        {"archives not read", true, false, false, ReadOutcome::Read, 0, false},
        {"dialog cancelled", false, true, false, ReadOutcome::NotRun, -1, false},
        {"read fails", true, true, true, ReadOutcome::Failed, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MediaRig f;
        if (c.readFails) f.fs.diskSpaceFails = true;
        std::optional<ReadChoice> choice;
        if (c.chosen) {
            choice.emplace();
            choice->request = f.Whole();
            choice->request.sameVolume = SameVolumeAnswer::Add;
            choice->readArchives = c.readArchives;
        }
        const DocState before = f.State();
        ReadReport report;
        EXPECT_EQ(ReadMedia(f.rig.Doc(), false, f.services, f.Dialog(choice), &report), c.outcome == ReadOutcome::Read);
        EXPECT_EQ(report.outcome, c.outcome);
        ASSERT_EQ(f.dialogs.size(), 1u);
        EXPECT_FALSE(f.dialogs[0].first);
        EXPECT_EQ(f.dialogs[0].second, u".ZIP");
        EXPECT_EQ(f.loadsDuringRead, c.loadsDuringRead);
        EXPECT_EQ(f.loader.TotalLoadsHeld(), 0) << "unloaded at the end";
        if (c.outcome != ReadOutcome::Read) {
            EXPECT_EQ(f.State(), before);
            continue;
        }
        const CRootEntry& read = *f.rig.Doc().Roots()[size_t(report.position)];
        const CFileEntry& zip = read.m_folders[2]->m_entries[1];  // top, photos, sub, ...
        EXPECT_EQ(zip.m_name, u"a.zip");
        EXPECT_EQ((zip.m_attributes & FA_ARCHIVE_LISTED) != 0, c.membersListed);
        EXPECT_EQ(read.m_folders.size(), c.membersListed ? 4u : 3u);
    }
}

TEST(ReadMediaTest, NewReadGivesTheNewCatalogueOnlyWithAVolume) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "read fails" : "read succeeds");
        MediaRig f;
        if (fails) f.fs.volumeInformationFails = true;
        ReadChoice choice;
        choice.request = f.Whole();
        const ReadDialog dialog = f.Dialog(choice);
        CatalogueServices documentServices;
        documentServices.m_messages = &f.messages;
        documentServices.m_readIntoNewDocument = [&](CFSRecDoc& doc) {
            return ReadMedia(doc, true, f.services, dialog);
        };
        CFSRecDoc doc(documentServices);
        CDocumentKind kind(kCatalogueUntitledBase);
        EXPECT_EQ(kind.InitNewDocument(doc), !fails);
        ASSERT_EQ(f.dialogs.size(), 1u);
        EXPECT_TRUE(f.dialogs[0].first) << "the dialog knows it reads into a new catalogue";
        EXPECT_EQ(doc.Roots().size(), fails ? 0u : 1u);
        EXPECT_EQ(f.loader.TotalLoadsHeld(), 0);
        if (!fails) {
            EXPECT_TRUE(doc.IsModified());
            EXPECT_EQ(doc.UndoKind(), HISTORY_ADDED);
        }
    }
}

// Mounting a medium that is present but not mounted.
class FakeRemovableMedia : public IRemovableMedia {
public:
    std::vector<std::string> mounted;
    bool succeeds = true;
    std::function<void()> onMount;
    std::vector<UnmountedMedium> ListUnmountedMedia() override { return {}; }
    bool Mount(const std::string& device) override {
        mounted.push_back(device);
        if (onMount) onMount();
        return succeeds;
    }
};

TEST_F(ReadFixture, ANamedDeviceIsMountedBeforeThePrompt) {
    FakeRemovableMedia media;
    services.removableMedia = &media;
    ReadRequest request = Whole();
    request.drive = "/dev/sr0";
    request.path = "/dev/sr0";
    request.sameVolume = SameVolumeAnswer::Add;
    // Mounted at the first attempt: no prompt.
    mediumMissing = 1;
    media.onMount = [] {};
    EXPECT_TRUE(Read(request));
    EXPECT_EQ(media.mounted, std::vector<std::string>{"/dev/sr0"});
    EXPECT_TRUE(rig.m_messages.ShownBoxes().empty());

    // The service cannot mount it: the prompt, and each Retry tries again.
    media.mounted.clear();
    media.succeeds = false;
    mediumChecks = 0;
    mediumMissing = 3;
    rig.m_messages.Answer({MessageAnswer::Retry, MessageAnswer::Cancel});
    EXPECT_FALSE(Read(request));
    EXPECT_EQ(media.mounted.size(), 2u);
    EXPECT_EQ(rig.m_messages.ShownBoxes().size(), 2u);

    // A mount point or folder is never mounted.
    media.mounted.clear();
    mediumChecks = 0;
    mediumMissing = 0;
    request = Whole();
    request.sameVolume = SameVolumeAnswer::Add;
    EXPECT_TRUE(Read(request));
    EXPECT_TRUE(media.mounted.empty());
}

TEST(InsertMediumTextTest, NamesTheDriveAndTheKindOfMedium) {
    EXPECT_EQ(InsertMediumText(u"/dev/sr0", DRIVE_CDROM), u"/dev/sr0 ドライブ に CD-ROM をセットしてください");
    EXPECT_EQ(InsertMediumText(u"/media/usb", DRIVE_REMOVABLE),
              u"/media/usb ドライブ に ディスク をセットしてください");
    EXPECT_EQ(InsertMediumText(u"/mnt", DRIVE_FIXED), u"/mnt ドライブ に ディスク をセットしてください");
}

}  // namespace
}  // namespace volcatra

namespace volcatra {

TEST(FindMountedMediumTest, AMissingFolderAsksForAMediumOnlyWhereMediaAreMounted) {
    char folder[] = "/tmp/volcatra-medium-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    // On a volume that is there, a missing folder is a failed read (the
    // scan cannot open it), not a missing medium.
    const std::optional<MediumRoot> here = FindMountedMedium("", std::string(folder) + "/not/there");
    ASSERT_TRUE(here.has_value());
    EXPECT_TRUE(here->isFolder);
    EXPECT_FALSE(FindMountedMedium("", "/media/volcatra-no-such-medium/photos").has_value());
    EXPECT_FALSE(FindMountedMedium("", "/run/media/user/volcatra-no-such-medium").has_value());
    ::rmdir(folder);
}

}  // namespace volcatra
