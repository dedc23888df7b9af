#include "reading/ui/DriveDlg.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "model/FileNameCodec.h"
#include "platform/MountedVolumes.h"
#include "reading/ReadPath.h"

namespace volcatra {

namespace {

constexpr char kReadDriveKey[] = "Settings/ReadDrive";
constexpr char kReadFlagKey[] = "Settings/ReadFlag";
constexpr int kDefaultReadFlag = 3;
constexpr int kReadIconsBit = 1;
constexpr int kReadArchivesBit = 2;

QString ToQString(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string ToBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

// The drive type of a typed folder: that of the mounted volume holding it.
uint32_t DriveTypeOfFolder(const std::string& path) {
    const std::optional<MountEntry> mount = FindMountedVolume(path);
    return mount ? GetDriveType(*mount) : 0;
}

}  // namespace

QString ChooseFolderWithQt(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

QString ChooseImageFileWithQt(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getOpenFileName(
        parent, title, start, CDriveDlg::tr("ディスクイメージ (*.iso *.bin *.img *.udf);;すべてのファイル (*)"),
        nullptr, QFileDialog::DontUseNativeDialog);
}

CDriveDlg::CDriveDlg(bool isNew, const std::u16string& supportedExtensions, std::vector<DriveItem> items,
                     QSettings& settings, FolderChooser chooseFolder, std::function<void()> help, QWidget* parent)
    : QDialog(parent),
      m_items(std::move(items)),
      m_settings(settings),
      m_chooseFolder(std::move(chooseFolder)),
      m_showHelp(std::move(help)) {
    setObjectName(QStringLiteral("dialog101"));
    setWindowTitle(QtText(isNew ? kNewReadTitle : kAdditionalReadTitle));

    // The controls in their tab order.
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("キャンセル"), this);
    auto* caption = new QLabel(tr("読み取るドライブ・フォルダ"), this);
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    // A typed path is read as typed, not completed to a listed one.
    m_combo->setCompleter(nullptr);
    m_combo->setMinimumContentsLength(28);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    caption->setBuddy(m_combo);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setAutoDefault(false);
    m_browse->setFixedWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    m_image = new QPushButton(tr("イメージ..."), this);
    m_image->setAutoDefault(false);
    m_image->setToolTip(tr("ディスクイメージファイル (.iso, .bin) を選んでディスクとして読み取る"));
    m_icons = new QCheckBox(tr("アイコン情報も読み取る"), this);
    m_archives = new QCheckBox(tr("書庫ファイルの内容も読み取る"), this);
    m_extensions = new QLabel(this);
    m_extensions->setWordWrap(true);
    m_imageAsFile = new QCheckBox(tr("イメージファイルをファイルとして読み取る"), this);
    m_help = new QPushButton(tr("ヘルプ"), this);
    m_help->setAutoDefault(false);
    m_help->setVisible(bool(m_showHelp));
    m_cancel->setAutoDefault(false);

    auto* fields = new QVBoxLayout;
    fields->addWidget(caption);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_combo, 1);
    pathRow->addWidget(m_browse);
    pathRow->addWidget(m_image);
    fields->addLayout(pathRow);
    fields->addSpacing(6);
    fields->addWidget(m_icons);
    fields->addWidget(m_archives);
    fields->addWidget(m_extensions);
    fields->addWidget(m_imageAsFile);
    fields->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    buttons->addWidget(m_help);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_combo);
    setTabOrder(m_combo, m_browse);
    setTabOrder(m_browse, m_image);
    setTabOrder(m_image, m_icons);
    setTabOrder(m_icons, m_archives);
    setTabOrder(m_archives, m_imageAsFile);
    setTabOrder(m_imageAsFile, m_help);
    // The path is what the user types or picks first.
    m_combo->setFocus();

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &CDriveDlg::Browse);
    connect(m_image, &QPushButton::clicked, this, &CDriveDlg::BrowseImage);
    connect(m_help, &QPushButton::clicked, this, [this] {
        if (m_showHelp) m_showHelp();
    });

    // The settings.
    const std::string chosen = NormalizeReadPath(ToBytes(m_settings.value(QLatin1String(kReadDriveKey)).toString()));
    bool ok = false;
    int flags = m_settings.value(QLatin1String(kReadFlagKey)).toString().toInt(&ok);
    if (!ok) flags = kDefaultReadFlag;
    m_icons->setChecked((flags & kReadIconsBit) != 0);
    m_archives->setChecked((flags & kReadArchivesBit) != 0);
    if (!supportedExtensions.empty()) {
        m_extensions->setText(QStringLiteral("(%1)").arg(QString::fromStdU16String(supportedExtensions)));
    } else {
        m_archives->setChecked(false);
        m_archives->setEnabled(false);
    }

    for (const DriveItem& item : m_items) m_combo->addItem(QString::fromStdU16String(item.text));
    const int selected = InitialDriveSelection(m_items, chosen);
    m_combo->setCurrentIndex(selected);
    if (selected < 0) {
        // A folder stays in the edit field; a drive that is gone leaves it empty.
        const bool device = chosen.rfind("/dev/", 0) == 0;
        m_combo->setEditText(device ? QString() : ToQString(chosen));
    }
}

int CDriveDlg::NamedItem(const std::string& normalized) const {
    const int shown = m_combo->findText(m_combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (shown >= 0 && size_t(shown) < m_items.size()) return shown;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].path == normalized) return int(i);
    return -1;
}

void CDriveDlg::Browse() {
    const std::string current = NormalizeReadPath(ToBytes(m_combo->currentText()));
    const int item = NamedItem(current);
    const QString start =
        item >= 0 && m_items[size_t(item)].mounted ? ToQString(m_items[size_t(item)].path) : ToQString(current);
    const QString chosen = m_chooseFolder ? m_chooseFolder(this, QtText(kChooseReadFolderTitle), start) : QString();
    if (chosen.isEmpty()) return;
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(chosen);
}

void CDriveDlg::BrowseImage() {
    const QString start = ToQString(NormalizeReadPath(ToBytes(m_combo->currentText())));
    const QString chosen = m_chooseImage ? m_chooseImage(this, QtText(kChooseImageFileTitle), start) : QString();
    if (chosen.isEmpty()) return;
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(chosen);
}

void CDriveDlg::accept() {
    m_choice.reset();
    const bool icons = m_icons->isChecked();
    const bool archives = m_archives->isEnabled() && m_archives->isChecked();
    const std::string typed = NormalizeReadPath(ToBytes(m_combo->currentText()));
    const int item = NamedItem(typed);
    QDialog::accept();
    const std::string path = item >= 0 ? m_items[size_t(item)].path : typed;
    if (path.empty()) return;

    ReadChoice choice;
    choice.readArchives = archives;
    choice.request.path = path;
    choice.request.readIcons = icons;
    // A typed path that names a disc image is read as the disc it holds,
    // unless the user asked for the file.
    choice.request.readImages = !m_imageAsFile->isChecked();
    if (item >= 0) {
        choice.request.drive = path;
        choice.request.driveType = m_items[size_t(item)].driveType;
    } else {
        choice.request.driveType = DriveTypeOfFolder(path);
    }
    m_choice = std::move(choice);
    m_settings.setValue(QLatin1String(kReadFlagKey), (icons ? kReadIconsBit : 0) | (archives ? kReadArchivesBit : 0));
    m_settings.setValue(QLatin1String(kReadDriveKey), ToQString(path));
}

}  // namespace volcatra
