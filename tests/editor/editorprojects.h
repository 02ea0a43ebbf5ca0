#pragma once

#include "editorfixture.h"
#include "../files/fixtures.h"

#include "editor/routenumberdialog.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tirvela::fixture {

// A project of three routes, each with stops in both directions in the editor's shape and a text
// on the first board type, saved as `fileName`.
inline void writeThreeRouteProject(const QString &fileName)
{
    Project project;
    newProject(project);
    project.routeCount = 3;
    const QStringList names = {QStringLiteral("Вокзал"), QStringLiteral("Рынок"), QStringLiteral("Школа")};
    for (int route = 0; route < 3; ++route) {
        setRouteNumber(project, route, QByteArray::number(route + 1));
        project.routeStreams[size_t(route)] = routeStream(
            {stopNode(names[route], {names[route] + QStringLiteral(".wav")}, {QStringLiteral("Следующая.wav")},
                      {QStringLiteral("07:05:00")}),
             stopNode(names[(route + 1) % 3], {QStringLiteral("b.wav")})},
            {stopNode(names[(route + 2) % 3], {QStringLiteral("c.wav")})});
        project.boards[0].routes[size_t(route)].elements.push_back({2, 0, 10 * route, "R" + QByteArray::number(route)});
        redrawRoutePicture(project.boards[0].routes[size_t(route)]);
    }
    ListLog log;
    QVERIFY(buildProjectFile(project, SoundTable{}, fileName, log, BuildMode::ProjectFile).ok());
}

// Puts a WAVE file of the given 8-bit samples into the editor's sounds folder, mono unless told.
inline void addSound(const Editor &editor, const QString &name, const QByteArray &data, quint16 channels = 1)
{
    QVERIFY(QDir().mkpath(editor.path(QStringLiteral("sounds"))));
    WaveFormat format;
    format.channels = channels;
    QVERIFY(writeFile(editor.path(QStringLiteral("sounds/") + name), waveFile(data, format)));
}

inline void openProject(Editor &editor, const QString &fileName)
{
    editor.dialogs.filesToOpen.enqueue(fileName);
    editor.trigger("N21");
}

// Answers the route number dialog the next time it is shown: types `number`, sets "Скопировать
// остановки" when it is offered, and presses OK (or Отмена when `accept` is false).
inline void answerRouteNumber(const QString &number, bool copy = false, bool accept = true)
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<RouteNumberDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(QStringLiteral("ERouteNum"))->setText(number);
        if (auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("CBCopy")); box->isVisibleTo(dialog))
            box->setChecked(copy);
        const char *button = accept ? "OKButton" : "Button2";
        dialog->findChild<QPushButton *>(QLatin1String(button))->click();
    });
}

// The bytes a save of the editor's project gives now.
inline QByteArray savedBytes(Editor &editor, const QString &name)
{
    const QString fileName = editor.path(name);
    QFile::remove(fileName);
    editor.dialogs.filesToSave.enqueue(fileName);
    editor.trigger("SaveAsItem");
    return readFile(fileName);
}

} // namespace tirvela::fixture
