#include "editor/editorapplication.h"

#include "common/outofmemory.h"
#include "common/toolkittranslations.h"

#include <QMessageBox>

namespace tirvela {

EditorApplication::EditorApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // The name the desktop shows for the program; window captions stay exactly as set.
    setApplicationName(QStringLiteral("Редактор"));
    setDesktopFileName(QStringLiteral("tirvela"));
    if (!installToolkitTranslations(*this))
        qWarning("tirvela: the toolkit's Russian texts (qtbase_ru.qm) are not installed; its dialogs stay in English");
}

bool EditorApplication::notify(QObject *receiver, QEvent *event)
{
    if (const std::optional<bool> handled = runUnlessOutOfMemory([&] { return QApplication::notify(receiver, event); }))
        return *handled;
    QMessageBox::critical(activeWindow(), applicationName(), outOfMemoryMessage());
    return false;
}

QString missingDisplayReason()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("tirvela: нет дисплея (DISPLAY не задан). Запустите редактор в графическом сеансе "
                              "или без окон: QT_QPA_PLATFORM=offscreen");
#endif
    return {};
}

} // namespace tirvela
