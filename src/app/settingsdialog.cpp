#include "app/settingsdialog.h"

#include "app/userdialogs.h"
#include "settings/editorsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
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
    grid->addWidget(makeLabel("Label1", QStringLiteral("Рабочий режим"), group), 1, 0, 1, 2);
    grid->addWidget(mWorkingMode, 2, 0);
    grid->addWidget(restoreWorking, 2, 1);
    grid->addWidget(makeLabel("Label2", QStringLiteral("Режим программирования"), group), 3, 0, 1, 2);
    grid->addWidget(mProgrammingMode, 4, 0);
    grid->addWidget(restoreProgramming, 4, 1);

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
    layout->addWidget(folder);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
    const bool indexListed = mSettings.portIndex >= 0 && mSettings.portIndex < mPort->count();
    mPort->setCurrentIndex(indexListed ? mSettings.portIndex : 0);
    mWorkingMode->setText(mSettings.workingMode);
    mProgrammingMode->setText(mSettings.programmingMode);
    mSoundEditor->setText(mSettings.soundEditorPath);
    mPort->setFocus();
    QDialog::showEvent(event);
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
    QString error;
    if (!writeEditorSettings(mProgramFolder, mSettings, &error))
        mDialogs.tell(this, error);
    QDialog::accept();
}

} // namespace tirvela
