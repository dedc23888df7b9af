// The Qt side of the document's services: message boxes and the clipboard.
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include "GuiTestSupport.h"
#include "ui/QtServices.h"

namespace volcatra::test {
namespace {

struct BoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows a box through the service and presses `press` in it.
MessageAnswer ShowAndPress(MessageButtons buttons, MessageIcon icon, QMessageBox::StandardButton press, BoxSeen& seen) {
    QTimer::singleShot(0, [&seen, press]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(press)->click();
    });
    CQtMessageService service;
    return service.Show(u"本文", buttons, icon);
}

TEST(ServicesTest, MessageBoxesCarryTheCaptionIconsAndAnswers) {
    struct Case {
        MessageButtons buttons;
        MessageIcon icon;
        QMessageBox::StandardButton press;
        QMessageBox::Icon shown;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageIcon::Default, QMessageBox::Ok, QMessageBox::Warning, MessageAnswer::Ok},
        {MessageButtons::OkCancel, MessageIcon::Default, QMessageBox::Cancel, QMessageBox::Warning,
         MessageAnswer::Cancel},
        {MessageButtons::YesNo, MessageIcon::Default, QMessageBox::No, QMessageBox::Question, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageIcon::Default, QMessageBox::Yes, QMessageBox::Question,
         MessageAnswer::Yes},
        {MessageButtons::RetryCancel, MessageIcon::Stop, QMessageBox::Retry, QMessageBox::Critical,
         MessageAnswer::Retry},
        {MessageButtons::Ok, MessageIcon::Information, QMessageBox::Ok, QMessageBox::Information, MessageAnswer::Ok},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        EXPECT_EQ(ShowAndPress(c.buttons, c.icon, c.press, seen), c.answer);
        EXPECT_EQ(seen.caption, QStringLiteral("Volcatra"));
        EXPECT_EQ(seen.text, QStringLiteral("本文"));
        EXPECT_EQ(seen.icon, c.shown);
        EXPECT_TRUE(seen.buttons & c.press);
    }
}

TEST(ServicesTest, ClipboardCarriesVolumesAndText) {
    CQtClipboard clipboard;
    const std::vector<uint8_t> payload = {1, 2, 0, 255};
    ASSERT_TRUE(clipboard.SetVolumeData(payload));
    EXPECT_TRUE(clipboard.HasVolumeData());
    EXPECT_EQ(clipboard.GetVolumeData(), payload);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(
        QStringLiteral("application/x-qt-windows-mime;value=\"File Struct Record\"")));
    ASSERT_TRUE(clipboard.SetText(u"\\Setup\\setup.exe"));
    EXPECT_FALSE(clipboard.HasVolumeData());
    EXPECT_EQ(clipboard.GetVolumeData(), std::nullopt);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("\\Setup\\setup.exe"));
}

}  // namespace
}  // namespace volcatra::test
