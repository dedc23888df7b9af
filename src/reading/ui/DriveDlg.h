// The read dialog: the drive or folder to read and the two read options.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/UiText.h"
#include "reading/DriveList.h"
#include "reading/ReadCommand.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSettings;

namespace volcatra {

inline constexpr UiText kReadDialogTitle = VOLCATRA_TEXT("Reading", "読み取り");
inline constexpr UiText kNewReadTitle = VOLCATRA_TEXT("Reading", "新規読み取り");
inline constexpr UiText kAdditionalReadTitle = VOLCATRA_TEXT("Reading", "追加読み取り");
inline constexpr UiText kChooseReadFolderTitle = VOLCATRA_TEXT("Reading", "読み取るフォルダ");
inline constexpr UiText kChooseImageFileTitle = VOLCATRA_TEXT("Reading", "読み取るイメージファイル");

// The folder chooser behind "...": (parent, title, preselected folder) →
// the chosen folder, or empty.
using FolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

// The non-native folder chooser of Qt.
QString ChooseFolderWithQt(QWidget* parent, const QString& title, const QString& start);

// The chooser of a disc image file: (parent, title, preselected path) → the
// chosen file, or empty.
using ImageFileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

// The non-native file chooser of Qt, offering disc images first.
QString ChooseImageFileWithQt(QWidget* parent, const QString& title, const QString& start);

class CDriveDlg : public QDialog {
    Q_OBJECT
public:
    // items: the drop-down list; settings: where "Settings/ReadDrive" and
    // "Settings/ReadFlag" live; help: opens the help on reading (unset: the
    // button is hidden).
    CDriveDlg(bool isNew, const std::u16string& supportedExtensions, std::vector<DriveItem> items, QSettings& settings,
              FolderChooser chooseFolder, std::function<void()> help, QWidget* parent = nullptr);

    // After OK: the read the user asked for, or nullopt when the path was
    // empty (then nothing is read and nothing saved).
    const std::optional<ReadChoice>& Choice() const { return m_choice; }

    QComboBox* DriveCombo() const { return m_combo; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* ImageButton() const { return m_image; }
    QCheckBox* ImageAsFileBox() const { return m_imageAsFile; }
    // Replaces the chooser behind the image button (tests).
    void SetImageFileChooser(ImageFileChooser chooser) { m_chooseImage = std::move(chooser); }
    QCheckBox* IconsBox() const { return m_icons; }
    QCheckBox* ArchivesBox() const { return m_archives; }
    QLabel* ExtensionsLabel() const { return m_extensions; }
    QPushButton* HelpButton() const { return m_help; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

    void accept() override;

private:
    void Browse();
    void BrowseImage();
    // The item the edit field names: the item whose text it shows, else the
    // item whose path its normalised form is; -1 for a typed folder.
    int NamedItem(const std::string& normalized) const;

    std::vector<DriveItem> m_items;
    QSettings& m_settings;
    FolderChooser m_chooseFolder;
    ImageFileChooser m_chooseImage = ChooseImageFileWithQt;
    std::function<void()> m_showHelp;
    std::optional<ReadChoice> m_choice;

    QPushButton* m_ok;
    QPushButton* m_cancel;
    QComboBox* m_combo;
    QPushButton* m_browse;
    QPushButton* m_image;
    QCheckBox* m_imageAsFile;
    QCheckBox* m_icons;
    QCheckBox* m_archives;
    QLabel* m_extensions;
    QPushButton* m_help;
};

}  // namespace volcatra
