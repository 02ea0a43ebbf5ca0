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

    void setCaption(const QString &text) override;
    void setStage(const QString &text) override;
    void setSize(const QString &text) override;
    void setError(const QString &text) override;
    void setButtonText(const QString &text) override;
    void setRange(int maximum) override;
    void setPosition(int position) override;
    void show() override;
    void hide() override;
    bool cancelRequested() const override;
    void processEvents() override;
    void pause(int ms) override;
    void showMessage(const QString &text) override;

    // Empties every line for the next run.
    void clear();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitTexts();
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
