// The real dialogs: the toolkit's own speak Russian, open and save start where the project is, names are offered as they are typed.

#include "common/toolkittranslations.h"
#include "editor/userdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tirvela;

namespace {

// Runs `look` on the modal dialog of that name once it is up, then closes it with Escape unless
// `look` answered it.
void whenShown(const QString &name, std::function<void(QWidget &)> look)
{
    QTimer::singleShot(0, [name, look = std::move(look)] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != name) {
            whenShown(name, look);
            return;
        }
        if (const QString folder = qEnvironmentVariable("TIRVELA_SCREENSHOTS"); !folder.isEmpty())
            dialog->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
        look(*dialog);
        if (dialog->isVisible())
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
}

QString labelText(const QWidget &dialog, const char *name)
{
    const auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("(нет)");
}

} // namespace

class TestWidgetDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installToolkitTranslations(*QCoreApplication::instance())); }

    void questionButtonsAreRussian()
    {
        WidgetDialogs dialogs;
        QStringList buttons;
        whenShown(QStringLiteral("QuestionBox"), [&](QWidget &box) {
            for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                buttons << static_cast<QMessageBox &>(box).button(button)->text().remove(u'&');
        });
        const auto answer = dialogs.ask(nullptr, QStringLiteral("Подтверждение"), QStringLiteral("Сохранить?"),
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(answer, QMessageBox::Cancel);
        QCOMPARE(buttons, QStringList({QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));
    }

    void openDialogIsRussianAndStartsInTheProjectFolder()
    {
        QTemporaryDir projectFolder;
        WidgetDialogs dialogs;
        QString title;
        QStringList labels;
        QString accept;
        QString folder;
        whenShown(QStringLiteral("OpenFileDialog"), [&](QWidget &dialog) {
            title = dialog.windowTitle();
            for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                labels << labelText(dialog, name);
            accept = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->text().remove(u'&');
            folder = static_cast<QFileDialog &>(dialog).directory().absolutePath();
        });
        QCOMPARE(dialogs.chooseFileToOpen(nullptr, projectFolder.path()), QString());
        QCOMPARE(title, QStringLiteral("Открыть"));
        QCOMPARE(labels, QStringList({QStringLiteral("Перейти к:"), QStringLiteral("&Имя файла:"),
                                      QStringLiteral("Типы файлов:")}));
        QCOMPARE(accept, QStringLiteral("Открыть"));
        QCOMPARE(folder, QDir(projectFolder.path()).absolutePath());
    }

    void soundNamesAreOfferedAsTheNameIsTyped()
    {
        WidgetDialogs dialogs;
        QStringList completions;
        whenShown(QStringLiteral("InputBox"), [&](QWidget &dialog) {
            QCompleter *completer = dialog.findChild<QLineEdit *>()->completer();
            completer->setCompletionPrefix(QStringLiteral("вок")); // what has been typed
            for (bool more = completer->setCurrentRow(0); more; more = completer->setCurrentRow(completer->currentRow() + 1))
                completions << completer->currentCompletion();
        });
        dialogs.askTextOffering(nullptr, QStringLiteral("Файл"), QStringLiteral("Значение"), {},
                                {QStringLiteral("Вокзал.wav"), QStringLiteral("Рынок.wav"), QStringLiteral("ВОКЗАЛ-2.wav")});
        QCOMPARE(completions, (QStringList{QStringLiteral("Вокзал.wav"), QStringLiteral("ВОКЗАЛ-2.wav")}));
    }

    void withoutAProjectTheDialogsStartWhereTheLastFileWasChosen()
    {
        QTemporaryDir chosenFolder;
        const QString chosen = chosenFolder.filePath(QStringLiteral("маршрут.stm"));
        WidgetDialogs dialogs;
        whenShown(QStringLiteral("SaveStmDialog"), [&](QWidget &dialog) {
            static_cast<QFileDialog &>(dialog).selectFile(chosen);
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        QCOMPARE(dialogs.chooseFileToSave(nullptr, {}), chosen);
        QString folder;
        whenShown(QStringLiteral("OpenFileDialog"), [&](QWidget &dialog) {
            folder = static_cast<QFileDialog &>(dialog).directory().absolutePath();
        });
        dialogs.chooseFileToOpen(nullptr, {});
        QCOMPARE(folder, QDir(chosenFolder.path()).absolutePath());
    }
};

QTEST_MAIN(TestWidgetDialogs)
#include "test_widgetdialogs.moc"
