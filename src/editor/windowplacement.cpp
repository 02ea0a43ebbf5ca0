#include "editor/windowplacement.h"

#include <QSettings>

namespace tirvela {

namespace {

QString placementPath(const QString &programFolder)
{
    return programFolder + QStringLiteral("windows.ini");
}

QString positionKey(const QString &window)
{
    return window + QStringLiteral("/position");
}

} // namespace

std::optional<QPoint> rememberedPosition(const QString &programFolder, const QString &window)
{
    const QSettings settings(placementPath(programFolder), QSettings::IniFormat);
    const QVariant value = settings.value(positionKey(window));
    if (!value.canConvert<QPoint>() || value.isNull())
        return std::nullopt;
    return value.toPoint();
}

void rememberPosition(const QString &programFolder, const QString &window, const QPoint &position)
{
    QSettings settings(placementPath(programFolder), QSettings::IniFormat);
    settings.setValue(positionKey(window), position);
}

} // namespace tirvela
