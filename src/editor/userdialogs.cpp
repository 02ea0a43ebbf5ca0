#include "editor/userdialogs.h"

#include "editor/textfit.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QCompleter>
#include <QInputDialog>
#include <QLineEdit>

namespace tirvela {

// Open and save start in the project's folder, else where a file was last chosen, else in the
// current folder; never in the program's own folder for want of a better one.
QString WidgetDialogs::runFileDialog(QFileDialog &dialog, const QString &startFolder)
{
    dialog.setDirectory(!startFolder.isEmpty() ? startFolder : !mLastFolder.isEmpty() ? mLastFolder : QDir::currentPath());
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    mLastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString WidgetDialogs::chooseFileToOpen(QWidget *parent, const QString &startFolder)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("OpenFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("stm"));
    dialog.setNameFilters({QStringLiteral("Файл редактора (*.stm)"), QStringLiteral("Бинарный файл (*.bin)"),
                           QStringLiteral("Все файлы (*)")});
    return runFileDialog(dialog, startFolder);
}

QString WidgetDialogs::chooseFileToSave(QWidget *parent, const QString &startFolder)
{
    QFileDialog dialog(parent, QStringLiteral("Сохранить как"));
    dialog.setObjectName(QStringLiteral("SaveStmDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("stm"));
    dialog.setNameFilters({QStringLiteral("Файл редактора (*.stm)"), QStringLiteral("Все файлы (*)")});
    // The command asks before it replaces a file, and says which file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return runFileDialog(dialog, startFolder);
}

QString WidgetDialogs::chooseProgram(QWidget *parent, const QString &proposed)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("OpenExeDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
#ifdef Q_OS_WIN
    dialog.setDefaultSuffix(QStringLiteral("exe"));
    dialog.setNameFilter(QStringLiteral("Исполняемые файлы (*.exe)"));
#else
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
#endif
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QStringList WidgetDialogs::chooseRecordings(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Импорт звуковых файлов"));
    dialog.setObjectName(QStringLiteral("ImportSoundDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({QStringLiteral("Звукозаписи (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)"),
                           QStringLiteral("Все файлы (*)")});
    dialog.setDirectory(QDir::currentPath());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString WidgetDialogs::chooseFeed(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Импорт из GTFS"));
    dialog.setObjectName(QStringLiteral("GtfsFeedDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Расписание GTFS (*.zip routes.txt)"), QStringLiteral("Все файлы (*)")});
    dialog.setDirectory(QDir::currentPath());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QMessageBox::StandardButton WidgetDialogs::ask(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("QuestionBox"));
    if (buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == 0 ? QMessageBox::Cancel : QMessageBox::StandardButton(answer);
}

void WidgetDialogs::tell(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

std::optional<QString> WidgetDialogs::askText(QWidget *parent, const QString &title, const QString &prompt,
                                              const QString &proposed)
{
    return askTextOffering(parent, title, prompt, proposed, {});
}

std::optional<QString> WidgetDialogs::askTextOffering(QWidget *parent, const QString &title, const QString &prompt,
                                                      const QString &proposed, const QStringList &offered)
{
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(title);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    if (!offered.isEmpty()) {
        auto *completer = new QCompleter(offered, &dialog);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        dialog.findChild<QLineEdit *>()->setCompleter(completer);
    }
    fitWindowTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace tirvela
