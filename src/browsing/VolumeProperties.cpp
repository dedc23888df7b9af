#include "browsing/VolumeProperties.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "document/Document.h"
#include "model/FileEntry.h"

namespace volcatra {

QString FormatSerialNumber(uint32_t serialNumber) {
    return QStringLiteral("%1 - %2")
        .arg(serialNumber >> 16, 4, 16, QLatin1Char('0'))
        .arg(serialNumber & 0xFFFF, 4, 16, QLatin1Char('0'))
        .toUpper();
}

namespace {

QLineEdit* ReadOnlyField(const QString& text, bool rightAligned, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    if (rightAligned) field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return field;
}

// The height of a text field showing lines lines.
int LinesHeight(const QPlainTextEdit& edit, int lines) {
    const QMargins margins = edit.contentsMargins();
    return edit.fontMetrics().lineSpacing() * lines + int(edit.document()->documentMargin() * 2) + margins.top() +
           margins.bottom() + 2 * edit.frameWidth();
}

}  // namespace

CPropPage1::CPropPage1(CRootEntry& root, QWidget* parent) : QWidget(parent), m_root(root) {
    setObjectName(QStringLiteral("PropPage1"));
    m_label = new QPlainTextEdit(QString::fromStdU16String(root.m_volumeName), this);
    m_label->setReadOnly(true);
    m_label->setObjectName(QStringLiteral("VolumeLabel"));
    m_label->setFixedHeight(LinesHeight(*m_label, 2));
    m_label->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_serial = ReadOnlyField(FormatSerialNumber(root.m_serialNumber), false, this);
    m_folders = ReadOnlyField(QString::number(root.m_folderCount), true, this);
    m_files = ReadOnlyField(QString::number(root.m_fileCount), true, this);
    m_iconCount = ReadOnlyField(QString::number(root.m_icons.GetCount()), true, this);
    m_comment = new QPlainTextEdit(QString::fromStdU16String(root.m_comment), this);
    m_comment->setObjectName(QStringLiteral("Comment"));
    m_comment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_comment->setTabChangesFocus(true);

    auto* grid = new QGridLayout(this);
    const auto addRow = [&](int row, const QString& text, QWidget* field, Qt::Alignment alignment = {}) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0, alignment | Qt::AlignLeft);
        grid->addWidget(field, row, 1);
    };
    addRow(0, tr("ボリュームラベル ："), m_label, Qt::AlignTop);
    addRow(1, tr("シリアル番号 ："), m_serial);
    addRow(2, tr("フォルダの数 ："), m_folders);
    addRow(3, tr("ファイルの数 ："), m_files);
    addRow(4, tr("アイコンの数 ："), m_iconCount);
    addRow(5, tr("コメント ："), m_comment, Qt::AlignTop);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);

    connect(m_comment, &QPlainTextEdit::textChanged, this, [this] { emit Modified(true); });
}

void CPropPage1::OnApply() {
    const std::u16string text = m_comment->toPlainText().toStdU16String();
    if (text != m_root.m_comment) {
        m_root.m_comment = text;
        m_commentChanged = true;
    }
    emit Modified(false);
}

CVolumePropertySheet::CVolumePropertySheet(CRootEntry& root, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("VolumePropertySheet"));
    setWindowTitle(tr("%1 のプロパティ").arg(QString::fromStdU16String(root.GetDisplayName())));
    auto* tabs = new QTabWidget(this);
    m_page = new CPropPage1(root, tabs);
    tabs->addTab(m_page, tr("情報"));
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_apply->setText(tr("適用(&A)"));
    m_apply->setEnabled(false);
    connect(m_page, &CPropPage1::Modified, m_apply, &QPushButton::setEnabled);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVolumePropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CVolumePropertySheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &CVolumePropertySheet::Apply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(380, 380);
    m_page->CommentEdit()->setFocus();
}

void CVolumePropertySheet::Apply() {
    m_page->OnApply();
}

void CVolumePropertySheet::accept() {
    m_page->OnApply();
    QDialog::accept();
}

void ShowVolumeProperties(CRootEntry& root, CDocument& document, QWidget* parent,
                          const std::function<int(QDialog&)>& run) {
    CVolumePropertySheet sheet(root, parent);
    if (run)
        run(sheet);
    else
        sheet.exec();
    if (sheet.Page().CommentChanged()) document.SetModifiedFlag(true);
}

}  // namespace volcatra
