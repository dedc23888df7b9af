// Opens a synthetic catalogue of 1,000,000 entries with a folder of 100,000
// entries offscreen and prints the time until the tree and that folder's
// list are filled and painted, next to the time volcatra-cli info needs for
// the same file (the load alone).
//   volcatra-gui-bench PATH/TO/volcatra-cli [ENTRIES] [BIG_FOLDER]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/FSListView.h"
#include "browsing/FSTreeView.h"
#include "model/CatalogueFile.h"
#include "ui/QtServices.h"

namespace {

using namespace volcatra;

class CSilentMessages : public IMessageService {
public:
    MessageAnswer Show(const std::u16string& text, MessageButtons, MessageIcon) override {
        std::fprintf(stderr, "message: %s\n", QString::fromStdU16String(text).toUtf8().constData());
        return MessageAnswer::Cancel;
    }
};

// One volume: a folder "big" with bigFolder files, and the other entries
// spread over folders of 100 files each, ten folders per parent.
RootList MakeCatalogue(size_t entries, size_t bigFolder) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"BENCH";
    root->m_driveType = DRIVE_FIXED;
    root->m_childIndex = 0;
    root->m_folders.push_back(std::make_unique<CFileArray>());
    root->m_folders[0]->m_path = u"\\";
    const auto addFolder = [&root](CFileArray& parent, std::u16string name) -> CFileArray& {
        auto entry = std::make_unique<CFileEntry>();
        entry->m_name = name;
        entry->m_attributes = FA_DIRECTORY;
        entry->m_time = 1'600'000'000;
        entry->m_childIndex = int32_t(root->m_folders.size());
        root->m_folders.push_back(std::make_unique<CFileArray>());
        root->m_folders.back()->m_path = parent.m_path + u"\\" + name;
        parent.m_entries.push_back(std::move(*entry));
        return *root->m_folders.back();
    };
    const auto addFile = [](CFileArray& folder, size_t n) {
        auto entry = std::make_unique<CFileEntry>();
        static const char16_t* const extensions[] = {u".txt", u".jpg", u".mp3", u".pdf", u".cpp", u".zip", u".html"};
        entry->m_name = u"file" + QString::number(qulonglong(n)).toStdU16String() + extensions[n % 7];
        entry->m_attributes = FA_ARCHIVE;
        entry->m_size = (n * 7919) % 10'000'000;
        entry->m_time = 1'500'000'000 + int64_t(n);
        folder.m_entries.push_back(std::move(*entry));
    };
    CFileArray& big = addFolder(*root->m_folders[0], u"big");
    size_t made = 1;
    for (size_t i = 0; i < bigFolder; ++i, ++made) addFile(big, i);
    size_t folderNumber = 0;
    std::vector<size_t> parents = {0};
    while (made < entries) {
        CFileArray& parent = *root->m_folders[parents[folderNumber / 10 % parents.size()]];
        CFileArray& folder = addFolder(parent, u"d" + QString::number(qulonglong(folderNumber)).toStdU16String());
        parents.push_back(root->m_folders.size() - 1);
        ++folderNumber;
        ++made;
        for (size_t i = 0; i < 100 && made < entries; ++i, ++made) addFile(folder, made);
    }
    root->m_fileCount = uint32_t(made);
    RootList roots;
    roots.push_back(std::move(root));
    return roots;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and runtime files of the run stay in a folder of its own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: volcatra-gui-bench PATH/TO/volcatra-cli [ENTRIES] [BIG_FOLDER]\n");
        return 2;
    }
    const size_t entries = argc > 2 ? size_t(std::atoll(argv[2])) : 1'000'000;
    const size_t bigFolder = argc > 3 ? size_t(std::atoll(argv[3])) : 100'000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.fsr"));
    {
        RootList roots = MakeCatalogue(entries, bigFolder);
        SaveCatalogueFile(QFile::encodeName(path).toStdString(), std::vector<CRootEntry*>{roots[0].get()});
    }

    QElapsedTimer timer;
    timer.start();
    QProcess cli;
    cli.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("info"), path});
    cli.waitForFinished(-1);
    const double cliSeconds = double(timer.nsecsElapsed()) / 1e9;

    CSilentMessages messages;
    CQtClipboard clipboard;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    CFSRecApp app(std::move(services));
    if (!app.InitInstance({})) return 1;
    QApplication::processEvents();
    timer.restart();
    if (!app.OpenDocumentFile(path)) return 1;
    CChildFrame* frame = app.MainFrame()->ActiveCatalogueFrame();
    CFSTreeView* tree = frame->TreeView();
    tree->SelectPath(u"[BENCH] \\big");
    frame->ListView()->ItemView()->repaint();
    tree->repaint();
    QApplication::processEvents();
    const double guiSeconds = double(timer.nsecsElapsed()) / 1e9;
    const int rows = frame->ListView()->Model().rowCount();

    std::printf("entries %zu, big folder %d rows\n", entries, rows);
    std::printf("volcatra-cli info (load):      %8.3f s (exit %d)\n", cliSeconds, cli.exitCode());
    std::printf("volcatra open, tree and list:  %8.3f s\n", guiSeconds);
    std::printf("ratio gui / cli:               %8.2f\n", cliSeconds > 0 ? guiSeconds / cliSeconds : 0.0);
    return rows == int(bigFolder) ? 0 : 1;
}
