// Shared pieces of the desktop program's tests: a QApplication for the whole
// run, an application object whose dialogs and message boxes the test
// answers, and catalogues written to a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "CatalogueBuilder.h"
#include "FakeLocateServices.h"
#include "ScriptedMessageService.h"
#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSListView.h"
#include "browsing/FSTreeView.h"
#include "model/CatalogueFile.h"

namespace volcatra::test {

std::unique_ptr<CRootEntry> MakeVolume(std::u16string label, uint32_t driveType = DRIVE_CDROM);

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new application object (the previous one is destroyed first).
    CFSRecApp& MakeApp(std::function<void(AppServices&)> adjust = {});
    CFSRecApp& App() { return *m_app; }
    // Starts the application with these arguments; the start must succeed.
    CFSRecApp& StartApp(const QStringList& arguments = {}, std::function<void(AppServices&)> adjust = {});
    void DestroyApp();

    // Writes the roots as a catalogue file in the temporary folder.
    QString WriteCatalogue(RootList roots, const QString& fileName);
    QString TempPath(const QString& name) const { return m_dir.filePath(name); }

    CChildFrame* ActiveFrame() const;
    CFSTreeView& Tree() const { return *ActiveFrame()->TreeView(); }
    CFSListView& List() const { return *ActiveFrame()->ListView(); }
    // The texts of column 0 of the list, in row order.
    QStringList ListNames() const;
    // Runs posted events and deferred deletions.
    static void Flush();

    ScriptedMessageService m_messages;
    CMemoryClipboard m_clipboard;
    // The mounted volumes and the file manager the windows see: none
    // mounted, and every request recorded.
    FakeVolumeQuery m_volumes;
    RecordingFileManager m_fileManager;
    FakeRemovableMedia m_media;
    // Answers the options sheet, the about box and the other modal dialogs.
    std::function<int(QDialog&)> m_dialogHandler;
    QTemporaryDir m_dir;
    std::unique_ptr<CFSRecApp> m_app;
};

}  // namespace volcatra::test
