// The property sheet of one volume: its recorded facts, read-only, and its
// comment, which the user may edit.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace volcatra {

class CDocument;
class CRootEntry;

// The serial number as the sheet shows it: "1234 - ABCD".
QString FormatSerialNumber(uint32_t serialNumber);

// The page "情報".
class CPropPage1 : public QWidget {
    Q_OBJECT
public:
    CPropPage1(CRootEntry& root, QWidget* parent = nullptr);

    // Stores the comment when its text differs from the volume's and marks
    // the page unchanged.
    void OnApply();
    bool CommentChanged() const { return m_commentChanged; }

    QPlainTextEdit* CommentEdit() const { return m_comment; }
    QPlainTextEdit* LabelField() const { return m_label; }
    QLineEdit* SerialField() const { return m_serial; }
    QLineEdit* FolderCountField() const { return m_folders; }
    QLineEdit* FileCountField() const { return m_files; }
    QLineEdit* IconCountField() const { return m_iconCount; }

signals:
    // The page has unstored changes (true) or not.
    void Modified(bool modified);

private:
    CRootEntry& m_root;
    bool m_commentChanged = false;
    QPlainTextEdit* m_label;
    QLineEdit* m_serial;
    QLineEdit* m_folders;
    QLineEdit* m_files;
    QLineEdit* m_iconCount;
    QPlainTextEdit* m_comment;
};

// The sheet "<name> のプロパティ" with its one page, OK, Cancel and Apply.
class CVolumePropertySheet : public QDialog {
    Q_OBJECT
public:
    CVolumePropertySheet(CRootEntry& root, QWidget* parent = nullptr);
    CPropPage1& Page() const { return *m_page; }
    QPushButton* ApplyButton() const { return m_apply; }
    void accept() override;

private:
    void Apply();

    CPropPage1* m_page;
    QPushButton* m_apply;
};

// Runs the sheet for a volume modally (through run, QDialog::exec when
// unset); the document is marked modified when the comment was stored.
// Nothing else changes: no edit-history step, no view update.
void ShowVolumeProperties(CRootEntry& root, CDocument& document, QWidget* parent,
                          const std::function<int(QDialog&)>& run = {});

}  // namespace volcatra
