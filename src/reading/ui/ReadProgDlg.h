// The read progress dialog: the phase, the path being read, a percentage
// bar and a Cancel button whose press is only recorded. It keeps its owner
// disabled while it is up, so no command can change the catalogue being
// read into.
#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <memory>

#include "model/UiText.h"
#include "reading/ReadProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace volcatra {

inline constexpr UiText kReadProgressTitle = VOLCATRA_TEXT("Reading", "ファイル構造の読み取り中");

class CReadProgDlg : public QDialog, public CReadProgressBase {
    Q_OBJECT
public:
    // Disables owner (when it is enabled) until the dialog is destroyed and
    // shows the dialog over it.
    explicit CReadProgDlg(QWidget* owner);
    ~CReadProgDlg() override;

    // IReadProgress, for reading code on the user-interface thread.
    void SetPhaseText(ReadPhase phase) override;
    void SetPathText(const std::u16string& path) override;
    void PumpMessages() override;
    bool TakeCancelRequest() override;
    void DisableCancel() override;

    // The cancel request, shared with a reader on another thread that may
    // outlive the dialog.
    struct CancelFlag {
        std::atomic<bool> requested{false};
        std::atomic<bool> enabled{true};
        // What the Cancel button does: records a request (once, until taken).
        void Press() {
            if (enabled) requested = true;
        }
        bool Take() { return requested.exchange(false); }
    };
    const std::shared_ptr<CancelFlag>& Cancel() const { return m_cancelFlag; }

    // What the Cancel button and closing the window do.
    void PressCancel() { m_cancelFlag->Press(); }
    // Takes the request without pumping.
    bool TakeCancelFlag() { return m_cancelFlag->Take(); }
    bool CancelPending() const { return m_cancelFlag->requested; }

    // The bar as a reader on another thread drives it.
    void ShowPercent(int percent);
    void ShowBar(bool visible);

    QLabel* PhaseLabel() const { return m_phase; }
    QLabel* PathLabel() const { return m_path; }
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* CancelButton() const { return m_cancel; }
    // How often the bar was given a new percent.
    int PercentUpdates() const { return m_percentUpdates; }
    // The whole path last given, before shortening.
    const QString& FullPath() const { return m_fullPath; }

    void reject() override { PressCancel(); }
    void accept() override {}

protected:
    void OnPercentChanged(int percent) override { ShowPercent(percent); }
    void OnBarVisibility(bool visible) override { ShowBar(visible); }
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowElidedPath();

    QPointer<QWidget> m_owner;
    bool m_ownerDisabled = false;
    std::shared_ptr<CancelFlag> m_cancelFlag = std::make_shared<CancelFlag>();
    int m_percentUpdates = 0;
    QString m_fullPath;
    QLabel* m_phase;
    QLabel* m_path;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};

}  // namespace volcatra
