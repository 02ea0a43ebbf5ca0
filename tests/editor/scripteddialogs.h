#pragma once

#include "editor/userdialogs.h"

#include <QQueue>
#include <QStringList>
#include <QTest>

#include <functional>

namespace tirvela::fixture {

// Answers the editor's questions from queues filled by the test and records what was asked.
// A question the test did not expect fails the test and is answered with Cancel or nothing.
class ScriptedDialogs : public UserDialogs
{
public:
    QQueue<QString> filesToOpen;
    QQueue<QString> filesToSave;
    QQueue<QString> programs;
    QQueue<QStringList> recordings;
    QQueue<QString> feeds;
    QQueue<QMessageBox::StandardButton> answers;
    QStringList questions; // the texts of ask()
    QStringList messages;  // the texts of tell()
    QStringList startFolders; // where the open and save dialogs were asked to start
    QQueue<std::optional<QString>> texts; // a null text accepts what is proposed
    QStringList proposals; // the texts askText() proposed
    // Looks at the window a question is asked over, before it is answered.
    std::function<void(QWidget *parent)> whenAsked;

    QString chooseFileToOpen(QWidget *, const QString &startFolder) override
    {
        startFolders << startFolder;
        return take(filesToOpen, "open dialog");
    }
    QString chooseFileToSave(QWidget *, const QString &startFolder) override
    {
        startFolders << startFolder;
        return take(filesToSave, "save dialog");
    }
    QString chooseProgram(QWidget *, const QString &) override { return take(programs, "program dialog"); }
    QStringList chooseRecordings(QWidget *) override { return take(recordings, "recordings dialog"); }
    QString chooseFeed(QWidget *) override { return take(feeds, "feed dialog"); }

    QMessageBox::StandardButton ask(QWidget *parent, const QString &, const QString &text,
                                    QMessageBox::StandardButtons) override
    {
        questions << text;
        if (whenAsked)
            whenAsked(parent);
        if (answers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
            return QMessageBox::Cancel;
        }
        return answers.dequeue();
    }

    void tell(QWidget *, const QString &text) override { messages << text; }

    std::optional<QString> askText(QWidget *, const QString &, const QString &prompt, const QString &proposed) override
    {
        proposals << proposed;
        if (texts.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected text question: ") + prompt), __FILE__, __LINE__);
            return std::nullopt;
        }
        const std::optional<QString> text = texts.dequeue();
        return text && text->isNull() ? proposed : text;
    }

    QList<QStringList> offered; // the names offered with each askTextOffering
    std::optional<QString> askTextOffering(QWidget *parent, const QString &title, const QString &prompt,
                                           const QString &proposed, const QStringList &names) override
    {
        offered << names;
        return askText(parent, title, prompt, proposed);
    }

    bool allAnswered() const
    {
        return filesToOpen.isEmpty() && filesToSave.isEmpty() && programs.isEmpty() && recordings.isEmpty() && feeds.isEmpty()
            && answers.isEmpty() && texts.isEmpty();
    }

private:
    template <typename Answer>
    static Answer take(QQueue<Answer> &queue, const char *what)
    {
        if (queue.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected ") + QLatin1String(what)), __FILE__, __LINE__);
            return {};
        }
        return queue.dequeue();
    }
};

} // namespace tirvela::fixture
