#include "reading/ui/WorkerRead.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace volcatra {

void CWorkerReadProgress::SetPhaseText(ReadPhase phase) {
    QMetaObject::invokeMethod(
        m_dialog, [dialog = m_dialog, phase] { dialog->SetPhaseText(phase); }, Qt::QueuedConnection);
}

void CWorkerReadProgress::SetPathText(const std::u16string& path) {
    const std::lock_guard lock(m_pathLock);
    m_pendingPath = QString::fromStdU16String(path);
    if (m_pathPosted) return;
    m_pathPosted = true;
    QMetaObject::invokeMethod(
        m_dialog,
        [this, dialog = m_dialog] {
            QString shown;
            {
                const std::lock_guard lock(m_pathLock);
                shown = std::move(m_pendingPath);
                m_pathPosted = false;
            }
            dialog->SetPathText(shown.toStdU16String());
        },
        Qt::QueuedConnection);
}

bool CWorkerReadProgress::TakeCancelRequest() {
    return m_dialog && m_dialog->TakeCancelFlag();
}

void CWorkerReadProgress::DisableCancel() {
    CReadProgressBase::DisableCancel();
    // Blocking, so that no request pressed before it reaches the organising phase.
    QMetaObject::invokeMethod(
        m_dialog, [dialog = m_dialog] { dialog->DisableCancel(); }, Qt::BlockingQueuedConnection);
}

void CWorkerReadProgress::OnPercentChanged(int percent) {
    QMetaObject::invokeMethod(
        m_dialog, [dialog = m_dialog, percent] { dialog->ShowPercent(percent); }, Qt::QueuedConnection);
}

void CWorkerReadProgress::OnBarVisibility(bool visible) {
    QMetaObject::invokeMethod(
        m_dialog, [dialog = m_dialog, visible] { dialog->ShowBar(visible); }, Qt::QueuedConnection);
}

MessageAnswer CMarshalledMessages::Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) {
    MessageAnswer answer = MessageAnswer::Cancel;
    if (!m_context) return answer;
    QMetaObject::invokeMethod(
        m_context, [&] { answer = m_shown.Show(text, buttons, icon); }, Qt::BlockingQueuedConnection);
    return answer;
}

bool RunScanOnWorker(CReadProgDlg& dialog, IMessageService& messages, const ScanJob& job) {
    CWorkerReadProgress progress(dialog);
    CMarshalledMessages marshalled(messages, dialog);
    QEventLoop loop;
    bool result = false;
    std::thread worker([&] {
        try {
            result = job(&progress, marshalled);
        } catch (...) {
            result = false;
        }
        // Queued behind every update the job sent, so that they are shown
        // (and their references used) before the loop ends.
        QMetaObject::invokeMethod(
            &dialog, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return result;
}

}  // namespace volcatra
