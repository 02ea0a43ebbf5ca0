#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

namespace tirvela {

class UserDialogs;

// Texts the user types for the files: made ready to store (Windows-1251, no control characters),
// or refused with a message that names the character the file cannot hold.

// A stop list text (stop name, sound file, control time): leading blanks go too.
std::optional<QByteArray> acceptedStopListText(UserDialogs &dialogs, QWidget *parent, const QString &typed);
// A control time: "7:5" comes back as "07:05:00"; a text that is no time is refused with the form
// it must have.
std::optional<QByteArray> acceptedControlTime(UserDialogs &dialogs, QWidget *parent, const QString &typed);

// Asks for a board text ("Текст сообщения"), the current one proposed; nothing when cancelled
// or refused. The case is kept and the text cut to what an element holds.
std::optional<QByteArray> askElementText(UserDialogs &dialogs, QWidget *parent, const QByteArray &current);

} // namespace tirvela
