// Runs the scan of a read on a worker thread while the progress dialog
// stays responsive: one blocking system call (an optical drive spinning
// up, a stalled network mount) cannot freeze the window. The worker's
// progress goes to the dialog as queued updates; its questions are asked
// on the user-interface thread and answered before it goes on. When a
// cancel request stays uncollected for long (a call that does not return),
// the user may abandon the read: the worker is left to end alone and its
// late result is discarded.
#pragma once

#include <chrono>
#include <memory>

#include "platform/MessageService.h"
#include "reading/ReadCommand.h"
#include "reading/ui/ReadProgDlg.h"

namespace volcatra {

// How long a cancel request may wait for the worker before the user is
// asked whether to abandon the read.
inline constexpr std::chrono::milliseconds kAbandonAfter{10000};

// Runs job on a worker thread with a progress object that drives dialog and
// messages asked through `messages` on this thread, and handles this
// thread's events until the job has ended or the user abandoned it.
ScanResult RunScanOnWorker(CReadProgDlg& dialog, IMessageService& messages, const ScanJob& job,
                           std::chrono::milliseconds abandonAfter = kAbandonAfter);

// Scan workers still running (abandoned ones included).
int RunningScanWorkers();

}  // namespace volcatra
