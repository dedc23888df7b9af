// The options sheet with its page "全般" and the about box.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace volcatra {

class CFSRecApp;

// The page of the options: one check box per option bit.
class COptPropPage1 : public QWidget {
    Q_OBJECT
public:
    explicit COptPropPage1(uint32_t flags, QWidget* parent = nullptr);

    bool m_openLastFile = false;
    bool m_sizeInBytes = false;
    bool m_addExtension = false;

    // Takes the check boxes into the members.
    void UpdateMembers();
    // The flags with the option bits set after the members; all other bits kept.
    uint32_t ApplyTo(uint32_t flags) const;

    QCheckBox* OpenLastFileBox() const { return m_openLastFileBox; }
    QCheckBox* SizeInBytesBox() const { return m_sizeInBytesBox; }
    QCheckBox* AddExtensionBox() const { return m_addExtensionBox; }

signals:
    void Changed();

private:
    QCheckBox* m_openLastFileBox;
    QCheckBox* m_sizeInBytesBox;
    QCheckBox* m_addExtensionBox;
};

// The options sheet "オプションの設定": OK, Cancel and Apply.
class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    COptionsSheet(CFSRecApp& app, QWidget* parent);
    COptPropPage1* Page() const { return m_page; }
    QPushButton* ApplyButton() const { return m_apply; }
    void accept() override;
    void Apply();

private:
    CFSRecApp& m_app;
    COptPropPage1* m_page;
    QPushButton* m_apply;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};

}  // namespace volcatra
