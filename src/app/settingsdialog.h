#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tirvela {

struct EditorSettings;
class UserDialogs;

// The settings dialog: the serial port, the Announcer's two line settings and the sound editor.
// Filled from the settings each time it is shown; OK stores them in memory and in editor.ini.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    SettingsDialog(EditorSettings &settings, const QString &programFolder, UserDialogs &dialogs,
                   QWidget *parent = nullptr);

    // The port list: its position is the port index, its text the port name.
    static QStringList portNames();

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseSoundEditor();

    EditorSettings &mSettings;
    QString mProgramFolder;
    UserDialogs &mDialogs;
    QComboBox *mPort;
    QLineEdit *mWorkingMode;
    QLineEdit *mProgrammingMode;
    QLineEdit *mSoundEditor;
};

} // namespace tirvela
