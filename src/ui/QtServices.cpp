#include "ui/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDrag>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QTimer>

#include "ui/SysImageList.h"

namespace volcatra {

// --- Message boxes -------------------------------------------------------------

MessageAnswer CQtMessageService::Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromUtf16(kMessageCaption));
    box.setText(QString::fromStdU16String(text));
    QMessageBox::StandardButtons standard;
    switch (buttons) {
        case MessageButtons::Ok:
            standard = QMessageBox::Ok;
            break;
        case MessageButtons::OkCancel:
            standard = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MessageButtons::YesNo:
            standard = QMessageBox::Yes | QMessageBox::No;
            break;
        case MessageButtons::YesNoCancel:
            standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case MessageButtons::RetryCancel:
            standard = QMessageBox::Retry | QMessageBox::Cancel;
            break;
    }
    box.setStandardButtons(standard);
    QMessageBox::Icon shown = QMessageBox::Warning;
    switch (icon) {
        case MessageIcon::Default:
            shown = (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel) ? QMessageBox::Question
                                                                                                 : QMessageBox::Warning;
            break;
        case MessageIcon::Exclamation:
            shown = QMessageBox::Warning;
            break;
        case MessageIcon::Question:
            shown = QMessageBox::Question;
            break;
        case MessageIcon::Stop:
            shown = QMessageBox::Critical;
            break;
        case MessageIcon::Information:
            shown = QMessageBox::Information;
            break;
    }
    box.setIcon(shown);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Retry:
            return MessageAnswer::Retry;
        default:
            return MessageAnswer::Cancel;
    }
}

// --- Clipboard -------------------------------------------------------------------

std::optional<std::vector<uint8_t>> CQtClipboard::GetVolumeData() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kVolumeMimeType))) return std::nullopt;
    const QByteArray bytes = data->data(QString::fromLatin1(kVolumeMimeType));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool CQtClipboard::HasVolumeData() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(kVolumeMimeType));
}

bool CQtClipboard::SetVolumeData(std::vector<uint8_t> bytes) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kVolumeMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

bool CQtClipboard::SetText(const std::u16string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
    return true;
}

// --- Drag and drop ------------------------------------------------------------------

uint32_t CQtDragService::DoDragDrop(const CVolumeData& data, uint32_t allowedEffects) {
    // The drag belongs to the widget it started from: the view that has the
    // focus after the press on its item.
    QObject* source = QApplication::focusWidget();
    if (!source) source = QApplication::activeWindow();
    if (!source) source = qApp;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kVolumeMimeType),
                  QByteArray(reinterpret_cast<const char*>(data.Bytes().data()), qsizetype(data.Bytes().size())));
    QDrag drag(source);
    drag.setMimeData(mime);
    Qt::DropActions actions;
    if (allowedEffects & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (allowedEffects & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    const Qt::DropAction action =
        drag.exec(actions, (allowedEffects & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction);
    switch (action) {
        case Qt::CopyAction:
            return DROPEFFECT_COPY;
        case Qt::MoveAction:
            return DROPEFFECT_MOVE;
        default:
            return DROPEFFECT_NONE;
    }
}

// --- Save dialog -------------------------------------------------------------------

CSaveFileDialog::CSaveFileDialog(QWidget* parent, CFileSaveDialog& logic)
    : QFileDialog(parent, QString::fromStdU16String(logic.Title())), m_logic(logic) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const FileTypeFilter& filter : logic.Filters()) filters << QString::fromStdU16String(filter.m_description);
    setNameFilters(filters);
    const int index = logic.TypeIndex();
    if (index >= 1 && index <= filters.size()) selectNameFilter(filters[index - 1]);
    SetSuffixForType(index);
    selectFile(QString::fromStdU16String(logic.FileName()));
    // Qt replaces the suffix of the name itself when the user picks another
    // type, before it reports the choice; its rule differs (it turns a name
    // into "name.*" for the all-files type and leaves a name without suffix
    // alone). The name as it was before Qt touched it is kept here, so that
    // only the dialog's own rule applies, once.
    // The box reports the choice in the same call that changed its index; a
    // name kept for a change that was not reported (the program's own
    // selectNameFilter) is dropped once that call is over.
    if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        connect(types, &QComboBox::currentIndexChanged, this, [this]() {
            m_nameBeforeTypeChange = NameFieldText();
            QTimer::singleShot(0, this, [this]() { m_nameBeforeTypeChange.reset(); });
        });
    connect(this, &QFileDialog::filterSelected, this, &CSaveFileDialog::OnFilterSelected);
}

