#include "app/AppDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/FSRecApp.h"
#include "ui/QtText.h"

namespace volcatra {

COptPropPage1::COptPropPage1(uint32_t flags, QWidget* parent) : QWidget(parent) {
    m_openLastFile = (flags & AF_OPEN_LAST_FILE) != 0;
    m_sizeInBytes = (flags & AF_SIZE_IN_BYTES) != 0;
    m_addExtension = (flags & AF_ADD_EXTENSION) != 0;
    m_openLastFileBox = new QCheckBox(tr("起動時に、前回使用していたファイルを開く"), this);
    m_sizeInBytesBox = new QCheckBox(tr("ファイルサイズをバイト単位で表示する"), this);
    m_addExtensionBox = new QCheckBox(tr("保存時に、拡張子を補完する"), this);
    // The box exists but is not shown: its bit is only carried through.
    m_addExtensionBox->setVisible(false);
    m_openLastFileBox->setChecked(m_openLastFile);
    m_sizeInBytesBox->setChecked(m_sizeInBytes);
    m_addExtensionBox->setChecked(m_addExtension);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_openLastFileBox);
    layout->addWidget(m_sizeInBytesBox);
    layout->addWidget(m_addExtensionBox);
    layout->addStretch();
    for (QCheckBox* box : {m_openLastFileBox, m_sizeInBytesBox, m_addExtensionBox})
        connect(box, &QCheckBox::toggled, this, &COptPropPage1::Changed);
}

void COptPropPage1::UpdateMembers() {
    m_openLastFile = m_openLastFileBox->isChecked();
    m_sizeInBytes = m_sizeInBytesBox->isChecked();
    m_addExtension = m_addExtensionBox->isChecked();
}

uint32_t COptPropPage1::ApplyTo(uint32_t flags) const {
    const auto set = [&flags](uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); };
    set(AF_OPEN_LAST_FILE, m_openLastFile);
    set(AF_ADD_EXTENSION, m_addExtension);
    set(AF_SIZE_IN_BYTES, m_sizeInBytes);
    return flags;
}

COptionsSheet::COptionsSheet(CFSRecApp& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(tr("オプションの設定"));
    auto* tabs = new QTabWidget(this);
    m_page = new COptPropPage1(app.m_appFlags, tabs);
    tabs->addTab(m_page, tr(" 全般 "));
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_apply->setText(tr("適用(&A)"));
    m_apply->setEnabled(false);
    connect(m_page, &COptPropPage1::Changed, this, [this]() { m_apply->setEnabled(true); });
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &COptionsSheet::Apply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void COptionsSheet::Apply() {
    m_page->UpdateMembers();
    m_app.StoreAppFlags(m_page->ApplyTo(m_app.m_appFlags));
    m_apply->setEnabled(false);
}

void COptionsSheet::accept() {
    Apply();
    QDialog::accept();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("バージョン情報"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/volcatra/app-32.png")).pixmap(32, 32));
    auto* name = new QLabel(QtText(kMainTitle) + QStringLiteral(" Version ") + QLatin1String(kAppVersion), this);
    name->setObjectName(QStringLiteral("VersionText"));
    auto* line = new QLabel(tr("メディアのファイル構成を記録するカタログ ツール"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(line);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

}  // namespace volcatra
