#pragma once

#include "device/serialdevices.h"
#include "settings/editorsettings.h"
#include "settings/inifile.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tirvela {

class SpeechSettingsBox;
class UserDialogs;

// The settings dialog: the serial port and, outside Windows, the device it opens, the
// Announcer's two line settings, the sound editor, the speech synthesiser's voice, and the device
// trace for this run.
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

    // Where the dialog finds the machine's serial devices; tests give their own list.
    void setDeviceLister(std::function<QList<SerialDeviceInfo>()> lister) { mListDevices = std::move(lister); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseSoundEditor();
    // The section under the port list: the device the selected entry opens, the devices found.
    QLayout *makeDeviceSection(QWidget *parent);
    void listDevices();
    void showDeviceOfPort();
    void chooseDevice(int item);

    EditorSettings &mSettings;
    QString mProgramFolder;
    UserDialogs &mDialogs;
    QComboBox *mPort;
    QLineEdit *mWorkingMode;
    QLineEdit *mProgrammingMode;
    QLineEdit *mSoundEditor;
    SpeechSettingsBox *mSpeech;
    QCheckBox *mTrace;

    std::function<QList<SerialDeviceInfo>()> mListDevices = availableSerialDevices;
    QList<SerialDeviceInfo> mDevices;
    IniFile mIni;                      // editor.ini as read at show, with the devices chosen since
    QList<PortMapping> mChosenDevices; // written on OK
    QComboBox *mDevice = nullptr;
    QLabel *mDeviceState = nullptr;
};

} // namespace tirvela
