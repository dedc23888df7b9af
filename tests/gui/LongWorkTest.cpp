// Long work on a worker thread: the windows repaint and run their timers
// meanwhile, the wait cursor and the progress dialog show, no window closes,
// and a failure of the work comes back to the caller.
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "GuiTestSupport.h"
#include "ui/LongWorkRunner.h"

namespace volcatra::test {
namespace {

// Waits on the worker until the flag is set, at most five seconds.
bool WaitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 500 && !flag.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return flag.load();
}

CLongWorkDialog* ShownDialog() {
    auto* dialog = qobject_cast<CLongWorkDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

TEST(LongWorkTest, WindowsStayAliveAndOpenWhileWorkRuns) {
    QWidget window;
    window.show();
    std::atomic<bool> seen{false};
    QString text, caption;
    bool waitCursor = false, closed = true;
    // The user-interface thread looks while the worker waits for it.
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&]() {
        CLongWorkDialog* dialog = ShownDialog();
        if (seen.load() || !dialog) return;
        text = dialog->Text();
        caption = dialog->windowTitle();
        waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        closed = window.close() || dialog->close();
        seen.store(true);
    });
    look.start(10);
    bool waited = false;
    CQtLongWorkRunner().Run(u"big.csv を保存しています...", true, [&]() { waited = WaitFor(seen); });
    look.stop();
    EXPECT_TRUE(waited);
    EXPECT_EQ(text, QStringLiteral("big.csv を保存しています..."));
    EXPECT_EQ(caption, QStringLiteral("Volcatra"));
    EXPECT_TRUE(waitCursor);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(window.isVisible());
    // Afterwards everything is as before.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ShownDialog(), nullptr);
    EXPECT_TRUE(window.close());
}

TEST(LongWorkTest, ProgressShowsOnceTheWorkTakesLong) {
    std::atomic<bool> shown{false};
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&]() {
        if (ShownDialog()) shown.store(true);
    });
    look.start(10);
    QElapsedTimer clock;
    clock.start();
    qint64 shownAfter = -1;
    CQtLongWorkRunner().Run(u"a.fsr を保存しています...", false, [&]() {
        if (WaitFor(shown)) shownAfter = clock.elapsed();
    });
    look.stop();
    EXPECT_GE(shownAfter, CQtLongWorkRunner::kShowAfterMs - 50);
}

TEST(LongWorkTest, FailuresComeBackToTheCaller) {
    CQtLongWorkRunner runner;
    EXPECT_THROW(runner.Run(u"x", false, []() { throw CatalogueError::General("broken"); }), CatalogueError);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    int runs = 0;
    runner.Run(u"x", false, [&runs]() { ++runs; });
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace volcatra::test
