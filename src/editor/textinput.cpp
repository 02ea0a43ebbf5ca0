#include "editor/textinput.h"

#include "editor/userdialogs.h"
#include "common/cp1251.h"
#include "project/editchecks.h"
#include "project/project.h"

namespace tirvela {

namespace {

std::optional<QByteArray> accepted(UserDialogs &dialogs, QWidget *parent, const EnteredText &entered)
{
    if (!entered.ok()) {
        dialogs.tell(parent, entered.status().message);
        return std::nullopt;
    }
    return entered.value();
}

} // namespace

std::optional<QByteArray> acceptedStopListText(UserDialogs &dialogs, QWidget *parent, const QString &typed)
{
    return accepted(dialogs, parent, enteredStopListText(typed));
}

std::optional<QByteArray> acceptedControlTime(UserDialogs &dialogs, QWidget *parent, const QString &typed)
{
    return accepted(dialogs, parent, enteredControlTime(typed));
}

std::optional<QByteArray> askElementText(UserDialogs &dialogs, QWidget *parent, const QByteArray &current)
{
    const std::optional<QString> typed =
        dialogs.askText(parent, QStringLiteral("Текст сообщения"), QStringLiteral("Значение"), fromCp1251(current));
    if (!typed)
        return std::nullopt;
    const std::optional<QByteArray> text = accepted(dialogs, parent, enteredText(*typed));
    if (!text)
        return std::nullopt;
    return text->left(MaxElementTextLength);
}

} // namespace tirvela
