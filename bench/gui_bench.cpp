// One start of the desktop program, offscreen, for the desktop benchmark
// (gui_bench.sh): opens a catalogue, shows one folder of it in the tree and
// the list, then sorts that folder by size and by name.
//   volcatra-gui-bench FILE.fsr "[VOLUME] \FOLDER" [START_NS]
// START_NS is the wall-clock time (date +%s%N) at which the caller started
// this process; without it the time counts from the start of main.
// Prints one line:
//   ROWS SINCE_START OPEN SORT_NAME SORT_NAME_CPU RSS_SHOWN_KB
// ROWS: the rows of the folder's list; SINCE_START: seconds from START_NS
// until the tree and the list are filled and painted; OPEN: seconds of the
// same from the call that opens the file; SORT_NAME (SORT_NAME_CPU): wall
// (processor) seconds of a click on the name column when the list is in
// size order, until the list is painted again; RSS_SHOWN_KB: the resident
// size of the process when the folder was first shown (the catalogue and
// the views, without what the open needed only for a while).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSListView.h"
#include "browsing/FSTreeView.h"
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

int64_t NowNs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The process's resident size now (VmRSS), in kilobytes; 0 when /proc
// does not tell.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

// Paints the list and the tree now and handles what that posted.
void PaintNow(CChildFrame& frame) {
    frame.ListView()->ItemView()->repaint();
    frame.TreeView()->repaint();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char* argv[]) {
    const int64_t mainNs = NowNs(CLOCK_REALTIME);
    if (argc < 3) {
        std::fprintf(stderr, "usage: volcatra-gui-bench FILE.fsr \"[VOLUME] \\FOLDER\" [START_NS]\n");
        return 2;
    }
    const int64_t startNs = argc > 3 ? std::strtoll(argv[3], nullptr, 10) : mainNs;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and runtime files of the run stay in a folder of its own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication application(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[1]);
    const std::u16string folder = QString::fromLocal8Bit(argv[2]).toStdU16String();

    CSilentMessages messages;
    CQtClipboard clipboard;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    CFSRecApp app(std::move(services));
    if (!app.InitInstance({})) return 1;
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    if (!app.OpenDocumentFile(path)) return 1;
    CChildFrame* frame = app.MainFrame()->ActiveCatalogueFrame();
    if (!frame || frame->TreeView()->SelectPath(folder) != 0) {
        std::fprintf(stderr, "volcatra-gui-bench: no folder %s\n", argv[2]);
        return 1;
    }
    PaintNow(*frame);
    const double openSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double sinceStart = double(NowNs(CLOCK_REALTIME) - startNs) / 1e9;
    const long shownKb = ResidentKb();
    CFSListView& list = *frame->ListView();
    const int rows = list.Model().rowCount();

    // The folder shows in name order: size order first, so that the click
    // on the name column sorts afresh.
    list.OnColumnClick(SORT_SIZE - 1);
    PaintNow(*frame);
    timer.restart();
    const int64_t cpu0 = NowNs(CLOCK_THREAD_CPUTIME_ID);
    list.OnColumnClick(SORT_NAME - 1);
    PaintNow(*frame);
    const double sortCpu = double(NowNs(CLOCK_THREAD_CPUTIME_ID) - cpu0) / 1e9;
    const double sortSeconds = double(timer.nsecsElapsed()) / 1e9;
    if (list.SortKey() != SORT_NAME) return 1;

    std::printf("%d %.4f %.4f %.4f %.4f %ld\n", rows, sinceStart, openSeconds, sortSeconds, sortCpu, shownKb);
    return 0;
}
