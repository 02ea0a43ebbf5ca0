#include "editor/settingsdialog.h"

#include "editor/speechsettingsbox.h"
#include "editor/userdialogs.h"
#include "common/cp1251.h"
#include "device/portnames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tirvela {

namespace {

const QString kDefaultWorkingMode = QStringLiteral("baud=4800 parity=N data=8 stop=1");
const QString kDefaultProgrammingMode = QStringLiteral("baud=115200 parity=N data=8 stop=1");

QLabel *makeLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit *makeEdit(const char *name, const QString &hint, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(hint);
    edit->setMinimumWidth(300);
    return edit;
}

QToolButton *makeSmallButton(const char *name, const QString &text, const QString &hint, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

} // namespace

SettingsDialog::SettingsDialog(EditorSettings &settings, const QString &programFolder, UserDialogs &dialogs,
                               QWidget *parent)
    : QDialog(parent)
    , mSettings(settings)
    , mProgramFolder(programFolder)
    , mDialogs(dialogs)
{
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(QStringLiteral("Настройки"));

    auto *group = new QGroupBox(QStringLiteral("COM-порт и строки инициализации"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    mPort = new QComboBox(group);
    mPort->setObjectName(QStringLiteral("ComboBox1"));
    mPort->setToolTip(QStringLiteral("Последовательный порт RS-232 компьютера"));
    mPort->addItems(portNames());
    mWorkingMode = makeEdit("EditUARTParam_1", QStringLiteral("низкоскоростной обмен 4800бод"), group);
    mProgrammingMode = makeEdit("EditUARTParam_2",
                                QStringLiteral("Обмен со скоростью 115200бод в режиме программирования"), group);
    const QString restoreHint = QStringLiteral("Восстановить значение по умолчанию");
    QToolButton *restoreWorking = makeSmallButton("SpeedButton2", QStringLiteral("X"), restoreHint, group);
    QToolButton *restoreProgramming = makeSmallButton("SpeedButton3", QStringLiteral("X"), restoreHint, group);
    connect(restoreWorking, &QToolButton::clicked, this, [this] { mWorkingMode->setText(kDefaultWorkingMode); });
    connect(restoreProgramming, &QToolButton::clicked, this,
            [this] { mProgrammingMode->setText(kDefaultProgrammingMode); });

    auto *grid = new QGridLayout(group);
    grid->addWidget(mPort, 0, 0, 1, 2);
    grid->addWidget(makeLabel("Label1", QStringLiteral("Рабочий режим"), group), 2, 0, 1, 2);
    grid->addWidget(mWorkingMode, 3, 0);
    grid->addWidget(restoreWorking, 3, 1);
    grid->addWidget(makeLabel("Label2", QStringLiteral("Режим программирования"), group), 4, 0, 1, 2);
    grid->addWidget(mProgrammingMode, 5, 0);
    grid->addWidget(restoreProgramming, 5, 1);
    if (kHostPortPlatform != PortPlatform::Windows) {
        grid->addLayout(makeDeviceSection(group), 1, 0, 1, 2);
        connect(mPort, &QComboBox::currentIndexChanged, this, &SettingsDialog::showDeviceOfPort);
    }

    mSoundEditor = makeEdit("WaveEditor", {}, this);
    QToolButton *chooseEditor = makeSmallButton("SpeedButton1", QStringLiteral("..."), {}, this);
    connect(chooseEditor, &QToolButton::clicked, this, &SettingsDialog::chooseSoundEditor);
    auto *editorRow = new QHBoxLayout;
    editorRow->addWidget(mSoundEditor);
    editorRow->addWidget(chooseEditor);

    QLabel *folder = makeLabel("ProgramFolderLabel",
                               QStringLiteral("Папка программы (editor.ini, sounds): ")
                                   + QDir::toNativeSeparators(programFolder),
                               this);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setWordWrap(true);

    mSpeech = new SpeechSettingsBox(this);

    mTrace = new QCheckBox(QStringLiteral("Записывать обмен с устройствами до выхода из программы"), this);
    mTrace->setObjectName(QStringLiteral("DeviceTraceBox"));
    mTrace->setToolTip(QStringLiteral("Каждая команда устройства дописывает в ")
                       + QDir::toNativeSeparators(deviceTracePath(programFolder))
                       + QStringLiteral(" настройки линии, команды, адреса и CRC блоков, ответы, тайм-ауты и ошибки"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(makeLabel("Label3", QStringLiteral("Редактор звуковых файлов"), this));
    layout->addLayout(editorRow);
    layout->addWidget(mSpeech);
    layout->addWidget(mTrace);
    layout->addWidget(folder);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes through the controls as they are seen: down the dialog, left to right in a row.
    QList<QWidget *> order{mPort};
    if (mDevice)
        order << mDevice << findChild<QPushButton *>(QStringLiteral("RefreshButton"));
    order << mWorkingMode << restoreWorking << mProgrammingMode << restoreProgramming << mSoundEditor
          << chooseEditor;
    for (QWidget *control : mSpeech->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->focusPolicy() & Qt::TabFocus)
            order << control;
    }
    order << mTrace << ok << cancel;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QStringList SettingsDialog::portNames()
{
    QStringList names;
    for (int n = 1; n <= 12; ++n)
        names << (n <= 4 ? QStringLiteral("COM%1:").arg(n) : QStringLiteral("\\\\.\\COM%1").arg(n));
    return names;
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    if (mDevice) {
        mIni.load(editorIniPath(mProgramFolder)); // an unreadable file maps no port
        mChosenDevices.clear();
        listDevices();
    }
    const bool indexListed = mSettings.portIndex >= 0 && mSettings.portIndex < mPort->count();
    mPort->setCurrentIndex(indexListed ? mSettings.portIndex : 0);
    if (mDevice)
        showDeviceOfPort();
    mWorkingMode->setText(mSettings.workingMode);
    mProgrammingMode->setText(mSettings.programmingMode);
    mSoundEditor->setText(mSettings.soundEditorPath);
    mSpeech->showSettings(mSettings.speech);
    mTrace->setChecked(mSettings.traceDevices);
    mPort->setFocus();
    QDialog::showEvent(event);
}

QLayout *SettingsDialog::makeDeviceSection(QWidget *parent)
{
    mDevice = new QComboBox(parent);
    mDevice->setObjectName(QStringLiteral("DeviceBox"));
    mDevice->setToolTip(QStringLiteral("Устройство, которое открывается для выбранного порта"));
    auto *refresh = new QPushButton(QStringLiteral("Обновить"), parent);
    refresh->setObjectName(QStringLiteral("RefreshButton"));
    refresh->setToolTip(QStringLiteral("Найти последовательные устройства заново"));
    mDeviceState = makeLabel("DeviceStateLabel", {}, parent);
    mDeviceState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(mDevice, &QComboBox::activated, this, &SettingsDialog::chooseDevice);
    connect(refresh, &QPushButton::clicked, this, [this] {
        listDevices();
        showDeviceOfPort();
    });

    auto *section = new QGridLayout;
    section->addWidget(makeLabel("DeviceLabel", QStringLiteral("Устройство"), parent), 0, 0);
    section->addWidget(mDevice, 0, 1);
    section->addWidget(refresh, 0, 2);
    section->addWidget(mDeviceState, 1, 0, 1, 3);
    section->setColumnStretch(1, 1);
    return section;
}

void SettingsDialog::listDevices()
{
    mDevices = mListDevices();
}

void SettingsDialog::showDeviceOfPort()
{
    const QString entry = mPort->currentText();
    const QString path = locatePort(entry, portMappingsOf(mIni), PortPlatform::Unix).devicePath;
    const QString usual = locatePort(entry, {}, PortPlatform::Unix).devicePath;
    mDevice->clear();
    mDevice->addItem(QStringLiteral("Обычное: ") + usual, QString());
    for (const SerialDeviceInfo &device : std::as_const(mDevices))
        mDevice->addItem(deviceSummary(device), pathToKeep(device));

    const qsizetype found = findSerialDevice(mDevices, path);
    QString state = QStringLiteral("Открывается ") + path;
    if (path == usual) {
        mDevice->setCurrentIndex(0);
    } else if (found >= 0) {
        mDevice->setCurrentIndex(int(found) + 1);
        if (path != mDevices[found].location)
            state = QStringLiteral("Открывается ") + mDevices[found].location + QStringLiteral("\nпо ссылке ") + path;
    } else if (!QFileInfo::exists(path)) {
        mDevice->addItem(path + QStringLiteral(" (не подключено)"), path);
        mDevice->setCurrentIndex(mDevice->count() - 1);
        state = QStringLiteral("Устройство ") + path + QStringLiteral(" не подключено");
    } else {
        mDevice->addItem(path, path);
        mDevice->setCurrentIndex(mDevice->count() - 1);
    }
    mDeviceState->setText(state);
    // The fixed-size dialog grows or shrinks with the text at once, not at the next event.
    mDeviceState->parentWidget()->layout()->activate();
    layout()->activate();
}

void SettingsDialog::chooseDevice(int item)
{
    const QString path = mDevice->itemData(item).toString();
    const QString entry = mPort->currentText();
    // The Announcer opens the entry's text and the board "COMn:": both must find the device.
    QList<QByteArray> keys{"COM" + QByteArray::number(comPortNumber(entry))};
    const QByteArray ownKey = portMappingKey(entry, portMappingsOf(mIni));
    if (ownKey != keys.front())
        keys << ownKey;
    for (const QByteArray &key : std::as_const(keys)) {
        mIni.setValue(kPortsSection, key, toCp1251(path));
        mChosenDevices.append({key, path});
    }
    showDeviceOfPort();
}

void SettingsDialog::chooseSoundEditor()
{
    const QString chosen = mDialogs.chooseProgram(this, mSoundEditor->text());
    if (!chosen.isEmpty())
        mSoundEditor->setText(QDir::toNativeSeparators(chosen));
}

void SettingsDialog::accept()
{
    mSettings.portIndex = mPort->currentIndex();
    mSettings.portName = mPort->currentText();
    mSettings.workingMode = mWorkingMode->text();
    mSettings.programmingMode = mProgrammingMode->text();
    mSettings.soundEditorPath = mSoundEditor->text();
    mSettings.speech = mSpeech->settings(mSettings.speech);
    mSettings.traceDevices = mTrace->isChecked();
    if (const Status written = writeEditorSettings(mProgramFolder, mSettings, mChosenDevices); !written.ok())
        mDialogs.tell(this, written.message);
    QDialog::accept();
}

} // namespace tirvela
