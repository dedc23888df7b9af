#include "ui/LongWorkRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/VectorState.h"
#include "ui/QtServices.h"

namespace volcatra {

namespace {

// While installed on the application, no window closes: a close request
// from the window manager or the program's own commands waits for the end
// of the work (user input is held back by the waiting loop itself).
class CCloseBlocker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

CLongWorkDialog::CLongWorkDialog(QWidget* parent, const QString& text)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QString::fromUtf16(kMessageCaption));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(text, this);
    layout->addWidget(m_text);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);  // busy: the work does not tell how far it is
    bar->setTextVisible(false);
    bar->setMinimumWidth(320);
    layout->addWidget(bar);
}

QString CLongWorkDialog::Text() const {
    return m_text->text();
}

void CLongWorkDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CLongWorkDialog::keyPressEvent(QKeyEvent* event) {
    // Escape would reject the dialog; it stays until the work is done.
    event->accept();
}

void CQtLongWorkRunner::Run(const std::u16string& text, bool showAtOnce, const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CCloseBlocker blocker;
    qApp->installEventFilter(&blocker);
    CLongWorkDialog dialog(QApplication::activeWindow(), QString::fromStdU16String(text));
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker;
    try {
        worker = std::thread([&]() {
            ClearUpperVectorState();
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            done.store(true);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the work runs here, the window waits.
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
    }
    QTimer show;
    show.setSingleShot(true);
    QObject::connect(&show, &QTimer::timeout, &dialog, [&dialog]() { dialog.show(); });
    if (!done.load()) show.start(showAtOnce ? 0 : kShowAfterMs);
    // Repaints, timers and the worker's end are handled meanwhile; the
    // user's clicks and keys wait in the queue until the work is done. A quit
    // that arrives before the loop runs is lost, hence the check of done.
    while (!done.load()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (worker.joinable()) worker.join();
    show.stop();
    dialog.hide();
    qApp->removeEventFilter(&blocker);
    QApplication::restoreOverrideCursor();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace volcatra
