// Runs the scan of a read on a worker thread while the progress dialog
// stays responsive: one blocking system call (an optical drive spinning
// up, a stalled network mount) cannot freeze the window. The worker's
// progress goes to the dialog as queued updates; its questions are asked
// on the user-interface thread and answered before it goes on.
#pragma once

#include <QString>
#include <mutex>

#include "platform/MessageService.h"
#include "reading/ReadCommand.h"
#include "reading/ui/ReadProgDlg.h"

namespace volcatra {

// The progress object the worker sees. It keeps the arithmetic itself and
// sends the dialog only what changes: a new whole percent, the bar shown
// or hidden, the phase, and the latest path (paths given faster than the
// dialog shows them are dropped, not queued).
class CWorkerReadProgress : public CReadProgressBase {
public:
    explicit CWorkerReadProgress(CReadProgDlg& dialog) : m_dialog(&dialog) {}

    void SetPhaseText(ReadPhase phase) override;
    void SetPathText(const std::u16string& path) override;
    // The user-interface thread handles its own events.
    void PumpMessages() override {}
    bool TakeCancelRequest() override;
    void DisableCancel() override;

protected:
    void OnPercentChanged(int percent) override;
    void OnBarVisibility(bool visible) override;

private:
    QPointer<CReadProgDlg> m_dialog;
    std::mutex m_pathLock;
    QString m_pendingPath;
    bool m_pathPosted = false;
};

// Message boxes asked from the worker: shown by `shown` on the thread of
// `context` while the worker waits for the answer.
class CMarshalledMessages : public IMessageService {
public:
    CMarshalledMessages(IMessageService& shown, QObject& context) : m_shown(shown), m_context(&context) {}
    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override;

private:
    IMessageService& m_shown;
    QPointer<QObject> m_context;
};

// Runs job on a worker thread with a CWorkerReadProgress over dialog and
// messages marshalled to this thread, and handles this thread's events
// until the job has ended. The job's result.
bool RunScanOnWorker(CReadProgDlg& dialog, IMessageService& messages, const ScanJob& job);

}  // namespace volcatra
