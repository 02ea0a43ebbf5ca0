#pragma once

#include "common/transferprogress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tirvela {

class UserDialogs;

// The progress dialog of the device transfers: what is being done, the amounts, an error line, a
// bar and one button that closes it ("Отмена" while working, which is how a transfer is stopped).
class ProgressDialog : public QDialog, public TransferProgress
{
    Q_OBJECT

public:
    ProgressDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Texts and the bar as the report gives them; Working shows the dialog, Closed hides it, and
    // a message is told in a box of its own.
    void report(const ProgressReport &report) override;
    // True while the dialog is closed: "Отмена" pressed, or not shown yet.
    bool cancelRequested() const override;
    bool cancelledWithin(int ms) override;

    // Empties every line for the next run.
    void clear();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitTexts();
    // Shows the dialog, painted, before the caller goes on.
    void showPainted();
    // Handles events until the window system has put the dialog on the screen (at most a second):
    // painted before that, it would stay an empty frame while the port is opened.
    void waitUntilExposed();

    UserDialogs &mDialogs;
    int mWidth = 0; // the widest the texts of this run made it
    QLabel *mStage;
    QLabel *mSize;
    QLabel *mError;
    QProgressBar *mBar;
    QPushButton *mButton;
};

} // namespace tirvela
