#include "device/portnames.h"

#include "settings/editorsettings.h"
#include "settings/inifile.h"
#include "common/cp1251.h"

#include <QRegularExpression>

namespace tirvela {

namespace {

// The n of "COMn:", "COMn" or "\\.\COMn", or 0 for other names.
int comNumberOf(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(?:\\\\\.\\)?COM([1-9][0-9]{0,3}):?$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

PortLocation locatePort(const QString &name, const QString &programFolder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(programFolder);
    return {name, name};
#else
    const int number = comNumberOf(name);
    IniFile ini;
    if (ini.load(editorIniPath(programFolder))) {
        std::optional<QByteArray> mapped = ini.value("PORTS", toCp1251(name));
        if (!mapped && number > 0)
            mapped = ini.value("PORTS", "COM" + QByteArray::number(number));
        if (mapped && !mapped->isEmpty())
            return {name, fromCp1251(*mapped)};
    }
    if (number > 0)
        return {name, QStringLiteral("/dev/ttyS") + QString::number(number - 1)};
    return {name, name};
#endif
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
