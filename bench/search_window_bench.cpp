// Runs a search from the search window offscreen over a folder of catalogue
// files and prints the time until the count appears in the status bar and
// the time of one sort of the result list by name, next to volcatra-cli
// search over the same files in the same run.
//   volcatra-search-window-bench PATH/TO/volcatra-cli FOLDER [NAME]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "search/ui/FSFindView.h"
#include "search/ui/FindFrame.h"
#include "search/ui/SearchWindows.h"
#include "ui/QtServices.h"

namespace {

using namespace volcatra;

class CPrintingMessages : public IMessageService {
public:
    MessageAnswer Show(const std::u16string& text, MessageButtons, MessageIcon) override {
        std::fprintf(stderr, "message: %s\n", QString::fromStdU16String(text).toUtf8().constData());
        return MessageAnswer::Ok;
    }
};

double Seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

// The processor time of this thread: on a busy machine the wall time
// also counts other programs' turns.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: volcatra-search-window-bench PATH/TO/volcatra-cli FOLDER [NAME]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("*.jpg");

    QElapsedTimer timer;
    timer.start();
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("search"), QStringLiteral("--in"), folder, name});
    cli.waitForFinished(-1);
    const double cliSeconds = Seconds(timer);

    CPrintingMessages messages;
    CQtClipboard clipboard;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    CFSRecApp app(std::move(services));
    if (!app.InitInstance({})) return 1;
    CFindFrame* frame = app.SearchWindows().OpenSearchWindow(nullptr);
    if (!frame) return 1;
    frame->resize(1000, 700);
    QApplication::processEvents();
    frame->Bar()->NameBox()->setEditText(name);
    frame->Bar()->PlaceBox()->setEditText(folder);

    // The longest stretch without dispatched events tells how responsive
    // the window stays while the hits arrive.
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&]() {
        if (sinceTick.isValid()) longestGap = std::max(longestGap, sinceTick.elapsed());
        sinceTick.start();
    });
    tick.start();
    timer.restart();
    frame->RunCommand(ID_SEARCH_START);
    frame->View()->DetailsView()->repaint();
    const double searchSeconds = Seconds(timer);
    tick.stop();
    const QString status = app.MainFrame()->statusBar()->currentMessage();
    const int rows = frame->View()->Model().rowCount();

    double cpu = ThreadSeconds();
    timer.restart();
    frame->View()->MenuSort(0);
    frame->View()->DetailsView()->repaint();
    const double sortSeconds = Seconds(timer);
    const double sortCpu = ThreadSeconds() - cpu;
    cpu = ThreadSeconds();
    timer.restart();
    frame->View()->OnColumnClick(2);
    frame->View()->DetailsView()->repaint();
    const double sizeSortSeconds = Seconds(timer);
    const double sizeSortCpu = ThreadSeconds() - cpu;
    std::printf("hits %d; status \"%s\"\n", rows, status.toUtf8().constData());
    std::printf("volcatra-cli search:              %8.3f s (exit %d)\n", cliSeconds, cli.exitCode());
    std::printf("search window, until the count:   %8.3f s (longest pause of the event loop %lld ms)\n", searchSeconds,
                static_cast<long long>(longestGap));
    std::printf("ratio window / cli:               %8.2f\n", cliSeconds > 0 ? searchSeconds / cliSeconds : 0.0);
    std::printf("sort by name:                     %8.3f s (processor %.3f s)\n", sortSeconds, sortCpu);
    std::printf("sort by size:                     %8.3f s (processor %.3f s)\n", sizeSortSeconds, sizeSortCpu);
    return rows > 0 ? 0 : 1;
}
