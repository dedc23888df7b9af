// The Qt side of the document's services: message boxes, the system
// clipboard, the save-file dialog and the picture lists of the views.
#pragma once

#include <QFileDialog>
#include <QIcon>
#include <QString>
#include <optional>
#include <vector>

#include "document/DocumentPictures.h"
#include "document/FileSaveDialog.h"
#include "document/VolumeClipboard.h"
#include "platform/MessageService.h"

class QWidget;

namespace volcatra {

// The caption of every message box.
inline constexpr char16_t kMessageCaption[] = u"Volcatra";

// The MIME type that carries one volume payload on the clipboard and in
// drags (the registered clipboard format "File Struct Record" on Windows).
inline constexpr char kVolumeMimeType[] = "application/x-qt-windows-mime;value=\"File Struct Record\"";

// Message boxes with QMessageBox, parented to the active window.
class CQtMessageService : public IMessageService {
public:
    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override;
};

// The system clipboard.
class CQtClipboard : public IClipboard {
public:
    std::optional<std::vector<uint8_t>> GetVolumeData() const override;
    bool HasVolumeData() const override;
    bool SetVolumeData(std::vector<uint8_t> bytes) override;
    bool SetText(const std::u16string& text) override;
};

// Drags with QDrag: the volume payload in the private format, copy or move,
// move when no key is held.
class CQtDragService : public IDragService {
public:
    uint32_t DoDragDrop(const CVolumeData& data, uint32_t allowedEffects) override;
};

// The non-native save dialog that asks CFileSaveDialog when the file type
// changes and when a name is confirmed.
class CSaveFileDialog : public QFileDialog {
    Q_OBJECT
public:
    CSaveFileDialog(QWidget* parent, CFileSaveDialog& logic);
    // The text of the name field.
    QString NameFieldText() const;
    void accept() override;

private:
    void OnFilterSelected(const QString& filter);
    void SetSuffixForType(int index);

    CFileSaveDialog& m_logic;
    // The name field's text when the user began to switch the file type.
    std::optional<QString> m_nameBeforeTypeChange;
};

class CQtSaveDialogHost : public ISaveDialogHost {
public:
    explicit CQtSaveDialogHost(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    bool Run(CFileSaveDialog& dialog) override;

private:
    QWidget* m_parent;
};

// A picture made from a decoded stored image.
QPixmap PixmapFromPicture(const CIconPicture& picture);
// A two-size icon from a stored image pair.
QIcon IconFromPair(const CIconPair& pair);

// The document's picture lists: each position holds one icon with its 32x32
// and 16x16 versions.
class CQtPictureList : public IPictureList {
public:
    bool Create() override;
    int AddFixedPicture(FixedPicture picture) override;
    int AddPicturePair(const CIconPair& pair) override;
    size_t SystemImageCount() const override;

    // The icon at a position; a null icon for positions out of range.
    QIcon Icon(int position) const;
    int Count() const { return int(m_icons.size()); }

private:
    std::vector<QIcon> m_icons;
};

// The icon of a fixed picture from the program's resources (catalogue,
// optical disc, floppy disk, hard disk, blank) or the system list (folders).
QIcon FixedPictureIcon(FixedPicture picture);

}  // namespace volcatra
