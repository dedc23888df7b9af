// Long work on a worker thread while the windows stay alive: the wait cursor,
// a progress dialog, the user's input held back and no window closed until
// the work is done.
#pragma once

#include <QDialog>

#include "document/LongWork.h"

class QLabel;

namespace volcatra {

// The progress dialog of long work: the text over a busy bar, caption
// "Volcatra", no buttons; it cannot be closed while it is up.
class CLongWorkDialog : public QDialog {
    Q_OBJECT
public:
    CLongWorkDialog(QWidget* parent, const QString& text);
    QString Text() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_text;
};

class CQtLongWorkRunner : public ILongWorkRunner {
public:
    // How long work runs before its progress dialog shows, unless at once.
    static constexpr int kShowAfterMs = 500;

    void Run(const std::u16string& text, bool showAtOnce, const std::function<void()>& work) override;
};

}  // namespace volcatra