void CSaveFileDialog::SetSuffixForType(int index) {
    // A name typed without an extension gets the chosen type's; the
    // all-files type saves a catalogue and so gives the catalogue's.
    setDefaultSuffix(QString::fromStdU16String(m_logic.ExtensionOf(index)).mid(1));
}

QString CSaveFileDialog::NameFieldText() const {
    const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QString();
}

void CSaveFileDialog::OnFilterSelected(const QString& filter) {
    const int index = int(nameFilters().indexOf(filter)) + 1;
    const QString before = m_nameBeforeTypeChange.value_or(NameFieldText());
    m_nameBeforeTypeChange.reset();
    const QString name = QString::fromStdU16String(m_logic.OnTypeChange(before.toStdU16String(), index));
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(name);
    SetSuffixForType(index);
}

void CSaveFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.isEmpty() || NameFieldText().isEmpty()) return;
    const int index = int(nameFilters().indexOf(selectedNameFilter())) + 1;
    if (!m_logic.Confirm(files.front().toStdU16String(), index)) return;
    QFileDialog::accept();
}

bool CQtSaveDialogHost::Run(CFileSaveDialog& dialog) {
    CSaveFileDialog box(m_parent, dialog);
    return box.exec() == QDialog::Accepted;
}

// --- Pictures -------------------------------------------------------------------------

QPixmap PixmapFromPicture(const CIconPicture& picture) {
    QImage image(picture.m_size, picture.m_size, QImage::Format_ARGB32);
    for (int y = 0; y < picture.m_size; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < picture.m_size; ++x) line[x] = picture.m_pixels[size_t(y * picture.m_size + x)];
    }
    return QPixmap::fromImage(image);
}

QIcon IconFromPair(const CIconPair& pair) {
    QIcon icon;
    icon.addPixmap(PixmapFromPicture(pair.m_large));
    icon.addPixmap(PixmapFromPicture(pair.m_small));
    return icon;
}

QIcon FixedPictureIcon(FixedPicture picture) {
    CSysImageList& system = CSysImageList::Instance();
    const auto resource = [](const char* name) {
        QIcon icon;
        icon.addFile(QStringLiteral(":/volcatra/%1-16.png").arg(QLatin1String(name)), QSize(16, 16));
        icon.addFile(QStringLiteral(":/volcatra/%1-32.png").arg(QLatin1String(name)), QSize(32, 32));
        return icon;
    };
    switch (picture) {
        case FixedPicture::OpenFolder:
            return system.Icon(CSysImageList::kOpenFolder);
        case FixedPicture::ClosedFolder:
            return system.Icon(CSysImageList::kFolder);
        case FixedPicture::Catalogue:
            return resource("catalogue");
        case FixedPicture::OpticalDisc:
            return resource("optical-disc");
        case FixedPicture::FloppyDisk:
            return resource("floppy-disk");
        case FixedPicture::HardDisk:
            return resource("hard-disk");
        case FixedPicture::Transparent:
            return resource("blank");
    }
    return {};
}

bool CQtPictureList::Create() {
    m_icons.clear();
    m_icons.reserve(128);
    return true;
}

int CQtPictureList::AddFixedPicture(FixedPicture picture) {
    QIcon icon = FixedPictureIcon(picture);
    if (icon.isNull()) return -1;
    m_icons.push_back(std::move(icon));
    return int(m_icons.size()) - 1;
}

int CQtPictureList::AddPicturePair(const CIconPair& pair) {
    if (pair.m_large.m_size <= 0 || pair.m_small.m_size <= 0) return -1;
    m_icons.push_back(IconFromPair(pair));
    return int(m_icons.size()) - 1;
}

size_t CQtPictureList::SystemImageCount() const {
    return size_t(CSysImageList::Instance().Count());
}

QIcon CQtPictureList::Icon(int position) const {
    if (position < 0 || size_t(position) >= m_icons.size()) return {};
    return m_icons[size_t(position)];
}

}  // namespace volcatra
