#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tirvela {

class Project;

// What the edit windows check before an edit, so that a value the files cannot hold is refused
// with a message instead of coming back changed after a save. Each check returns the message for
// the user, or nothing when the value is fine.

// A typed text made ready to store: Windows-1251 bytes, or why it is refused.
using EnteredText = Result<QByteArray>;

// Control characters (TABs and line ends included) are dropped; a character that Windows-1251
// cannot store refuses the text, and the message names it.
EnteredText enteredText(QStringView typed);
// The same for stop list texts (stop names, sound files, control times), which also lose their
// leading blanks: the stored stop list would read them back as levels.
EnteredText enteredStopListText(QStringView typed);
// A typed control time, stored as "ЧЧ:ММ:СС"; a text that is no time of day is refused, where a
// stored one would silently mean 00:00:00.
EnteredText enteredControlTime(QStringView typed);

// A display element's row and column: the board stores each as one signed byte.
std::optional<QString> checkElementPosition(int y, int x);
// A display element's text: at most 29 bytes, no NUL (it would end the text on the board).
std::optional<QString> checkElementText(QByteArrayView text);

// A route number text comes back from a file as its value read as a hexadecimal number of 16 bits,
// printed in lower case: only texts that come back the same are accepted (the route number dialog
// gives 1 to 9999, which always do).
std::optional<QString> checkRouteNumberText(QByteArrayView text);
// Every display element of the routes in use, checked as above: one line per element the board
// image cannot hold as it is, naming its route, board type and row.
QStringList checkBoardContent(const Project &project);

// A file keeps one number per route, the first board type's: every board type's copy must agree.
std::optional<QString> checkRouteNumberCopies(const Project &project);

} // namespace tirvela
