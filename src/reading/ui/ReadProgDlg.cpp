#include "reading/ui/ReadProgDlg.h"
#include "ui/QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace volcatra {

CReadProgDlg::CReadProgDlg(QWidget* owner) : QDialog(nullptr), m_owner(owner) {
    setObjectName(QStringLiteral("dialog102"));
    setWindowTitle(QtText(kReadProgressTitle));
    // A caption with the system menu only: the window cannot be resized.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);

    m_phase = new QLabel(this);
    m_path = new QLabel(this);
    m_path->setWordWrap(false);
    m_path->setTextFormat(Qt::PlainText);
    m_path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(tr("キャンセル"), this);
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &CReadProgDlg::PressCancel);
    // The focused default button would take Enter as a click.
    m_cancel->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_phase);
    layout->addWidget(m_path);
    layout->addWidget(m_bar);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cancel);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    // About 186 x 84 dialog units.
    const int unit = fontMetrics().averageCharWidth();
    setFixedSize(qMax(unit * 186 / 4, 320), sizeHint().height());

    if (m_owner && m_owner->isEnabled()) {
        m_owner->setEnabled(false);
        m_ownerDisabled = true;
    }
    if (m_owner) {
        const QRect frame = m_owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

CReadProgDlg::~CReadProgDlg() {
    if (m_ownerDisabled && m_owner) m_owner->setEnabled(true);
}

void CReadProgDlg::SetPhaseText(ReadPhase phase) {
    m_phase->setText(QString::fromStdU16String(ReadPhaseText(phase)));
}

void CReadProgDlg::SetPathText(const std::u16string& path) {
    m_fullPath = QString::fromStdU16String(path);
    ShowElidedPath();
}

void CReadProgDlg::ShowElidedPath() {
    const int width = m_path->width();
    m_path->setText(m_path->fontMetrics().elidedText(m_fullPath, Qt::ElideMiddle, width - width / 16));
}

void CReadProgDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowElidedPath();
}

void CReadProgDlg::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool CReadProgDlg::TakeCancelRequest() {
    PumpMessages();
    return TakeCancelFlag();
}

void CReadProgDlg::DisableCancel() {
    m_cancelFlag->enabled = false;
    m_cancelFlag->requested = false;
    m_cancel->setEnabled(false);
}

void CReadProgDlg::ShowPercent(int percent) {
    ++m_percentUpdates;
    m_bar->setValue(percent);
}

void CReadProgDlg::ShowBar(bool visible) {
    m_bar->setVisible(visible);
}

void CReadProgDlg::keyPressEvent(QKeyEvent* event) {
    // Enter neither closes the dialog nor cancels the read.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CReadProgDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CReadProgDlg::closeEvent(QCloseEvent* event) {
    PressCancel();
    event->ignore();
}

}  // namespace volcatra
