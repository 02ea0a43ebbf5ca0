#include "common/systemreason.h"

#include <QStringList>

#include <iterator>

namespace tirvela {

namespace {

struct Translation
{
    const char *english; // as the system or the library words it, without a final full stop
    const char *russian;
};

// The reasons users meet: files, folders, disks, serial ports, and the sound file library's
// words for a damaged recording.
constexpr Translation kTranslations[] = {
    {"No such file or directory", "нет такого файла или каталога"},
    {"Permission denied", "нет доступа"},
    {"Operation not permitted", "операция не разрешена"},
    {"No space left on device", "нет места на устройстве"},
    {"Disk quota exceeded", "превышена дисковая квота"},
    {"File too large", "файл слишком велик"},
    {"File name too long", "слишком длинное имя файла"},
    {"File exists", "файл уже существует"},
    {"Is a directory", "это каталог"},
    {"Not a directory", "часть пути не является каталогом"},
    {"Read-only file system", "файловая система только для чтения"},
    {"Too many levels of symbolic links", "ссылки замыкаются в круг"},
    {"Too many open files", "открыто слишком много файлов"},
    {"Input/output error", "ошибка ввода-вывода"},
    {"Device or resource busy", "устройство занято"},
    {"No such device", "нет такого устройства"},
    {"No such device or address", "нет такого устройства"},
    {"Inappropriate ioctl for device", "это не последовательный порт"},
    {"Resource temporarily unavailable", "ресурс временно недоступен"},
    {"Cannot allocate memory", "не хватает памяти"},
    {"Invalid argument", "недопустимый параметр"},
    {"Broken pipe", "канал закрыт"},
    {"Unknown error", "неизвестная ошибка"},
    {"File does not exist or is not a regular file (possibly a pipe?)", "файл не читается до конца (обрезан?)"},
    {"Format not recognised", "формат не распознан"},
    {"Unspecified internal error", "внутренняя ошибка декодера"},
    {"Internal psf_fseek() failed", "файл обрезан или повреждён"},
    {"Supported file format but file is malformed", "файл повреждён"},
    {"Supported file format but unsupported encoding", "такая кодировка отсчётов не поддерживается"},
};

QString withoutFullStop(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QStringLiteral("Error : ")))
        text.remove(0, 8);
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

QString russianReason(const QString &reason)
{
    const QString bare = withoutFullStop(reason);
    for (const Translation &translation : kTranslations) {
        if (bare.compare(QLatin1StringView(translation.english), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(translation.russian) + QStringLiteral(" (") + bare + u')';
    }
    return reason;
}

QString russianErrnoReason(int error)
{
    return russianReason(qt_error_string(error));
}

} // namespace tirvela
