#include "editorsettings.h"

#include "settings/inifile.h"
#include "settings/speechsection.h"
#include "common/cp1251.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace tirvela {

namespace {

constexpr QByteArrayView kUartSection = "UART";
constexpr QByteArrayView kPortIndexKey = "UART_IDX";

// The text settings in the order they are written, after UART_IDX.
struct TextKey
{
    QByteArrayView section;
    QByteArrayView key;
    QString EditorSettings::*field;
};

constexpr std::array<TextKey, 4> kTextKeys = {{
    {kUartSection, "UART_STR", &EditorSettings::portName},
    {kUartSection, "UART1", &EditorSettings::workingMode},
    {kUartSection, "UART2", &EditorSettings::programmingMode},
    {"WAVE", "EDITOR", &EditorSettings::soundEditorPath},
}};

// Why a value cannot go into an INI line, or an empty text when it can.
QString unstorableReason(const QString &value)
{
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
        return QStringLiteral("в нём есть перевод строки");
    if (!isCp1251Encodable(value))
        return QStringLiteral("в нём есть символы, которых нет в кодировке Windows-1251");
    return {};
}

} // namespace

EditorSettings defaultEditorSettings(const QString &programFolder)
{
    EditorSettings settings;
    settings.portIndex = 0;
    settings.portName = QStringLiteral("COM1:");
    settings.workingMode = QStringLiteral("baud=4800 parity=N data=8 stop=1");
    settings.programmingMode = QStringLiteral("baud=115200 parity=N data=8 stop=1");
    // The sound editor lies in "Nero Wave Editor\WaveEdit.exe" under the program folder. The path
    // is kept with the platform's own separators: backslashes on Windows, as editor.ini always
    // held them, and slashes elsewhere, so that the default names a path the platform can start.
    settings.soundEditorPath =
        QDir::toNativeSeparators(QDir(programFolder).filePath(QStringLiteral("Nero Wave Editor/WaveEdit.exe")));
    return settings;
}

EditorSettings readEditorSettings(const QString &programFolder, Status *read)
{
    EditorSettings settings = defaultEditorSettings(programFolder);
    IniFile ini;
    if (const Status loaded = ini.load(editorIniPath(programFolder)); !loaded.ok()) {
        if (read) {
            *read = Status::failure(QStringLiteral("Файл настроек %1 не прочитан: %2; взяты настройки по умолчанию")
                                        .arg(QDir::toNativeSeparators(editorIniPath(programFolder)), loaded.reason),
                                    loaded.reason);
        }
        return settings;
    }

    if (const auto index = ini.value(kUartSection, kPortIndexKey)) {
        bool ok = false;
        const int value = index->toInt(&ok, 10);
        settings.portIndex = ok ? value : 0;
    }
    for (const TextKey &key : kTextKeys) {
        if (const auto value = ini.value(key.section, key.key))
            settings.*key.field = fromCp1251(*value);
    }
    settings.speech = readSpeechSettings(ini);
    return settings;
}

Status writeEditorSettings(const QString &programFolder, const EditorSettings &settings,
                           const QList<PortMapping> &portMappings)
{
    const QString path = editorIniPath(programFolder);
    for (const TextKey &key : kTextKeys) {
        const QString &value = settings.*key.field;
        const QString reason = unstorableReason(value);
        if (!reason.isEmpty()) {
            return Status::failure(QStringLiteral("Значение «%1» параметра %2 нельзя сохранить в файле настроек: %3.")
                                       .arg(value, QString::fromLatin1(key.key), reason));
        }
    }
    for (const PortMapping &mapping : portMappings) {
        const QString reason = unstorableReason(mapping.devicePath);
        if (!reason.isEmpty()) {
            return Status::failure(QStringLiteral("Устройство «%1» порта %2 нельзя сохранить в файле настроек: %3.")
                                       .arg(mapping.devicePath, fromCp1251(mapping.key), reason));
        }
    }

    IniFile ini;
    if (const Status loaded = ini.load(path); !loaded.ok()) {
        return Status::failure(
            QStringLiteral("Не удалось прочитать файл настроек %1: %2").arg(QDir::toNativeSeparators(path), loaded.reason),
            loaded.reason);
    }
    ini.setValue(kUartSection, kPortIndexKey, QByteArray::number(settings.portIndex));
    for (const TextKey &key : kTextKeys)
        ini.setValue(key.section, key.key, toCp1251(settings.*key.field));
    writeSpeechSettings(ini, settings.speech);
    for (const PortMapping &mapping : portMappings)
        ini.setValue(kPortsSection, mapping.key, toCp1251(mapping.devicePath));
    if (const Status saved = ini.save(path); !saved.ok()) {
        return Status::failure(
            QStringLiteral("Не удалось записать файл настроек %1: %2").arg(QDir::toNativeSeparators(path), saved.reason),
            saved.reason);
    }
    return Status::success();
}

std::function<std::optional<QByteArray>(QByteArrayView)> portMappingsOf(const IniFile &ini)
{
    return [&ini](QByteArrayView name) { return ini.value(kPortsSection, name); };
}

std::function<std::optional<QByteArray>(QByteArrayView)> readPortMappings(const QString &programFolder)
{
    IniFile ini;
    ini.load(editorIniPath(programFolder));
    return [ini = std::move(ini)](QByteArrayView name) { return ini.value(kPortsSection, name); };
}

QString editorIniPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("editor.ini"));
}

QString deviceTracePath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("device-trace.txt"));
}

QString programFolderOf(const QString &executablePath)
{
    QString folder = QFileInfo(executablePath).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool extendedModeRequested(const QStringList &arguments)
{
    return arguments.indexOf(QStringLiteral("-extended"), 1) >= 0;
}

} // namespace tirvela
