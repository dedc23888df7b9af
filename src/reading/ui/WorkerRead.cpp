#include "reading/ui/WorkerRead.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/VectorState.h"

namespace volcatra {

namespace {

std::atomic<int> g_runningWorkers{0};

// What a worker and the user-interface thread share. Everything but the
// cancel flag and the pending path is used on the user-interface thread
// only: the worker reaches it through functions queued to that thread,
// which find the channel closed after an abandon.
struct WorkerChannel {
    QPointer<CReadProgDlg> dialog;
    IMessageService* messages = nullptr;
    std::shared_ptr<CReadProgDlg::CancelFlag> cancel;
    bool open = true;
    QEventLoop* loop = nullptr;
    bool finished = false;
    bool result = false;

    std::mutex pathLock;
    QString pendingPath;
    bool pathPosted = false;

    // Runs f on the user-interface thread later, when the dialog is still there.
    template <class F>
    static void Post(const std::shared_ptr<WorkerChannel>& channel, F f) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [channel, f = std::move(f)] {
                if (channel->open && channel->dialog) f(*channel->dialog);
            },
            Qt::QueuedConnection);
    }
};

// The progress object the worker sees. It keeps the arithmetic itself and
// sends the dialog only what changes: a new whole percent, the bar shown
// or hidden, the phase, and the latest path (paths given faster than the
// dialog shows them are dropped, not queued).
class CWorkerReadProgress : public CReadProgressBase {
public:
    explicit CWorkerReadProgress(std::shared_ptr<WorkerChannel> channel) : m_channel(std::move(channel)) {}

    void SetPhaseText(ReadPhase phase) override {
        WorkerChannel::Post(m_channel, [phase](CReadProgDlg& dialog) { dialog.SetPhaseText(phase); });
    }
    void SetPathText(const std::u16string& path) override {
        WorkerChannel& c = *m_channel;
        const std::lock_guard lock(c.pathLock);
        c.pendingPath = QString::fromStdU16String(path);
        if (c.pathPosted) return;
        c.pathPosted = true;
        WorkerChannel::Post(m_channel, [channel = m_channel](CReadProgDlg& dialog) {
            QString shown;
            {
                const std::lock_guard lock(channel->pathLock);
                shown = std::move(channel->pendingPath);
                channel->pathPosted = false;
            }
            dialog.SetPathText(shown.toStdU16String());
        });
    }
    // The user-interface thread handles its own events.
    void PumpMessages() override {}
    bool TakeCancelRequest() override { return m_channel->cancel->Take(); }
    void DisableCancel() override {
        CReadProgressBase::DisableCancel();
        m_channel->cancel->enabled = false;
        m_channel->cancel->requested = false;
        WorkerChannel::Post(m_channel, [](CReadProgDlg& dialog) { dialog.DisableCancel(); });
    }

protected:
    void OnPercentChanged(int percent) override {
        WorkerChannel::Post(m_channel, [percent](CReadProgDlg& dialog) { dialog.ShowPercent(percent); });
    }
    void OnBarVisibility(bool visible) override {
        WorkerChannel::Post(m_channel, [visible](CReadProgDlg& dialog) { dialog.ShowBar(visible); });
    }

private:
    std::shared_ptr<WorkerChannel> m_channel;
};

// Message boxes asked from the worker, shown on the user-interface thread
// while the worker waits. After an abandon nobody is asked: a question
// whether to stop is answered Yes, everything else Cancel.
class CMarshalledMessages : public IMessageService {
public:
    explicit CMarshalledMessages(std::shared_ptr<WorkerChannel> channel) : m_channel(std::move(channel)) {}

    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override {
        MessageAnswer answer = buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Cancel;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&, channel = m_channel] {
                if (channel->open) answer = channel->messages->Show(text, buttons, icon);
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }

private:
    std::shared_ptr<WorkerChannel> m_channel;
};

}  // namespace

int RunningScanWorkers() {
    return g_runningWorkers.load();
}

ScanResult RunScanOnWorker(CReadProgDlg& dialog, IMessageService& messages, const ScanJob& job,
                           std::chrono::milliseconds abandonAfter) {
    auto channel = std::make_shared<WorkerChannel>();
    channel->dialog = &dialog;
    channel->messages = &messages;
    channel->cancel = dialog.Cancel();
    QEventLoop loop;
    channel->loop = &loop;

    // A cancel request the worker has not collected for abandonAfter: the
    // user decides whether to leave the worker behind.
    QTimer watch;
    QElapsedTimer pendingSince;
    bool asking = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (asking || channel->finished) return;
        if (!dialog.CancelPending()) {
            pendingSince.invalidate();
            return;
        }
        if (!pendingSince.isValid()) pendingSince.start();
        if (pendingSince.elapsed() < abandonAfter.count()) return;
        pendingSince.invalidate();
        // Taken here, so that the worker does not ask the same question.
        if (!dialog.TakeCancelFlag()) return;
        asking = true;
        const bool abandon =
            messages.Show(Tr(kCancelReadQuestion), MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes;
        asking = false;
        if (abandon && !channel->finished) {
            channel->open = false;
            loop.quit();
        }
    });
    watch.start(int(std::max<std::chrono::milliseconds::rep>(abandonAfter.count() / 4, 10)));

    ++g_runningWorkers;
    std::thread worker([channel, job] {
        ClearUpperVectorState();
        bool result = false;
        {
            CWorkerReadProgress progress(channel);
            CMarshalledMessages marshalled(channel);
            try {
                result = job(&progress, marshalled);
            } catch (...) {
                result = false;
            }
        }
        // Queued behind every update the job sent, so that they are shown
        // before the loop ends.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [channel, result] {
                if (!channel->open) return;
                channel->finished = true;
                channel->result = result;
                if (channel->loop) channel->loop->quit();
            },
            Qt::QueuedConnection);
        --g_runningWorkers;
    });
    loop.exec();
    watch.stop();
    channel->loop = nullptr;
    if (!channel->finished) {
        // Abandoned: the job owns what it works on and ends alone.
        channel->open = false;
        worker.detach();
        return std::nullopt;
    }
    worker.join();
    return channel->result;
}

}  // namespace volcatra
