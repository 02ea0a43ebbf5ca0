#include "device/portnames.h"

#include "settings/editorsettings.h"
#include "settings/inifile.h"
#include "common/cp1251.h"

#include <QRegularExpression>

namespace tirvela {

int comPortNumber(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(?:\\\\\.\\)?COM([1-9][0-9]{0,3}):?$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QByteArray portMappingKey(const QString &name, const IniFile &ini)
{
    const QByteArray asGiven = toCp1251(name);
    if (!name.isEmpty() && ini.value(kPortsSection, asGiven))
        return asGiven;
    const int number = comPortNumber(name);
    return number > 0 ? "COM" + QByteArray::number(number) : QByteArray();
}

PortLocation locatePort(const QString &name, const IniFile &ini, PortPlatform platform)
{
    const int number = comPortNumber(name);
    if (platform == PortPlatform::Windows)
        return {name, number > 0 ? QStringLiteral("COM") + QString::number(number) : name};

    const QByteArray key = portMappingKey(name, ini);
    if (!key.isEmpty()) {
        const std::optional<QByteArray> mapped = ini.value(kPortsSection, key);
        if (mapped && !mapped->isEmpty())
            return {name, fromCp1251(*mapped)};
    }
    if (number > 0)
        return {name, QStringLiteral("/dev/ttyS") + QString::number(number - 1)};
    return {name, name};
}

PortLocation locatePort(const QString &name, const QString &programFolder)
{
    IniFile ini;
    if (kHostPortPlatform != PortPlatform::Windows)
        ini.load(editorIniPath(programFolder)); // an unreadable file maps nothing
    return locatePort(name, ini, kHostPortPlatform);
}

QString blinkerPortName(int portIndex)
{
    return QStringLiteral("COM") + QString::number(qint64(portIndex) + 1) + u':';
}

PortLocation blinkerPort(const EditorSettings &settings, const QString &programFolder)
{
    return locatePort(blinkerPortName(settings.portIndex), programFolder);
}

} // namespace tirvela
