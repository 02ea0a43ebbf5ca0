#include "project/editchecks.h"

#include "project/controltime.h"

#include "common/cp1251.h"
#include "project/boardimage.h"
#include "project/project.h"

namespace tirvela {

namespace {

bool inPositionRange(int value)
{
    return value >= DisplayElement::MinPosition && value <= DisplayElement::MaxPosition;
}

QString boardCaption(int row)
{
    return QString::fromUtf8(kBoardTypes[size_t(row)].caption);
}

} // namespace

EnteredText enteredText(QStringView typed)
{
    QString kept;
    kept.reserve(typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i) {
        // a character outside the basic plane is two code units; it is named whole
        const qsizetype length = typed[i].isHighSurrogate() && i + 1 < typed.size() && typed[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView character = typed.sliced(i, length);
        i += length - 1;
        if (length == 1 && character[0].category() == QChar::Other_Control)
            continue;
        if (!isCp1251Encodable(character))
            return Status::failure(QStringLiteral("Символ «%1» нельзя сохранить: его нет в кодировке Windows-1251").arg(character));
        kept += character;
    }
    return toCp1251(kept);
}

EnteredText enteredStopListText(QStringView typed)
{
    EnteredText text = enteredText(typed);
    if (text.ok()) {
        QByteArray &bytes = text.value();
        while (bytes.startsWith(' '))
            bytes.remove(0, 1);
    }
    return text;
}

EnteredText enteredControlTime(QStringView typed)
{
    const std::optional<ControlTimeValue> time = readControlTime(typed);
    if (!time)
        return Status::failure(QStringLiteral("Контрольное время «%1» не принято: введите его как ЧЧ:ММ или ЧЧ:ММ:СС, "
                                              "от 00:00 до 23:59:59.").arg(typed.trimmed()));
    return controlTimeToText(*time).toLatin1();
}

std::optional<QString> checkElementPosition(int y, int x)
{
    if (inPositionRange(y) && inPositionRange(x))
        return std::nullopt;
    return QStringLiteral("Координаты %1:%2 не сохранятся: каждая должна быть от %3 до %4")
        .arg(y)
        .arg(x)
        .arg(DisplayElement::MinPosition)
        .arg(DisplayElement::MaxPosition);
}

std::optional<QString> checkElementText(QByteArrayView text)
{
    if (text.size() > MaxElementTextLength)
        return QStringLiteral("Текст длиннее %1 символов не сохранится").arg(MaxElementTextLength);
    if (text.contains('\0'))
        return QStringLiteral("Текст с нулевым символом не сохранится");
    return std::nullopt;
}

std::optional<QString> checkRouteNumberText(QByteArrayView text)
{
    const quint16 value = routeNumberValue(text);
    const QString shown = fromCp1251(text);
    if (value == 0)
        return QStringLiteral("Номер маршрута «%1» не сохранится: это должно быть число больше 0").arg(shown);
    const QByteArray stored = routeNumberText(value);
    if (stored != text)
        return QStringLiteral("Номер маршрута «%1» не сохранится: после сохранения он станет «%2»")
            .arg(shown, fromCp1251(stored));
    return std::nullopt;
}

QStringList checkBoardContent(const Project &project)
{
    QStringList problems;
    for (int route = 0; route < project.routeCount && route < MaxRoutes; ++route) {
        for (int row = 0; row < BoardTypeCount; ++row) {
            const std::vector<DisplayElement> &elements = project.boards[size_t(row)].routes[size_t(route)].elements;
            for (size_t i = 0; i < elements.size(); ++i) {
                std::optional<QString> problem = checkElementPosition(elements[i].y, elements[i].x);
                if (!problem)
                    problem = checkElementText(elements[i].text);
                if (problem)
                    problems.append(QStringLiteral("Маршрут %1, табло %2, строка %3: %4")
                                        .arg(route + 1)
                                        .arg(boardCaption(row))
                                        .arg(i + 1)
                                        .arg(*problem));
            }
        }
    }
    return problems;
}

std::optional<QString> checkRouteNumberCopies(const Project &project)
{
    for (int route = 0; route < project.routeCount && route < MaxRoutes; ++route) {
        for (int row = 1; row < BoardTypeCount; ++row) {
            const QByteArray &copy = project.boards[size_t(row)].routes[size_t(route)].routeNumberText;
            if (copy != project.routeNumberText(route))
                return QStringLiteral("Маршрут %1: номер «%2» на табло %3 отличается от номера «%4» на табло %5, "
                                      "а файл хранит один номер")
                    .arg(route + 1)
                    .arg(fromCp1251(copy), boardCaption(row), fromCp1251(project.routeNumberText(route)),
                         boardCaption(0));
        }
    }
    return std::nullopt;
}

} // namespace tirvela
